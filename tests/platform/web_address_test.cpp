#include "platform/web_address.h"

#include <gtest/gtest.h>

namespace {

TEST(WebAddress, HttpAndHttpsInAnyCaseWithSomethingAfter) {
  EXPECT_TRUE(platform::IsWebAddress(L"http://a"));
  EXPECT_TRUE(platform::IsWebAddress(L"HTTPS://news.example/x"));
  EXPECT_FALSE(platform::IsWebAddress(L"http://"));
  EXPECT_FALSE(platform::IsWebAddress(L"file:///C:/x"));
  EXPECT_FALSE(platform::IsWebAddress(L"javascript:alert(1)"));
  EXPECT_FALSE(platform::IsWebAddress(L" http://a"));
}

}  // namespace
