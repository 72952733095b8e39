// Replacing a file whole is the same on every system: the new bytes go to a
// file beside it and reach the disk before the rename, so a crash or a full
// disk leaves the old contents or the new, never a mix.
#include "platform/file_system.h"

namespace platform {

SystemResult ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = path + L".tmp";
  OpenedFile opened = OpenAppendingFile(temporary, false);
  if (!opened.file) return opened.error;
  SystemResult result = opened.file->Write(bytes.data(), bytes.size());
  if (result) result = opened.file->Flush();
  SystemResult closed = opened.file->Close();
  if (result) result = closed;
  if (result) result = MoveFileOver(temporary, path);
  if (!result) RemoveFile(temporary);
  return result;
}

}  // namespace platform
