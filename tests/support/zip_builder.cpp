#include "zip_builder.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <stdexcept>

#include "files/pkware_keys.h"

namespace testzip {
std::uint32_t Crc32(const std::string& data);

namespace {

// A growable in-memory file for minizip's zip layer.
struct MemoryFile {
  std::string bytes;
  std::size_t position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf, const void* file, int) {
  return const_cast<void*>(file);
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
  auto& file = *static_cast<MemoryFile*>(stream);
  std::size_t n =
      std::min<std::size_t>(size, file.bytes.size() - std::min(file.position, file.bytes.size()));
  file.bytes.copy(static_cast<char*>(buffer), n, file.position);
  file.position += n;
  return static_cast<uLong>(n);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf stream, const void* buffer, uLong size) {
  auto& file = *static_cast<MemoryFile*>(stream);
  if (file.bytes.size() < file.position + size) file.bytes.resize(file.position + size);
  file.bytes.replace(file.position, size, static_cast<const char*>(buffer), size);
  file.position += size;
  return size;
}

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) {
  return static_cast<MemoryFile*>(stream)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto& file = *static_cast<MemoryFile*>(stream);
  std::size_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? file.position
                     : origin == ZLIB_FILEFUNC_SEEK_END ? file.bytes.size()
                                                        : 0;
  file.position = base + static_cast<std::size_t>(offset);
  return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) {
  return 0;
}
int ZCALLBACK MemoryError(voidpf, voidpf) {
  return 0;
}

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// The entry's data as stored: compressed, then encrypted behind its header.
std::string Payload(const Entry& entry, bool streamed) {
  std::string payload = entry.method == 8 ? RawDeflate(entry.data) : entry.data;
  if (!entry.encrypted) return payload;
  std::string header = "0123456789";
  std::uint32_t check = streamed ? entry.dosDateTime << 16 : Crc32(entry.data);
  header.push_back(static_cast<char>((check >> 16) & 0xFF));
  header.push_back(
      static_cast<char>(entry.checkByte.value_or(static_cast<unsigned char>(check >> 24))));
  std::string stored = header + payload;
  PkwareKeys keys;
  PkwareInitKeys(&keys, "");
  PkwareEncrypt(&keys, reinterpret_cast<unsigned char*>(stored.data()), stored.size());
  return stored;
}

std::uint16_t Flags(const Entry& entry, bool streamed) {
  return static_cast<std::uint16_t>(entry.flags | (entry.encrypted ? 1 : 0) | (streamed ? 8 : 0));
}

void Append16(std::string& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<char>(value & 0xFF));
  bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Append32(std::string& bytes, std::uint32_t value) {
  Append16(bytes, value & 0xFFFF);
  Append16(bytes, value >> 16);
}

void Append64(std::string& bytes, std::uint64_t value) {
  Append32(bytes, static_cast<std::uint32_t>(value));
  Append32(bytes, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace

std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
  std::uint32_t date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  std::uint32_t time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

std::string Build(const std::vector<Entry>& entries) {
  MemoryFile memory;
  zlib_filefunc64_def functions{OpenMemory, ReadMemory,  WriteMemory, TellMemory,
                                SeekMemory, CloseMemory, MemoryError, nullptr};
  zipFile zip = zipOpen2_64(&memory, APPEND_STATUS_CREATE, nullptr, &functions);
  if (zip == nullptr) throw std::runtime_error("zipOpen2_64");
  for (const Entry& entry : entries) {
    zip_fileinfo info{};
    info.dosDate = entry.dosDateTime;
    info.external_fa = entry.externalAttributes;
    // Encrypted entries are written raw: the zip layer's own encryption reads
    // zlib's CRC table with the wrong width on 64-bit Linux.
    bool raw = entry.encrypted;
    std::string data = raw ? Payload(entry, false) : entry.data;
    int status = zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, entry.localExtra.data(),
                                         static_cast<uInt>(entry.localExtra.size()), nullptr, 0,
                                         nullptr, entry.method, Z_DEFAULT_COMPRESSION, raw ? 1 : 0,
                                         -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0,
                                         entry.versionMadeBy, Flags(entry, false), 0);
    if (status != ZIP_OK) throw std::runtime_error("zipOpenNewFileInZip4_64");
    if (!data.empty()) zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size()));
    if (raw) {
      zipCloseFileInZipRaw(zip, static_cast<uLong>(entry.data.size()), Crc32(entry.data));
    } else {
      zipCloseFileInZip(zip);
    }
  }
  zipClose(zip, nullptr);
  return memory.bytes;
}

