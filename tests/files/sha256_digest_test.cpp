#include "files/sha256_digest.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <random>
#include <vector>

#include "temp_dir.h"

namespace {

std::optional<std::string> HashOf(const std::string& bytes) {
  TempDir dir;
  dir.Write(L"package.zip", bytes);
  auto stream = platform::MakeSystemArchiveFiles()->OpenArchive(dir.WideFile(L"package.zip"));
  EXPECT_TRUE(stream);
  return stream ? Sha256Hex(*stream) : std::nullopt;
}

// Known digests (FIPS 180-2 examples) and one spanning several read pieces.
TEST(Sha256Digest, HashesWholeFiles) {
  EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HashOf(std::string(3 * 1024 * 1024 + 5, 'a')),
            "aff2c7498aae939dfb2fb1dc6c0c83fa3708b069428e51338801af7f5dc2bf0f");
}

// Pieces of every length up to a few blocks, split at random, against
// libsodium's one-shot SHA-256.
TEST(Sha256Digest, PiecewiseHashingMatchesLibsodium) {
  std::mt19937 random(256);
  for (std::size_t size = 0; size < 300; ++size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    unsigned char expected[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(expected, reinterpret_cast<const unsigned char*>(bytes.data()), size);
    char hex[sizeof expected * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, expected, sizeof expected);

    Sha256Hasher hasher;
    for (std::size_t at = 0; at < size;) {
      std::size_t piece = std::min<std::size_t>(size - at, random() % 150);
      hasher.Update(bytes.data() + at, piece);
      at += piece;
    }
    ASSERT_EQ(hasher.FinishHex(), hex) << "size " << size;
  }
}

TEST(Sha256Digest, RecognisesHexDigests) {
  EXPECT_TRUE(IsSha256Hex(std::string(64, 'a')));
  EXPECT_TRUE(IsSha256Hex("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
  EXPECT_FALSE(IsSha256Hex(std::string(63, 'a')));
  EXPECT_FALSE(IsSha256Hex(std::string(65, 'a')));
  EXPECT_FALSE(IsSha256Hex(std::string(63, 'a') + "g"));
  EXPECT_FALSE(IsSha256Hex(""));
}

}  // namespace
