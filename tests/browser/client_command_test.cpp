#include "browser/client_command.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

TEST(QuoteCommandLineArgument, FollowsTheBackslashAndQuotationMarkRules) {
  EXPECT_EQ(QuoteCommandLineArgument(L""), L"\"\"");
  EXPECT_EQ(QuoteCommandLineArgument(L"a b"), L"\"a b\"");
  EXPECT_EQ(QuoteCommandLineArgument(L"a\"b"), L"\"a\\\"b\"");
  // Backslashes stand for themselves unless a quotation mark follows.
  EXPECT_EQ(QuoteCommandLineArgument(L"a\\b\\\\c"), L"\"a\\b\\\\c\"");
  EXPECT_EQ(QuoteCommandLineArgument(L"a\\\"b"), L"\"a\\\\\\\"b\"");
  EXPECT_EQ(QuoteCommandLineArgument(L"dir\\"), L"\"dir\\\\\"");
  EXPECT_EQ(QuoteCommandLineArgument(L"%PATH% \u767B"), L"\"%PATH% \u767B\"");
}

TEST(FormGameClientCommand, KeepsTheLaunchersShape) {
  auto command = FormGameClientCommand(L"C:\\g\\micro\\GameClient\\game.exe", L"sid=1&k=2");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->commandLine, L"\"C:\\g\\micro\\GameClient\\game.exe\" 0 \"sid=1&k=2\"");
  EXPECT_EQ(command->executable, L"C:\\g\\micro\\GameClient\\game.exe");
  EXPECT_EQ(command->arguments, (std::vector<std::wstring>{L"0", L"sid=1&k=2"}));
}

TEST(FormGameClientCommand, EmptyTailEndsWithTwoQuotationMarks) {
  auto command = FormGameClientCommand(L"game.exe", L"");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->commandLine, L"\"game.exe\" 0 \"\"");
}

TEST(FormGameClientCommand, RefusesWhatTheBufferCannotHold) {
  std::wstring executable = L"game.exe";
  // "game.exe" in quotes, " 0 ", and the tail in quotes.
  std::size_t fixed = executable.size() + 2 + 3 + 2;
  EXPECT_TRUE(FormGameClientCommand(executable, std::wstring(kMaxCommandLineChars - fixed, L'x')));
  EXPECT_FALSE(
      FormGameClientCommand(executable, std::wstring(kMaxCommandLineChars - fixed + 1, L'x')));
  // Escaping counts: one quotation mark needs two characters.
  EXPECT_FALSE(FormGameClientCommand(executable,
                                     std::wstring(kMaxCommandLineChars - fixed - 1, L'x') + L"\""));
}

TEST(FormGameClientCommand, RefusesAnExecutablePathWithAQuotationMark) {
  EXPECT_FALSE(FormGameClientCommand(L"C:\\a\"b\\game.exe", L"tail"));
}

#ifdef _WIN32
TEST(FormGameClientCommand, WindowsReadsBackExactlyThreeArguments) {
  const std::wstring tails[] = {
      L"",
      L"plain",
      L"with space",
      L"quote\" --extra \"x",
      L"\"",
      L"back\\slash",
      L"trailing\\",
      L"trailing\\\\",
      L"before\\\"quote",
      L"100% %s %d",
      L"\u767B\u5F55 \u00E9",
  };
  for (const std::wstring& tail : tails) {
    auto command = FormGameClientCommand(L"C:\\dir with space\\game.exe", tail);
    ASSERT_TRUE(command);
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(command->commandLine.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(count, 3) << command->commandLine;
    EXPECT_STREQ(argv[0], L"C:\\dir with space\\game.exe");
    EXPECT_STREQ(argv[1], L"0");
    EXPECT_EQ(std::wstring(argv[2]), tail) << command->commandLine;
    ::LocalFree(argv);
  }
}
#endif

}  // namespace
