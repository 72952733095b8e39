// micro-pkg serve DIR [--port N]: a static web server on 127.0.0.1 for trying
// a site with the launcher before publishing it. Runs until it is stopped.
#include <httplib.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "command.h"
#include "command_arguments.h"
#include "platform/text_codec.h"

int RunServe(const std::vector<std::wstring>& arguments) {
  auto parsed = ParseArguments(arguments, {L"--port"});
  if (!parsed || parsed->positional.size() != 1) return 2;
  long port = 0;
  if (parsed->options.count(L"--port") != 0) {
    const std::wstring& text = parsed->options[L"--port"];
    wchar_t* end = nullptr;
    port = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || port < 0 || port > 65535) return 2;
  }
  httplib::Server server;
  std::string root = ToPath(parsed->positional[0]).string();
  if (!server.set_mount_point("/", root)) {
    std::fprintf(stderr, "micro-pkg: %s is not a directory\n", root.c_str());
    return 1;
  }
  int bound =
      port == 0 ? server.bind_to_any_port("127.0.0.1")
                : (server.bind_to_port("127.0.0.1", static_cast<int>(port)) ? static_cast<int>(port)
                                                                            : -1);
  if (bound <= 0) {
    std::fprintf(stderr, "micro-pkg: cannot listen on 127.0.0.1:%ld\n", port);
    return 1;
  }
  std::printf("serving %s at http://127.0.0.1:%d/\n", root.c_str(), bound);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
