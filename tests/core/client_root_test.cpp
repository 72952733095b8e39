#include "core/client_root.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace {

// An empty root would put the launcher's files in the working directory; an
// over-long one would hand out paths the system cuts or refuses one by one.
TEST(ClientRoot, RefusesAnEmptyOrOverLongDirectoryAsAWhole) {
  const std::wstring longest = L"pkg_tmp.json.minisig";
  std::wstring directory(platform::kMaxPathChars - longest.size() - 1, L'd');
  directory += platform::kPathSeparator;
  std::optional<ClientRoot> root = ClientRoot::At(directory);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->ManifestSignature(), directory + longest);
  EXPECT_EQ(root->ClientDirectory(), directory + L"GameClient" + platform::kPathSeparator);
  EXPECT_FALSE(ClientRoot::At(L"d" + directory));
  EXPECT_FALSE(ClientRoot::At(L""));
}

}  // namespace
