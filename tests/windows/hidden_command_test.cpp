#include "platform/win32/hidden_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (std::filesystem::path(self).parent_path() / name).wstring();
}

TEST(HiddenCommandTest, AHungCommandIsEndedAtTheTimeLimit) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::RunHiddenCommand(L"\"" + Beside(L"qelt_sleeper.exe") + L"\"", 500));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(HiddenCommandTest, TheExitCodeDecides) {
  EXPECT_TRUE(platform::RunHiddenCommand(L"cmd.exe /c exit 0", 20000));
  EXPECT_FALSE(platform::RunHiddenCommand(L"cmd.exe /c exit 3", 20000));
  EXPECT_FALSE(platform::RunHiddenCommand(L"no-such-program.exe", 20000));
}

}  // namespace
