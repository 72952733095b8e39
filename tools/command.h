// One subcommand of micro-pkg.
#pragma once

#include <string>
#include <vector>

enum class CommandResult {
  Ok,
  Failed,
  // The usage is printed.
  BadArguments,
};

struct Command {
  const char* name;
  // Argument synopsis for the usage text, e.g. "ARCHIVE DIR".
  const char* arguments;
  const char* summary;
  // The arguments exclude the program and command names.
  CommandResult (*run)(const std::vector<std::wstring>& arguments);
};

CommandResult RunList(const std::vector<std::wstring>& arguments);
CommandResult RunBuild(const std::vector<std::wstring>& arguments);
CommandResult RunServe(const std::vector<std::wstring>& arguments);
CommandResult RunFetch(const std::vector<std::wstring>& arguments);
CommandResult RunExtract(const std::vector<std::wstring>& arguments);
CommandResult RunKeygen(const std::vector<std::wstring>& arguments);
CommandResult RunSign(const std::vector<std::wstring>& arguments);
CommandResult RunVerify(const std::vector<std::wstring>& arguments);
CommandResult RunHash(const std::vector<std::wstring>& arguments);
CommandResult RunChunks(const std::vector<std::wstring>& arguments);
