// Archives for the tests: well-formed ones written with minizip's zip layer,
// and streamed ones (data descriptors) laid out byte by byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testzip {

inline constexpr std::uint16_t kMadeOnDos = 0x0014;
inline constexpr std::uint16_t kMadeOnUnix = 0x0314;
inline constexpr std::uint16_t kLanguageEncodingFlag = 0x0800;

std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);
// 2021-06-15 10:20:30.
inline const std::uint32_t kSomeDosTime = DosDateTime(2021, 6, 15, 10, 20, 30);

// A Unix mode in the high half of the external attributes.
inline std::uint32_t UnixAttributes(std::uint32_t mode) {
  return mode << 16;
}

struct Entry {
  Entry(std::string entryName = {}, std::string entryData = {})
      : name(std::move(entryName)), data(std::move(entryData)) {}

  std::string name;
  std::string data;
  int method = 8;
  std::uint16_t versionMadeBy = kMadeOnDos;
  std::uint32_t externalAttributes = 0;
  std::uint32_t dosDateTime = kSomeDosTime;
  std::string localExtra;
  // BuildStreamed only: the central record declares these sizes (uncompressed,
  // compressed) in a zip64 block, with 0xFFFFFFFF in its own fields.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> zip64Sizes;
  std::uint16_t flags = 0;
  // Traditional PKWARE encryption with the empty password.
  bool encrypted = false;
  // Replaces the check byte of the encryption header when set.
  std::optional<unsigned char> checkByte;
};

std::string Build(const std::vector<Entry>& entries);
// Each entry's local header has bit 3 set and zeros for CRC-32 and sizes; a
// data descriptor with the real values follows its data.
std::string BuildStreamed(const std::vector<Entry>& entries);

std::string ExtraBlock(std::uint16_t id, std::string_view data);
// An extended-timestamp block with the given flags and times.
std::string UtBlock(unsigned char flags, const std::vector<std::int32_t>& times);

std::uint32_t Crc32(const std::string& data);

void Put16(std::string& bytes, std::size_t at, std::uint16_t value);
void Put32(std::string& bytes, std::size_t at, std::uint32_t value);
// Offset of the nth occurrence of a 4-byte header signature.
std::size_t FindSignature(const std::string& bytes, std::uint32_t signature, int nth = 0);

inline constexpr std::uint32_t kLocalHeader = 0x04034b50;
inline constexpr std::uint32_t kCentralHeader = 0x02014b50;

}  // namespace testzip
