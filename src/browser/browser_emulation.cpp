#include "browser/browser_emulation.h"

#include <cwchar>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace {

const wchar_t kEngineKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
const wchar_t kEngineVersionValue[] = L"svcVersion";
const wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr std::size_t kVersionBufferChars = 64;

// 0 when the text is not a dotted version.
long MajorVersion(const std::wstring& versionText) {
  if (versionText.find(L'.') == std::wstring::npos) return 0;
  return std::wcstol(versionText.c_str(), nullptr, 10);
}

// 0 for the versions that get no value.
std::uint32_t EmulationFor(long majorVersion) {
  switch (majorVersion) {
    case 8:
      return 8000;
    case 9:
      return 9000;
    case 10:
      return 10000;
    case 11:
      return 11000;
    default:
      return 0;
  }
}

}  // namespace

std::wstring BrowserEmulationValueName(const std::wstring& executablePath) {
  std::size_t nameStart = 0;
  for (std::size_t i = executablePath.size(); i > 0; --i) {
    if (platform::IsPathSeparator(executablePath[i - 1])) {
      nameStart = i;
      break;
    }
  }
  std::wstring name = executablePath.substr(nameStart);
  std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name + L".exe";
}

void SetBrowserEmulation(platform::Registry& registry, const wchar_t* valueName) {
  if (valueName == nullptr) return;
  std::optional<std::wstring> versionText = registry.ReadString(
      platform::RegistryRoot::LocalMachine, kEngineKey, kEngineVersionValue, kVersionBufferChars);
  if (!versionText) return;
  std::uint32_t emulation = EmulationFor(MajorVersion(*versionText));
  if (emulation == 0) return;
  registry.WriteDword(platform::RegistryRoot::CurrentUser, kEmulationKey, valueName, emulation);
}
