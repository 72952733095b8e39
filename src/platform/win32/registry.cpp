#include "platform/win32/registry.h"

#include <vector>

#include "platform/win32/unique_registry_key.h"

namespace platform {
namespace {

class WindowsRegistry final : public Registry {
 public:
  WindowsRegistry(HKEY currentUser, HKEY localMachine)
      : currentUser_(currentUser), localMachine_(localMachine) {}

  std::optional<std::wstring> ReadString(RegistryRoot root, const std::wstring& keyPath,
                                         const std::wstring& valueName,
                                         std::size_t capacity) const override {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(RootKey(root), keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD bytes = static_cast<DWORD>(capacity * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // A value stored without its terminator may fill the buffer exactly.
    std::size_t length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    if (length == capacity) return std::nullopt;
    return std::wstring(buffer.data(), length);
  }

  bool WriteDword(RegistryRoot root, const std::wstring& keyPath, const std::wstring& valueName,
                  std::uint32_t data) override {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(RootKey(root), keyPath.c_str(), 0, KEY_WRITE, key.Put()) != ERROR_SUCCESS) {
      return false;
    }
    DWORD value = data;
    return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
  }

 private:
  HKEY RootKey(RegistryRoot root) const {
    return root == RegistryRoot::CurrentUser ? currentUser_ : localMachine_;
  }

  HKEY currentUser_;
  HKEY localMachine_;
};

}  // namespace

std::unique_ptr<Registry> MakeRegistryUnder(HKEY currentUser, HKEY localMachine) {
  return std::make_unique<WindowsRegistry>(currentUser, localMachine);
}

std::unique_ptr<Registry> MakeSystemRegistry() {
  return MakeRegistryUnder(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
}

}  // namespace platform
