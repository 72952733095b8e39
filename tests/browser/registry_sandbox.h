// A registry of the test's own behind the real registry service: on Windows
// two scratch keys stand in for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, on
// Linux a store file in a scratch directory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

class RegistrySandbox {
 public:
  RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
  ~RegistrySandbox();

  platform::Registry& Registry() { return *registry_; }

  void CreateKey(platform::RegistryRoot root, const std::wstring& keyPath);
  // Creates the key when it is missing.
  void SetString(platform::RegistryRoot root, const std::wstring& keyPath, const std::wstring& name,
                 const std::wstring& text);
  void SetDword(platform::RegistryRoot root, const std::wstring& keyPath, const std::wstring& name,
                std::uint32_t data);

  bool KeyExists(platform::RegistryRoot root, const std::wstring& keyPath) const;
  std::optional<std::uint32_t> GetDword(platform::RegistryRoot root, const std::wstring& keyPath,
                                        const std::wstring& name) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<platform::Registry> registry_;
};
