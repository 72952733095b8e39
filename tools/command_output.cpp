#include "command_output.h"

#include <string>

#include "platform/text_codec.h"

void PrintLine(std::string_view narrowPrefix, std::wstring_view wideText) {
  std::string line(narrowPrefix);
  line += platform::EncodeUtf8(wideText);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

const char* ArchiveResultName(ArchiveResult result) {
  switch (result) {
    case ArchiveOk:
      return "ArchiveOk";
    case ArchiveFileError:
      return "ArchiveFileError";
    case ArchiveWriteError:
      return "ArchiveWriteError";
    case ArchiveHeaderError:
      return "ArchiveHeaderError";
    case ArchiveReadError:
      return "ArchiveReadError";
    case ArchivePasswordError:
      return "ArchivePasswordError";
    case ArchiveArgumentError:
      return "ArchiveArgumentError";
    case ArchiveDataError:
      return "ArchiveDataError";
  }
  return "ArchiveUnknownError";
}
