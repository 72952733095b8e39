#include "update/cache_buster.h"

#include <gtest/gtest.h>

namespace {

TEST(CacheBuster, AppendsTheTickCountAsASignedNumber) {
  EXPECT_EQ(AppendCacheBuster(L"http://h/pkg.json", 12345), L"http://h/pkg.json?skq=12345");
  EXPECT_EQ(AppendCacheBuster(L"http://h/p", 2147483647u), L"http://h/p?skq=2147483647");
  EXPECT_EQ(AppendCacheBuster(L"http://h/p", 2147483648u), L"http://h/p?skq=-2147483648");
  EXPECT_EQ(AppendCacheBuster(L"http://h/p", 0xFFFFFFFFu), L"http://h/p?skq=-1");
}

TEST(CacheBuster, IsAppendedAfterAnExistingQuery) {
  EXPECT_EQ(AppendCacheBuster(L"http://h/v?a=1", 7), L"http://h/v?a=1?skq=7");
  EXPECT_EQ(AppendCacheBuster(L"", 7), L"?skq=7");
}

}  // namespace
