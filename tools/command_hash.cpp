// micro-pkg hash FILE: the size and SHA-256 the launcher checks a package
// against, computed by the launcher's own code.
#include <cinttypes>
#include <cstdio>
#include <optional>

#include "command.h"
#include "files/sha256_digest.h"
#include "platform/archive_files.h"

int RunHash(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return 2;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  std::unique_ptr<platform::ArchiveStream> stream = files->OpenArchive(arguments[0]);
  std::optional<std::string> digest = stream ? Sha256Hex(*stream) : std::nullopt;
  if (!digest) {
    std::fprintf(stderr, "micro-pkg: cannot read the file\n");
    return 1;
  }
  std::printf("%" PRIu64 " %s\n", stream->Size(), digest->c_str());
  return 0;
}
