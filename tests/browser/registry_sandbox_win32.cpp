#include "registry_sandbox.h"

#include <windows.h>

#include <random>

#include "platform/win32/registry.h"
#include "platform/win32/unique_registry_key.h"

struct RegistrySandbox::Impl {
  std::wstring basePath;
  HKEY currentUser = nullptr;
  HKEY localMachine = nullptr;

  HKEY Root(platform::RegistryRoot root) const {
    return root == platform::RegistryRoot::CurrentUser ? currentUser : localMachine;
  }
};

namespace {

HKEY CreateKeyUnder(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

}  // namespace

RegistrySandbox::RegistrySandbox() : impl_(std::make_unique<Impl>()) {
  impl_->basePath = L"Software\\qelt_micro_tests\\" + std::to_wstring(std::random_device{}());
  impl_->currentUser = CreateKeyUnder(HKEY_CURRENT_USER, impl_->basePath + L"\\user");
  impl_->localMachine = CreateKeyUnder(HKEY_CURRENT_USER, impl_->basePath + L"\\machine");
  registry_ = platform::MakeRegistryUnder(impl_->currentUser, impl_->localMachine);
}

RegistrySandbox::~RegistrySandbox() {
  ::RegCloseKey(impl_->currentUser);
  ::RegCloseKey(impl_->localMachine);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, impl_->basePath.c_str());
}

void RegistrySandbox::CreateKey(platform::RegistryRoot root, const std::wstring& keyPath) {
  ::RegCloseKey(CreateKeyUnder(impl_->Root(root), keyPath));
}

void RegistrySandbox::SetString(platform::RegistryRoot root, const std::wstring& keyPath,
                                const std::wstring& name, const std::wstring& text) {
  HKEY key = CreateKeyUnder(impl_->Root(root), keyPath);
  ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

void RegistrySandbox::SetDword(platform::RegistryRoot root, const std::wstring& keyPath,
                               const std::wstring& name, std::uint32_t data) {
  HKEY key = CreateKeyUnder(impl_->Root(root), keyPath);
  DWORD value = data;
  ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  ::RegCloseKey(key);
}

bool RegistrySandbox::KeyExists(platform::RegistryRoot root, const std::wstring& keyPath) const {
  platform::UniqueRegistryKey key;
  return ::RegOpenKeyExW(impl_->Root(root), keyPath.c_str(), 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

std::optional<std::uint32_t> RegistrySandbox::GetDword(platform::RegistryRoot root,
                                                       const std::wstring& keyPath,
                                                       const std::wstring& name) const {
  platform::UniqueRegistryKey key;
  if (::RegOpenKeyExW(impl_->Root(root), keyPath.c_str(), 0, KEY_READ, key.Put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}