std::string BuildStreamed(const std::vector<Entry>& entries) {
  std::string archive;
  std::string central;
  for (const Entry& entry : entries) {
    std::string payload = Payload(entry, true);
    auto offset = static_cast<std::uint32_t>(archive.size());
    Append32(archive, kLocalHeader);
    Append16(archive, 20);
    Append16(archive, Flags(entry, true));
    Append16(archive, static_cast<std::uint32_t>(entry.method));
    Append32(archive, entry.dosDateTime);
    Append32(archive, 0);
    Append32(archive, 0);
    Append32(archive, 0);
    Append16(archive, static_cast<std::uint32_t>(entry.name.size()));
    Append16(archive, static_cast<std::uint32_t>(entry.localExtra.size()));
    archive += entry.name + entry.localExtra + payload;
    Append32(archive, 0x08074b50);
    Append32(archive, Crc32(entry.data));
    Append32(archive, static_cast<std::uint32_t>(payload.size()));
    Append32(archive, static_cast<std::uint32_t>(entry.data.size()));

    Append32(central, kCentralHeader);
    Append16(central, entry.versionMadeBy);
    Append16(central, 20);
    Append16(central, Flags(entry, true));
    Append16(central, static_cast<std::uint32_t>(entry.method));
    Append32(central, entry.dosDateTime);
    Append32(central, Crc32(entry.data));
    std::string extra;
    if (entry.zip64Sizes) {
      Append32(central, 0xFFFFFFFF);
      Append32(central, 0xFFFFFFFF);
      std::string sizes;
      Append64(sizes, entry.zip64Sizes->first);
      Append64(sizes, entry.zip64Sizes->second);
      extra = ExtraBlock(0x0001, sizes);
    } else {
      Append32(central, static_cast<std::uint32_t>(payload.size()));
      Append32(central, static_cast<std::uint32_t>(entry.data.size()));
    }
    Append16(central, static_cast<std::uint32_t>(entry.name.size()));
    Append16(central, static_cast<std::uint32_t>(extra.size()));
    Append16(central, 0);
    Append16(central, 0);
    Append16(central, 0);
    Append32(central, entry.externalAttributes);
    Append32(central, offset);
    central += entry.name + extra;
  }
  auto centralOffset = static_cast<std::uint32_t>(archive.size());
  archive += central;
  Append32(archive, 0x06054b50);
  Append16(archive, 0);
  Append16(archive, 0);
  Append16(archive, static_cast<std::uint32_t>(entries.size()));
  Append16(archive, static_cast<std::uint32_t>(entries.size()));
  Append32(archive, static_cast<std::uint32_t>(central.size()));
  Append32(archive, centralOffset);
  Append16(archive, 0);
  return archive;
}

std::uint32_t Crc32(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string ExtraBlock(std::uint16_t id, std::string_view data) {
  std::string block;
  Append16(block, id);
  Append16(block, static_cast<std::uint32_t>(data.size()));
  block += data;
  return block;
}

std::string UtBlock(unsigned char flags, const std::vector<std::int32_t>& times) {
  std::string data(1, static_cast<char>(flags));
  for (std::int32_t time : times) Append32(data, static_cast<std::uint32_t>(time));
  return ExtraBlock(0x5455, data);
}

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::size_t FindSignature(const std::string& bytes, std::uint32_t signature, int nth) {
  std::string pattern;
  Append32(pattern, signature);
  std::size_t at = bytes.find(pattern);
  for (int i = 0; i < nth && at != std::string::npos; ++i) at = bytes.find(pattern, at + 1);
  if (at == std::string::npos) throw std::runtime_error("signature not found");
  return at;
}

}  // namespace testzip
