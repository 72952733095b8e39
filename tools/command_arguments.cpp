#include "command_arguments.h"

#include <algorithm>
#include <cwchar>

#include "files/file_text.h"
#include "minisign_signer.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

std::optional<ParsedArguments> ParseArguments(const std::vector<std::wstring>& arguments,
                                              const std::vector<std::wstring>& known) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument.rfind(L"--", 0) != 0) {
      parsed.positional.push_back(argument);
      continue;
    }
    if (std::find(known.begin(), known.end(), argument) == known.end()) return std::nullopt;
    if (i + 1 == arguments.size()) return std::nullopt;
    parsed.options[argument] = arguments[++i];
    parsed.repeated[argument].push_back(arguments[i]);
  }
  return parsed;
}

bool TakeFlag(std::vector<std::wstring>& arguments, const std::wstring& flag) {
  auto kept = std::remove(arguments.begin(), arguments.end(), flag);
  bool found = kept != arguments.end();
  arguments.erase(kept, arguments.end());
  return found;
}

std::optional<MinisignPublicKey> PublicKeyArgument(const std::wstring& lineOrFile) {
  std::optional<MinisignPublicKey> key = ParseMinisignPublicKey(platform::EncodeUtf8(lineOrFile));
  std::string keyFile;
  if (!key &&
      platform::ReadWholeFile(lineOrFile, kMaxTextFileBytes, keyFile) == platform::ReadStatus::Ok) {
    key = ReadPublicKeyText(keyFile);
  }
  return key;
}

std::filesystem::path ToPath(const std::wstring& text) {
#ifdef _WIN32
  return std::filesystem::path(text);
#else
  return std::filesystem::path(platform::EncodeUtf8(text));
#endif
}

std::optional<std::uint64_t> CountArgument(const std::wstring& text, std::uint64_t most) {
  if (text.empty() || text.size() > 16 ||
      text.find_first_not_of(L"0123456789") != std::wstring::npos)
    return std::nullopt;
  std::uint64_t value = std::wcstoull(text.c_str(), nullptr, 10);
  if (value < 1 || value > most) return std::nullopt;
  return value;
}
