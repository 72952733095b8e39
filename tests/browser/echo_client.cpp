// A stand-in game client: writes the arguments it received after its own name
// as UTF-8, each followed by a zero byte, to "args.bin" beside itself. The
// file appears complete or not at all.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace {

#ifdef _WIN32
std::string Utf8(const wchar_t* text) {
  int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  return bytes;
}
#endif

std::string OwnDirectory() {
#ifdef _WIN32
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string own = Utf8(path);
  return own.substr(0, own.find_last_of("\\/") + 1);
#else
  char path[PATH_MAX] = {};
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  std::string own(path, n > 0 ? static_cast<std::size_t>(n) : 0);
  return own.substr(0, own.find_last_of('/') + 1);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
#endif
  std::string directory = OwnDirectory();
  std::string temporary = directory + "args.tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return 1;
  for (const std::string& argument : arguments) {
    std::fwrite(argument.data(), 1, argument.size(), file);
    std::fputc('\0', file);
  }
  std::fclose(file);
  return std::rename(temporary.c_str(), (directory + "args.bin").c_str()) == 0 ? 0 : 1;
}
