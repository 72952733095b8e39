// micro-pkg chunks FILE...: cuts and hashes installed files as a launcher
// does before an update by chunks, and says what it found and how long it
// took: how an operator sees what a client's files cost the players' disks.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "command.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "update/installed_chunks.h"

CommandResult RunChunks(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return CommandResult::BadArguments;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  InstalledChunks chunks;
  std::uint64_t bytes = 0;
  auto started = std::chrono::steady_clock::now();
  for (const std::wstring& path : arguments) {
    if (!chunks.AddCut(*files, path)) {
      std::fprintf(stderr, "micro-pkg: cannot read %s\n", platform::EncodeUtf8(path).c_str());
      return CommandResult::Failed;
    }
    bytes += files->FileSize(path).value_or(0);
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  std::printf("%" PRIu64 " bytes, %zu distinct chunks, cut and hashed in %.3f s\n", bytes,
              chunks.Count(), took.count());
  return CommandResult::Ok;
}
