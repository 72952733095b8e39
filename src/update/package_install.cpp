#include "update/package_install.h"

#include "files/package_extraction.h"
#include "files/path_join.h"
#include "platform/trace.h"

PackageExtractor MakePackageExtractor(const platform::ArchiveFiles& files) {
  const platform::ArchiveFiles* archiveFiles = &files;
  return [archiveFiles](const std::wstring& packagePath, const std::wstring& clientDirectory) {
    auto traceEntry = [&clientDirectory](int, const ArchiveEntry& entry, ArchiveResult) {
      std::wstring target = JoinPath(clientDirectory, entry.name).value_or(L"");
      platform::WriteTrace(L"删除：" + target + L"\n");
      platform::WriteTrace(std::wstring(entry.name) + L"\n");
    };
    return ExtractAllEntries(*archiveFiles, packagePath, clientDirectory, traceEntry).AllOk();
  };
}
