// Options of the form "--name VALUE" after a command's positional arguments.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ParsedArguments {
  std::vector<std::wstring> positional;
  std::map<std::wstring, std::wstring> options;
};

// None when an option lacks its value or is not one of `known`.
std::optional<ParsedArguments> ParseArguments(const std::vector<std::wstring>& arguments,
                                              const std::vector<std::wstring>& known);

// A command-line path as the standard library wants it.
std::filesystem::path ToPath(const std::wstring& text);
