// One subcommand of micro-pkg.
#pragma once

#include <string>
#include <vector>

struct Command {
  const char* name;
  // Argument synopsis for the usage text, e.g. "ARCHIVE DIR".
  const char* arguments;
  const char* summary;
  // The exit status, 2 for wrong arguments (the usage is printed then); the
  // arguments exclude the program and command names.
  int (*run)(const std::vector<std::wstring>& arguments);
};

int RunList(const std::vector<std::wstring>& arguments);
int RunBuild(const std::vector<std::wstring>& arguments);
int RunServe(const std::vector<std::wstring>& arguments);
int RunFetch(const std::vector<std::wstring>& arguments);
int RunExtract(const std::vector<std::wstring>& arguments);
int RunKeygen(const std::vector<std::wstring>& arguments);
int RunSign(const std::vector<std::wstring>& arguments);
int RunVerify(const std::vector<std::wstring>& arguments);
int RunHash(const std::vector<std::wstring>& arguments);
