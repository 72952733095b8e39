#include "files/output_file.h"

std::unique_ptr<platform::OutputFile> ReplaceOutputFile(const platform::ArchiveFiles& files,
                                                        const std::wstring& path,
                                                        const platform::OutputFileMode& mode) {
  if (auto created = files.CreateNewFile(path, mode)) return created;
  if (files.GetPathKind(path) != platform::PathKind::File) return nullptr;
  files.MakeWritable(path);
  if (!files.RemoveFile(path)) return nullptr;
  return files.CreateNewFile(path, mode);
}
