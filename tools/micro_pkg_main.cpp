// micro-pkg: the operators' tool for packages of the launcher.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "platform/text_codec.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace {

const Command kCommands[] = {
    {"list", "ARCHIVE", "list the entries: index, attributes, sizes, write time, name", RunList},
    {"extract", "ARCHIVE DIR", "extract every entry into DIR as the launcher does", RunExtract},
    {"build",
     "DIR --client-url URL --exe PATH --out OUTDIR [--version N] [--expires-in DAYS] "
     "[--update-key KEY]... [--mirror URL]... [--chunk-min BYTES | --no-chunks]",
     "pack DIR into OUTDIR/GameClient.zip and write OUTDIR/pkg.json (version: the build time "
     "unless given; update keys: base64 lines or public key files; mirrors: further addresses of "
     "the package); files of at least 1 MiB (or BYTES) are deflated in chunks listed in "
     "OUTDIR/GameClient.zip.chunks",
     RunBuild},
    {"serve", "DIR [--port N] [--rate BYTES_PER_SECOND] [--log FILE]",
     "serve DIR over HTTP on 127.0.0.1, optionally slowed down and logging each request", RunServe},
    {"fetch", "URL FILE [--sha256 HEX] [--limit KIB_PER_SECOND]",
     "download URL into FILE as the launcher does, showing progress, optionally capped", RunFetch},
    {"hash", "FILE", "print the size and SHA-256 the launcher checks a package against", RunHash},
    {"chunks", "FILE...",
     "cut and hash installed files as a launcher does before an update by chunks, timed",
     RunChunks},
    {"keygen", "PUBLIC_KEY_FILE SECRET_KEY_FILE",
     "make a minisign key pair (no password) and print the launcher's update_key", RunKeygen},
    {"sign", "SECRET_KEY_FILE FILE [--trusted-comment TEXT] [--legacy]",
     "write FILE.minisig, a minisign signature (pre-hashed unless --legacy)", RunSign},
    {"verify", "PUBLIC_KEY FILE",
     "check FILE.minisig with a public key (its base64 line or its file)", RunVerify},
};

// Exit status 2, as for any wrong arguments.
int Usage() {
  std::fprintf(stderr, "usage: micro-pkg COMMAND ARGUMENTS\n");
  for (const Command& command : kCommands) {
    std::fprintf(stderr, "  micro-pkg %s %s\n      %s\n", command.name, command.arguments,
                 command.summary);
  }
  return 2;
}

// The arguments after the program name, as wide strings.
std::vector<std::wstring> WideArguments(int argc, char** argv) {
  std::vector<std::wstring> arguments;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) arguments.emplace_back(wide[i]);
  ::LocalFree(wide);
#else
  // File names on Linux are UTF-8 bytes, whatever the locale says.
  for (int i = 1; i < argc; ++i) arguments.push_back(platform::DecodeUtf8(argv[i]));
#endif
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::wstring> arguments = WideArguments(argc, argv);
  if (arguments.empty()) return Usage();
  std::string name = platform::EncodeUtf8(arguments.front());
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    switch (command.run({arguments.begin() + 1, arguments.end()})) {
      case CommandResult::Ok:
        return 0;
      case CommandResult::Failed:
        return 1;
      case CommandResult::BadArguments:
        return Usage();
    }
  }
  return Usage();
}
