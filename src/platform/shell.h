// The desktop shell: hands an address to the user's default browser.
#pragma once

#include <memory>
#include <string>

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Failures are not reported: the page has no one to tell.
  virtual void OpenInDefaultBrowser(const std::wstring& url) = 0;
};

std::unique_ptr<Shell> MakeSystemShell();

}  // namespace platform
