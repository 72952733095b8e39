#include "files/ansi_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace {

// On Linux the ANSI code page is the locale's codeset; the C locale holds
// ASCII only, as Windows' default 1252 holds no Chinese.
class AsciiCodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
  }
  void TearDown() override { std::setlocale(LC_CTYPE, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(AsciiCodePage, NullGivesNull) {
  EXPECT_EQ(WideToAnsi(nullptr), nullptr);
}

TEST_F(AsciiCodePage, EmptyGivesTwoZeroBytes) {
  std::unique_ptr<char[]> text = WideToAnsi(L"");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text[0], '\0');
  EXPECT_EQ(text[1], '\0');
}

TEST_F(AsciiCodePage, AsciiPassesUnchanged) {
  EXPECT_STREQ(WideToAnsi(L"http://host/login?a=1&b=%20").get(), "http://host/login?a=1&b=%20");
}

TEST_F(AsciiCodePage, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_STREQ(WideToAnsi(L"a\u4E2D\u6587b").get(), "a??b");
}

}  // namespace
