#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/win32/unique_registry_key.h"
#include "system_proxy_setting.h"

namespace {

const wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// The flags of a connection's settings, as the Internet Options dialog
// writes them.
constexpr std::uint32_t kDirect = 1;
constexpr std::uint32_t kFixedProxy = 2;
constexpr std::uint32_t kScript = 4;

struct RegistryValue {
  const wchar_t* key;
  const wchar_t* name;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

void AppendDword(std::vector<BYTE>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(value >> shift));
}

void AppendText(std::vector<BYTE>& bytes, const std::string& text) {
  AppendDword(bytes, static_cast<std::uint32_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// The binary record WinHTTP and WinINet read the user's settings from.
std::vector<BYTE> ConnectionSettings(std::uint32_t flags, const std::string& proxy,
                                     const std::string& script) {
  std::vector<BYTE> bytes;
  AppendDword(bytes, 0x46);
  AppendDword(bytes, 1);
  AppendDword(bytes, flags);
  AppendText(bytes, proxy);
  AppendText(bytes, "");
  AppendText(bytes, script);
  bytes.resize(bytes.size() + 32);
  return bytes;
}

std::vector<BYTE> StringBytes(const std::string& text) {
  std::wstring wide(text.begin(), text.end());
  auto* begin = reinterpret_cast<const BYTE*>(wide.c_str());
  return std::vector<BYTE>(begin, begin + (wide.size() + 1) * sizeof(wchar_t));
}

std::vector<BYTE> DwordBytes(std::uint32_t value) {
  std::vector<BYTE> bytes;
  AppendDword(bytes, value);
  return bytes;
}

RegistryValue Read(const wchar_t* keyPath, const wchar_t* name) {
  RegistryValue value{keyPath, name, REG_NONE, {}};
  platform::UniqueRegistryKey key;
  DWORD size = 0;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS ||
      ::RegQueryValueExW(key.Get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
    value.type = REG_NONE;
    return value;
  }
  value.bytes.resize(size);
  ::RegQueryValueExW(key.Get(), name, nullptr, &value.type, value.bytes.data(), &size);
  return value;
}

// REG_NONE deletes the value.
void Write(const RegistryValue& value) {
  platform::UniqueRegistryKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, value.key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.Put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  if (value.type == REG_NONE) {
    ::RegDeleteValueW(key.Get(), value.name);
    return;
  }
  ::RegSetValueExW(key.Get(), value.name, 0, value.type, value.bytes.data(),
                   static_cast<DWORD>(value.bytes.size()));
}

}  // namespace

struct SystemProxySetting::Saved {
  std::vector<RegistryValue> values;
};

namespace {

// Writes the new values; returns the old ones.
std::vector<RegistryValue> Replace(const std::vector<RegistryValue>& values) {
  std::vector<RegistryValue> old;
  for (const auto& value : values) {
    old.push_back(Read(value.key, value.name));
    Write(value);
  }
  return old;
}

// A text value, or none where the text is empty.
RegistryValue Text(const wchar_t* name, const std::string& text) {
  return {kInternetSettings, name, text.empty() ? DWORD{REG_NONE} : DWORD{REG_SZ},
          StringBytes(text)};
}

// Both forms the Internet Options dialog keeps: the record and the values
// older readers take.
std::vector<RegistryValue> Settings(std::uint32_t flags, const std::string& proxy,
                                    const std::string& script) {
  return {{kConnections, L"DefaultConnectionSettings", REG_BINARY,
           ConnectionSettings(flags, proxy, script)},
          {kInternetSettings, L"ProxyEnable", REG_DWORD, DwordBytes((flags & kFixedProxy) ? 1 : 0)},
          Text(L"ProxyServer", proxy),
          Text(L"ProxyOverride", ""),
          Text(L"AutoConfigURL", script)};
}

}  // namespace

std::unique_ptr<SystemProxySetting> SystemProxySetting::Fixed(const std::string& hostPort) {
  auto saved = std::make_unique<Saved>();
  saved->values = Replace(Settings(kDirect | kFixedProxy, hostPort, ""));
  return std::unique_ptr<SystemProxySetting>(new SystemProxySetting(std::move(saved)));
}

std::unique_ptr<SystemProxySetting> SystemProxySetting::Script(const std::string& scriptUrl) {
  auto saved = std::make_unique<Saved>();
  saved->values = Replace(Settings(kDirect | kScript, "", scriptUrl));
  return std::unique_ptr<SystemProxySetting>(new SystemProxySetting(std::move(saved)));
}

SystemProxySetting::SystemProxySetting(std::unique_ptr<Saved> saved) : saved_(std::move(saved)) {}

SystemProxySetting::~SystemProxySetting() {
  for (const auto& value : saved_->values) Write(value);
}
