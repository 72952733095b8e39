#include "files/content_chunker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937_64 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// The chunks of `bytes`, cut as the package builder and the launcher cut.
std::vector<std::string> Chunks(const std::string& bytes, const ChunkLimits& limits = {}) {
  std::vector<std::string> chunks;
  auto data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t length = ChunkLength(data + at, std::min(limits.most, bytes.size() - at), limits);
    if (length == 0) break;
    chunks.push_back(bytes.substr(at, length));
    at += length;
  }
  return chunks;
}

TEST(ContentChunker, ChunksStayWithinTheLimitsAndCoverTheInput) {
  const ChunkLimits limits;
  std::string bytes = RandomBytes(4 << 20, 1);
  std::vector<std::string> chunks = Chunks(bytes);
  std::size_t total = 0;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (i + 1 < chunks.size()) {
      EXPECT_GE(chunks[i].size(), limits.least) << i;
    }
    EXPECT_LE(chunks[i].size(), limits.most) << i;
    total += chunks[i].size();
  }
  EXPECT_EQ(total, bytes.size());
  // Cut by content, around the average: neither at every maximum nor at
  // every minimum.
  std::size_t average = bytes.size() / chunks.size();
  EXPECT_GT(average, limits.average / 2);
  EXPECT_LT(average, limits.average * 2);
  // A window shorter than the least chunk is the last chunk.
  EXPECT_EQ(Chunks(bytes.substr(0, 1000)), std::vector<std::string>{bytes.substr(0, 1000)});
}

TEST(ContentChunker, BoundariesSurviveInsertedBytes) {
  std::string original = RandomBytes(4 << 20, 2);
  std::string shifted = RandomBytes(4 << 10, 3) + original;
  std::vector<std::string> before = Chunks(original);
  std::vector<std::string> after = Chunks(shifted);
  std::set<std::string> known(before.begin(), before.end());
  std::size_t reused = std::count_if(after.begin(), after.end(),
                                     [&](const std::string& chunk) { return known.count(chunk); });
  EXPECT_GE(reused + 2, after.size()) << reused << " of " << after.size();
}

}  // namespace
