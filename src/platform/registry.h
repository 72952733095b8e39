// The registry as the launcher uses it: read a short string, write a DWORD
// into a key that must already exist. On Linux a file-backed store with the
// same root keys, key paths and value names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry {
 public:
  virtual ~Registry() = default;
  // The value's text when the key and the value exist and the text with its
  // terminator fits `capacity` characters; the value's type is not examined.
  virtual std::optional<std::wstring> ReadString(RegistryRoot root, const std::wstring& keyPath,
                                                 const std::wstring& valueName,
                                                 std::size_t capacity) const = 0;
  // Sets a 32-bit value under an existing key; the key is never created.
  // False when the key does not exist or cannot be opened for writing.
  virtual bool WriteDword(RegistryRoot root, const std::wstring& keyPath,
                          const std::wstring& valueName, std::uint32_t data) = 0;
};

std::unique_ptr<Registry> MakeSystemRegistry();

}  // namespace platform
