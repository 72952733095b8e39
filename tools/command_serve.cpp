// micro-pkg serve DIR [--port N] [--rate BYTES_PER_SECOND] [--log FILE]: a
// static web server on 127.0.0.1 for trying a site with the launcher before
// publishing it. Runs until it is stopped.
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "bounded_server.h"
#include "command.h"
#include "command_arguments.h"
#include "platform/text_codec.h"
#include "static_site.h"

namespace {

// The option's value as a number within [0, largest]; none when it is no
// such number. An absent option is 0.
std::optional<unsigned long long> NumberOption(ParsedArguments& parsed, const wchar_t* name,
                                               unsigned long long largest) {
  auto found = parsed.options.find(name);
  if (found == parsed.options.end()) return 0ULL;
  const std::wstring& text = found->second;
  if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return std::nullopt;
  }
  wchar_t* end = nullptr;
  errno = 0;
  unsigned long long value = std::wcstoull(text.c_str(), &end, 10);
  if (errno != 0 || value > largest) return std::nullopt;
  return value;
}

}  // namespace

CommandResult RunServe(const std::vector<std::wstring>& arguments) {
  auto parsed = ParseArguments(arguments, {L"--port", L"--rate", L"--log"});
  if (!parsed || parsed->positional.size() != 1) return CommandResult::BadArguments;
  auto port = NumberOption(*parsed, L"--port", 65535);
  auto rate = NumberOption(*parsed, L"--rate", 1ULL << 40);
  if (!port || !rate) return CommandResult::BadArguments;

  std::filesystem::path root = ToPath(parsed->positional[0]);
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) {
    std::fprintf(stderr, "micro-pkg: %s is not a directory\n",
                 platform::EncodeUtf8(parsed->positional[0]).c_str());
    return CommandResult::Failed;
  }
  std::mutex logMutex;
  std::ofstream logFile;
  StaticSiteOptions options;
  options.bytesPerSecond = *rate;
  if (parsed->options.count(L"--log") != 0) {
    logFile.open(ToPath(parsed->options[L"--log"]), std::ios::app);
    if (!logFile) {
      std::fprintf(stderr, "micro-pkg: cannot write the log %s\n",
                   platform::EncodeUtf8(parsed->options[L"--log"]).c_str());
      return CommandResult::Failed;
    }
    options.log = [&logMutex, &logFile](const std::string& request) {
      std::lock_guard<std::mutex> lock(logMutex);
      logFile << request << std::endl;
    };
  }

  BoundedServer server;
  ServeStaticSite(server, root, options);
  int bound = *port == 0 ? server.bind_to_any_port("127.0.0.1")
                         : (server.bind_to_port("127.0.0.1", static_cast<int>(*port))
                                ? static_cast<int>(*port)
                                : -1);
  if (bound <= 0) {
    std::fprintf(stderr, "micro-pkg: cannot listen on 127.0.0.1:%llu\n", *port);
    return CommandResult::Failed;
  }
  std::printf("serving %s at http://127.0.0.1:%d/\n",
              platform::EncodeUtf8(parsed->positional[0]).c_str(), bound);
  std::fflush(stdout);
  return server.listen_after_bind() ? CommandResult::Ok : CommandResult::Failed;
}
