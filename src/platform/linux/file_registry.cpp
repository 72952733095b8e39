#include "platform/linux/file_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <variant>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

constexpr std::size_t kStoreLimit = 1 << 20;

struct StoredValue {
  std::wstring name;
  std::variant<std::wstring, std::uint32_t> data;
};

struct StoredKey {
  std::wstring path;  // with its root, "HKEY_CURRENT_USER\..."
  std::vector<StoredValue> values;
};

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::wstring FullKeyPath(RegistryRoot root, const std::wstring& keyPath) {
  return (root == RegistryRoot::CurrentUser ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") +
         keyPath;
}

std::wstring Quote(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') quoted.push_back(L'\\');
    quoted.push_back(c);
  }
  return quoted + L"\"";
}

// Reads a quoted text starting at `pos`; leaves `pos` after its closing quote.
bool Unquote(const std::wstring& line, std::size_t& pos, std::wstring& text) {
  if (pos >= line.size() || line[pos] != L'"') return false;
  text.clear();
  for (++pos; pos < line.size(); ++pos) {
    wchar_t c = line[pos];
    if (c == L'"') {
      ++pos;
      return true;
    }
    if (c == L'\\' && pos + 1 < line.size()) c = line[++pos];
    text.push_back(c);
  }
  return false;
}

bool ParseValue(const std::wstring& line, StoredValue& value) {
  std::size_t pos = 0;
  if (!Unquote(line, pos, value.name) || pos >= line.size() || line[pos] != L'=') return false;
  ++pos;
  const std::wstring dwordPrefix = L"dword:";
  if (line.compare(pos, dwordPrefix.size(), dwordPrefix) == 0) {
    std::wstring digits = line.substr(pos + dwordPrefix.size());
    if (digits.empty() || digits.size() > 8) return false;
    wchar_t* end = nullptr;
    unsigned long data = std::wcstoul(digits.c_str(), &end, 16);
    if (*end != L'\0' || !std::iswxdigit(static_cast<wint_t>(digits[0]))) return false;
    value.data = static_cast<std::uint32_t>(data);
    return true;
  }
  std::wstring text;
  if (!Unquote(line, pos, text) || pos != line.size()) return false;
  value.data = std::move(text);
  return true;
}

std::vector<StoredKey> ParseStore(const std::wstring& text) {
  std::vector<StoredKey> keys;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.size() > 2 && line.front() == L'[' && line.back() == L']') {
      keys.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    StoredValue value;
    if (!keys.empty() && ParseValue(line, value)) keys.back().values.push_back(std::move(value));
  }
  return keys;
}

std::wstring FormatStore(const std::vector<StoredKey>& keys) {
  std::wstring text;
  for (const StoredKey& key : keys) {
    text += L"[" + key.path + L"]\n";
    for (const StoredValue& value : key.values) {
      text += Quote(value.name) + L"=";
      if (const auto* dword = std::get_if<std::uint32_t>(&value.data)) {
        wchar_t digits[16];
        std::swprintf(digits, 16, L"dword:%08x", static_cast<unsigned>(*dword));
        text += digits;
      } else {
        text += Quote(std::get<std::wstring>(value.data));
      }
      text += L"\n";
    }
    text += L"\n";
  }
  return text;
}

class FileRegistry final : public Registry {
 public:
  explicit FileRegistry(std::wstring storePath) : storePath_(std::move(storePath)) {}

  std::optional<std::wstring> ReadString(RegistryRoot root, const std::wstring& keyPath,
                                         const std::wstring& valueName,
                                         std::size_t capacity) const override {
    std::vector<StoredKey> keys = Load();
    StoredKey* key = FindKey(keys, FullKeyPath(root, keyPath));
    if (key == nullptr) return std::nullopt;
    StoredValue* value = FindValue(*key, valueName);
    if (value == nullptr) return std::nullopt;
    const auto* text = std::get_if<std::wstring>(&value->data);
    if (text == nullptr || text->size() + 1 > capacity) return std::nullopt;
    return *text;
  }

  bool WriteDword(RegistryRoot root, const std::wstring& keyPath, const std::wstring& valueName,
                  std::uint32_t data) override {
    std::vector<StoredKey> keys = Load();
    StoredKey* key = FindKey(keys, FullKeyPath(root, keyPath));
    if (key == nullptr) return false;
    if (StoredValue* value = FindValue(*key, valueName)) {
      value->data = data;
    } else {
      key->values.push_back({valueName, data});
    }
    return ReplaceFileContents(storePath_, EncodeUtf8(FormatStore(keys))).Ok();
  }

 private:
  std::vector<StoredKey> Load() const {
    std::string bytes;
    if (ReadWholeFile(storePath_, kStoreLimit, bytes) != ReadStatus::Ok) return {};
    return ParseStore(DecodeUtf8(bytes));
  }

  static StoredKey* FindKey(std::vector<StoredKey>& keys, const std::wstring& path) {
    for (StoredKey& key : keys) {
      if (SameIgnoringCase(key.path, path)) return &key;
    }
    return nullptr;
  }

  static StoredValue* FindValue(StoredKey& key, const std::wstring& name) {
    for (StoredValue& value : key.values) {
      if (SameIgnoringCase(value.name, name)) return &value;
    }
    return nullptr;
  }

  std::wstring storePath_;
};

// $XDG_CONFIG_HOME/qelt_micro/registry, or under ~/.config without it.
std::wstring SystemStorePath() {
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  std::wstring directory = DecodeUtf8(base);
  MakeDirectory(directory);
  directory += L"/qelt_micro";
  MakeDirectory(directory);
  return directory + L"/registry";
}

}  // namespace

std::unique_ptr<Registry> MakeFileRegistry(std::wstring storePath) {
  return std::make_unique<FileRegistry>(std::move(storePath));
}

std::unique_ptr<Registry> MakeSystemRegistry() {
  return MakeFileRegistry(SystemStorePath());
}

}  // namespace platform
