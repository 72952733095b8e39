// An in-memory registry: values by root, key path and name; keys that exist
// are listed in `keys`.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "platform/registry.h"

class FakeRegistry final : public platform::Registry {
 public:
  using Key = std::pair<platform::RegistryRoot, std::wstring>;
  using Value = std::tuple<platform::RegistryRoot, std::wstring, std::wstring>;

  std::optional<std::wstring> ReadString(platform::RegistryRoot root, const std::wstring& keyPath,
                                         const std::wstring& valueName,
                                         std::size_t capacity) const override {
    auto found = strings.find({root, keyPath, valueName});
    if (found == strings.end() || found->second.size() + 1 > capacity) return std::nullopt;
    return found->second;
  }
  bool WriteDword(platform::RegistryRoot root, const std::wstring& keyPath,
                  const std::wstring& valueName, std::uint32_t data) override {
    if (keys.count({root, keyPath}) == 0) return false;
    dwords[{root, keyPath, valueName}] = data;
    return true;
  }

  std::set<Key> keys;
  std::map<Value, std::wstring> strings;
  std::map<Value, std::uint32_t> dwords;
};
