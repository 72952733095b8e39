#include "registry_sandbox.h"

#include <cstdio>

#include "platform/linux/file_registry.h"
#include "platform/text_codec.h"
#include "temp_dir.h"

// Keys are written in the store's text form, so these tests also pin the
// file format.
struct RegistrySandbox::Impl {
  TempDir directory;
  std::wstring text;

  static std::wstring Section(platform::RegistryRoot root, const std::wstring& keyPath) {
    return std::wstring(L"[") +
           (root == platform::RegistryRoot::CurrentUser ? L"HKEY_CURRENT_USER\\"
                                                        : L"HKEY_LOCAL_MACHINE\\") +
           keyPath + L"]\n";
  }
  // Values follow their key's line; a key is added at the end when missing.
  void AddLine(platform::RegistryRoot root, const std::wstring& keyPath, const std::wstring& line) {
    std::string bytes = directory.Read(L"registry");
    text = platform::DecodeUtf8(bytes);
    std::wstring section = Section(root, keyPath);
    std::size_t at = text.find(section);
    if (at == std::wstring::npos) {
      text += section;
      at = text.size() - section.size();
    }
    text.insert(at + section.size(), line);
    directory.Write(L"registry", platform::EncodeUtf8(text));
  }
};

RegistrySandbox::RegistrySandbox() : impl_(std::make_unique<Impl>()) {
  registry_ = platform::MakeFileRegistry(impl_->directory.WideFile(L"registry"));
}

RegistrySandbox::~RegistrySandbox() = default;

void RegistrySandbox::CreateKey(platform::RegistryRoot root, const std::wstring& keyPath) {
  impl_->AddLine(root, keyPath, L"");
}

void RegistrySandbox::SetString(platform::RegistryRoot root, const std::wstring& keyPath,
                                const std::wstring& name, const std::wstring& text) {
  impl_->AddLine(root, keyPath, L"\"" + name + L"\"=\"" + text + L"\"\n");
}

void RegistrySandbox::SetDword(platform::RegistryRoot root, const std::wstring& keyPath,
                               const std::wstring& name, std::uint32_t data) {
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%08x", static_cast<unsigned>(data));
  impl_->AddLine(root, keyPath, L"\"" + name + L"\"=dword:" + digits + L"\n");
}

bool RegistrySandbox::KeyExists(platform::RegistryRoot root, const std::wstring& keyPath) const {
  std::wstring text = platform::DecodeUtf8(impl_->directory.Read(L"registry"));
  return text.find(Impl::Section(root, keyPath)) != std::wstring::npos;
}

std::optional<std::uint32_t> RegistrySandbox::GetDword(platform::RegistryRoot root,
                                                       const std::wstring& keyPath,
                                                       const std::wstring& name) const {
  std::wstring text = platform::DecodeUtf8(impl_->directory.Read(L"registry"));
  std::size_t section = text.find(Impl::Section(root, keyPath));
  if (section == std::wstring::npos) return std::nullopt;
  std::size_t end = text.find(L"\n[", section + 1);
  std::wstring prefix = L"\"" + name + L"\"=dword:";
  std::size_t at = text.find(prefix, section);
  if (at == std::wstring::npos || at > end) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(text.substr(at + prefix.size(), 8), nullptr, 16));
}
