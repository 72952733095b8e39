// micro-pkg extract ARCHIVE DIR: unpacks exactly as the launcher's package
// thread does.
#include <cstdio>
#include <string>

#include "command.h"
#include "command_output.h"
#include "files/package_extraction.h"

namespace {

const char* SetupProblem(ArchiveResult setup) {
  if (setup == ArchiveFileError) return "cannot open the archive";
  if (setup == ArchiveWriteError) return "not enough free disk space for the archive's contents";
  return "the target directory path is too long";
}

}  // namespace

CommandResult RunExtract(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 2) return CommandResult::BadArguments;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  ExtractionSummary summary = ExtractAllEntries(
      *files, arguments[0], arguments[1], [](int, const ArchiveEntry& entry, ArchiveResult result) {
        PrintLine(std::string(ArchiveResultName(result)) + " ", entry.name);
      });
  if (summary.setup != ArchiveOk)
    std::fprintf(stderr, "micro-pkg: %s\n", SetupProblem(summary.setup));
  return summary.AllOk() ? CommandResult::Ok : CommandResult::Failed;
}
