// micro-pkg extract ARCHIVE DIR: unpacks exactly as the launcher's package
// thread does.
#include <cstdio>
#include <string>

#include "command.h"
#include "command_output.h"
#include "files/package_extraction.h"

CommandResult RunExtract(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 2) return CommandResult::BadArguments;
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  ExtractionSummary summary = ExtractAllEntries(
      *files, arguments[0], arguments[1], [](int, const ArchiveEntry& entry, ArchiveResult result) {
        PrintLine(std::string(ArchiveResultName(result)) + " ", entry.name);
      });
  if (summary.setup != ArchiveOk) {
    std::fprintf(stderr, "micro-pkg: %s\n",
                 summary.setup == ArchiveFileError ? "cannot open the archive"
                                                   : "the target directory path is too long");
  }
  return summary.AllOk() ? CommandResult::Ok : CommandResult::Failed;
}
