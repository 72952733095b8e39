// Reading a multipart/byteranges body however its bytes are cut.
#include "update/byteranges_body.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const char kBody[] =
    "\r\n--THIS\r\nContent-Type: application/zip\r\nContent-Range: bytes 2-5/20\r\n\r\n"
    "abcd\r\n--THIS\r\ncontent-range: bytes 10-11/20\r\n\r\n--\r\n--THIS--\r\n";

// The bytes each part delivered, by offset, feeding `piece` bytes at a time.
std::map<std::uint64_t, char> Read(std::string_view body, std::size_t piece, bool& ok,
                                   bool& complete) {
  std::map<std::uint64_t, char> bytes;
  auto parser = ByteRangesBody::ForContentType("multipart/byteranges; boundary=\"THIS\"");
  ok = parser.has_value();
  for (std::size_t at = 0; ok && at < body.size(); at += piece) {
    std::string_view chunk = body.substr(at, piece);
    ok = parser->Feed(chunk.data(), chunk.size(),
                      [&bytes](const ContentRange& range, std::uint64_t offset, const char* data,
                               std::size_t size) {
                        EXPECT_EQ(range.size, 20u);
                        for (std::size_t i = 0; i < size; ++i) bytes[offset + i] = data[i];
                        return true;
                      });
  }
  complete = ok && parser->Complete();
  return bytes;
}

TEST(ByteRangesBody, PartsArriveAtTheirOffsetsHoweverTheBodyIsCut) {
  const std::map<std::uint64_t, char> expected = {{2, 'a'}, {3, 'b'},  {4, 'c'},
                                                  {5, 'd'}, {10, '-'}, {11, '-'}};
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, sizeof kBody}) {
    bool ok = false;
    bool complete = false;
    EXPECT_EQ(Read(kBody, piece, ok, complete), expected) << piece;
    EXPECT_TRUE(ok && complete) << piece;
  }
}

TEST(ByteRangesBody, BrokenBodiesAreRefused) {
  bool ok = true;
  bool complete = true;
  std::string noRange = "--THIS\r\nContent-Type: x\r\n\r\nabcd\r\n--THIS--";
  Read(noRange, 5, ok, complete);
  EXPECT_FALSE(ok);
  std::string cut = std::string(kBody).substr(0, 80);
  Read(cut, 5, ok, complete);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(complete);
  EXPECT_FALSE(ByteRangesBody::ForContentType("application/zip").has_value());
  EXPECT_FALSE(ByteRangesBody::ForContentType("multipart/byteranges").has_value());
}

}  // namespace
