// Options of the form "--name VALUE" after a command's positional arguments.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/minisign_key.h"

struct ParsedArguments {
  std::vector<std::wstring> positional;
  // The last value of each option given.
  std::map<std::wstring, std::wstring> options;
  // Every value of each option given, in order, for options that repeat.
  std::map<std::wstring, std::vector<std::wstring>> repeated;
};

// None when an option lacks its value or is not one of `known`.
std::optional<ParsedArguments> ParseArguments(const std::vector<std::wstring>& arguments,
                                              const std::vector<std::wstring>& known);

// Removes every `flag` (an option without a value) from `arguments`; whether
// there was one.
bool TakeFlag(std::vector<std::wstring>& arguments, const std::wstring& flag);

// A whole decimal number from 1 to `most`; none for anything else.
std::optional<std::uint64_t> CountArgument(const std::wstring& text, std::uint64_t most);

// A public key given as its base64 line or as a public key file.
std::optional<MinisignPublicKey> PublicKeyArgument(const std::wstring& lineOrFile);

// A command-line path as the standard library wants it.
std::filesystem::path ToPath(const std::wstring& text);
