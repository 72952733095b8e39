#include "platform/unique_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Handles are small numbers; closing records them, and 13 will not close.
struct CountingTraits {
  using Handle = int;
  static inline std::vector<int>* closed = nullptr;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle handle) { return handle != 0; }
  static bool Close(Handle handle) {
    closed->push_back(handle);
    return handle != 13;
  }
};
using Owned = platform::UniqueResource<CountingTraits>;

class UniqueResourceTest : public ::testing::Test {
 protected:
  UniqueResourceTest() { CountingTraits::closed = &closed_; }
  ~UniqueResourceTest() override { CountingTraits::closed = nullptr; }
  std::vector<int> closed_;
};

TEST_F(UniqueResourceTest, ClosesOnceWhenDestroyedOrReset) {
  {
    Owned owned(4);
    EXPECT_TRUE(owned.Reset(5));
    EXPECT_EQ(closed_, (std::vector<int>{4}));
  }
  EXPECT_EQ(closed_, (std::vector<int>{4, 5}));
}

TEST_F(UniqueResourceTest, ReleaseHandsOverAndMoveCarriesOwnership) {
  Owned owned(7);
  EXPECT_EQ(owned.Release(), 7);
  EXPECT_FALSE(owned.Valid());
  Owned first(8);
  Owned second(std::move(first));
  EXPECT_FALSE(first.Valid());
  EXPECT_EQ(second.Get(), 8);
  second = Owned(9);
  EXPECT_EQ(closed_, (std::vector<int>{8}));
}

TEST_F(UniqueResourceTest, PutClosesTheOldHandleAndTakesTheNew) {
  Owned owned(3);
  *owned.Put() = 11;
  EXPECT_EQ(closed_, (std::vector<int>{3}));
  EXPECT_EQ(owned.Get(), 11);
}

TEST_F(UniqueResourceTest, ResetReportsAFailedClose) {
  Owned owned(13);
  EXPECT_FALSE(owned.Reset());
  EXPECT_TRUE(owned.Reset());
}

}  // namespace
