#include "package_builder.h"

#include <cjson/cJSON.h>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "chunked_deflate.h"
#include "files/little_endian.h"
#include "files/sha256_digest.h"
#include "files/zip_directory.h"
#include "platform/unique_resource.h"

namespace {

constexpr std::uint32_t kMadeByUnix = 3u << 8 | 20u;
constexpr std::uint32_t kUtf8NamesFlag = 0x800;
constexpr std::uint32_t kDosDirectory = 0x10;
constexpr std::uint16_t kExtendedTimestampId = 0x5455;
constexpr std::uint64_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint64_t kLocalHeaderBytes = 30;

// An archive given up halfway; a finished one is closed by hand, as its
// closing writes the directory and can fail.
void AbandonZip(zipFile archive) {
  zipClose(archive, nullptr);
}
using ZipHandle = platform::UniqueAny<zipFile, AbandonZip>;
using JsonTree = platform::UniqueAny<cJSON*, cJSON_Delete>;
using JsonText = platform::UniqueAny<char*, cJSON_free>;

bool IsDirectoryName(const std::string& name) {
  return !name.empty() && name.back() == '/';
}

tm_zip LocalZipTime(std::int64_t seconds) {
  std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  tm_zip zipTime{};
  zipTime.tm_sec = static_cast<uInt>(local.tm_sec);
  zipTime.tm_min = static_cast<uInt>(local.tm_min);
  zipTime.tm_hour = static_cast<uInt>(local.tm_hour);
  zipTime.tm_mday = static_cast<uInt>(local.tm_mday);
  zipTime.tm_mon = static_cast<uInt>(local.tm_mon);
  zipTime.tm_year = static_cast<uInt>(std::max(local.tm_year + 1900, 1980));
  return zipTime;
}

// The extended timestamp field with the modification time in UTC: the same
// bytes serve the local header and the central directory.
std::string TimestampExtra(std::int64_t seconds) {
  auto time = static_cast<std::uint32_t>(seconds);
  std::string extra;
  extra.push_back(static_cast<char>(kExtendedTimestampId & 0xFF));
  extra.push_back(static_cast<char>(kExtendedTimestampId >> 8));
  extra.push_back(5);
  extra.push_back(0);
  extra.push_back(1);
  for (int shift = 0; shift < 32; shift += 8) extra.push_back(static_cast<char>(time >> shift));
  return extra;
}

bool WriteContent(void* archive, const ArchiveItem& item) {
  if (!item.source) {
    return item.bytes.empty() ||
           zipWriteInFileInZip(archive, item.bytes.data(),
                               static_cast<unsigned>(item.bytes.size())) == ZIP_OK;
  }
  std::ifstream in(*item.source, std::ios::binary);
  if (!in) return false;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    auto got = static_cast<unsigned>(in.gcount());
    if (got > 0 && zipWriteInFileInZip(archive, buffer.data(), got) != ZIP_OK) return false;
  }
  return in.eof();
}

// Whether the item is a file to be deflated chunk by chunk.
bool IsChunked(const ArchiveItem& item, std::optional<std::uint64_t> chunkMin) {
  if (!chunkMin || IsDirectoryName(item.name)) return false;
  std::error_code error;
  std::uint64_t size = item.source ? std::filesystem::file_size(*item.source, error)
                                   : static_cast<std::uint64_t>(item.bytes.size());
  return !error && size > 0 && size >= *chunkMin;
}

// The content deflated by us rather than by minizip, which takes it as is.
std::optional<ChunkedContent> WriteChunkedContent(void* archive, const ArchiveItem& item) {
  std::unique_ptr<std::istream> in;
  if (item.source) {
    in = std::make_unique<std::ifstream>(*item.source, std::ios::binary);
  } else {
    in = std::make_unique<std::istringstream>(item.bytes);
  }
  if (!*in) return std::nullopt;
  return DeflateInChunks(*in, [archive](const unsigned char* data, std::size_t size) {
    return zipWriteInFileInZip(archive, data, static_cast<unsigned>(size)) == ZIP_OK;
  });
}

// Adds the item; an entry deflated chunk by chunk is added to `index`, its
// data offset still to be found.
bool AddItem(void* archive, const ArchiveItem& item, std::optional<std::uint64_t> chunkMin,
             ChunkIndex& index) {
  bool directory = IsDirectoryName(item.name);
  bool chunked = IsChunked(item, chunkMin);
  zip_fileinfo info{};
  info.tmz_date = LocalZipTime(item.modifiedTime);
  info.external_fa = (item.unixMode << 16) | (directory ? kDosDirectory : 0u);
  std::string extra = TimestampExtra(item.modifiedTime);
  auto extraSize = static_cast<uInt>(extra.size());
  int method = directory ? 0 : Z_DEFLATED;
  if (zipOpenNewFileInZip4_64(archive, item.name.c_str(), &info, extra.data(), extraSize,
                              extra.data(), extraSize, nullptr, method, Z_DEFAULT_COMPRESSION,
                              chunked ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              nullptr, 0, kMadeByUnix, kUtf8NamesFlag, 0) != ZIP_OK) {
    return false;
  }
  if (!chunked) {
    bool written = directory || WriteContent(archive, item);
    return zipCloseFileInZip(archive) == ZIP_OK && written;
  }
  std::optional<ChunkedContent> content = WriteChunkedContent(archive, item);
  if (!content) {
    zipCloseFileInZip(archive);
    return false;
  }
  index.entries.push_back({item.name, 0, content->size, std::move(content->chunks)});
  return zipCloseFileInZipRaw64(archive, content->size, content->crc32) == ZIP_OK;
}

std::optional<std::string> ReadAt(std::ifstream& in, std::uint64_t offset, std::uint64_t size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) return std::nullopt;
  return bytes;
}

// Where each indexed entry's compressed data begins, read back from the
// package as a launcher reads it: its central directory, then each entry's
// local header. False when that cannot be read (a zip64 package, which the
// launcher does not update by ranges).
bool LocateEntryData(const std::filesystem::path& path, ChunkIndex& index) {
  std::error_code error;
  std::uint64_t size = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) return false;
  std::uint64_t tailOffset = size - std::min(size, kZipEndSearchBytes);
  std::optional<std::string> tail = ReadAt(in, tailOffset, size - tailOffset);
  if (!tail) return false;
  ZipEndScan scan = FindZipEnd(*tail, tailOffset);
  if (scan.problem != ZipEndProblem::None) return false;
  std::optional<std::string> directory =
      ReadAt(in, scan.end.directoryOffset, scan.end.directorySize);
  if (!directory) return false;
  auto entries = ParseZipDirectory(*directory, scan.end);
  if (!entries) return false;
  std::map<std::string, std::uint64_t> headers;
  for (const ZipDirectoryEntry& entry : *entries) headers[entry.name] = entry.localHeaderOffset;
  for (IndexedEntry& entry : index.entries) {
    auto header = headers.find(entry.name);
    if (header == headers.end()) return false;
    std::optional<std::string> local = ReadAt(in, header->second, kLocalHeaderBytes);
    if (!local || ReadLittleEndian(*local, 0, 4) != kLocalHeaderSignature) return false;
    entry.dataOffset = header->second + kLocalHeaderBytes + ReadLittleEndian(*local, 26, 2) +
                       ReadLittleEndian(*local, 28, 2);
  }
  return true;
}

}  // namespace

std::optional<ChunkIndex> WriteChunkedZipArchive(const std::filesystem::path& path,
                                                 const std::vector<ArchiveItem>& items,
                                                 std::optional<std::uint64_t> chunkMin) {
  ChunkIndex index;
  bool ok = false;
  {
    ZipHandle archive(zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE));
    if (!archive.Valid()) return std::nullopt;
    ok = std::all_of(items.begin(), items.end(), [&](const ArchiveItem& item) {
      return AddItem(archive.Get(), item, chunkMin, index);
    });
    ok = zipClose(archive.Release(), nullptr) == ZIP_OK && ok;
  }
  if (!ok) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return std::nullopt;
  }
  if (!index.entries.empty() && !LocateEntryData(path, index)) index.entries.clear();
  return index;
}

bool WriteZipArchive(const std::filesystem::path& path, const std::vector<ArchiveItem>& items) {
  return WriteChunkedZipArchive(path, items, std::nullopt).has_value();
}

std::optional<std::vector<ArchiveItem>> CollectDirectory(const std::filesystem::path& directory) {
  std::error_code error;
  std::vector<ArchiveItem> items;
  for (std::filesystem::recursive_directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    struct stat info {};
    if (::stat(path.string().c_str(), &info) != 0) return std::nullopt;
    ArchiveItem item;
    item.name = std::filesystem::relative(path, directory).generic_u8string();
    item.unixMode = static_cast<std::uint32_t>(info.st_mode);
    item.modifiedTime = static_cast<std::int64_t>(info.st_mtime);
    if (it->is_directory()) {
      item.name += '/';
    } else if (it->is_regular_file()) {
      item.source = path;
    } else {
      continue;
    }
    items.push_back(std::move(item));
  }
  if (error) return std::nullopt;
  std::sort(items.begin(), items.end(),
            [](const ArchiveItem& a, const ArchiveItem& b) { return a.name < b.name; });
  return items;
}

namespace {

// The item's content digested as it is read; none when it cannot be read.
std::optional<std::string> ItemSha256(const ArchiveItem& item, std::uint64_t& size) {
  Sha256Hasher sha256;
  if (!item.source) {
    size = item.bytes.size();
    sha256.Update(item.bytes.data(), item.bytes.size());
    return sha256.FinishHex();
  }
  std::ifstream in(*item.source, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<char> buffer(1 << 16);
  size = 0;
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    auto got = static_cast<std::size_t>(in.gcount());
    sha256.Update(buffer.data(), got);
    size += got;
  }
  if (!in.eof()) return std::nullopt;
  return sha256.FinishHex();
}

}  // namespace

std::optional<PackageIdentity> IdentifyPackage(const std::filesystem::path& package) {
  std::ifstream in(package, std::ios::binary);
  if (!in) return std::nullopt;
  PackageIdentity identity;
  uLong crc = crc32(0L, Z_NULL, 0);
  Sha256Hasher sha256;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    auto got = static_cast<uInt>(in.gcount());
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), got);
    sha256.Update(buffer.data(), got);
    identity.size += got;
  }
  if (!in.eof()) return std::nullopt;
  identity.crc32 = static_cast<std::uint32_t>(crc);
  identity.sha256 = sha256.FinishHex();
  if (identity.sha256.empty()) return std::nullopt;
  return identity;
}

std::optional<std::vector<PackageFile>> DigestFiles(const std::vector<ArchiveItem>& items) {
  std::vector<PackageFile> files;
  for (const ArchiveItem& item : items) {
    if (IsDirectoryName(item.name)) continue;
    PackageFile file;
    file.name = item.name;
    std::optional<std::string> digest = ItemSha256(item, file.size);
    if (!digest) return std::nullopt;
    file.sha256 = *digest;
    files.push_back(std::move(file));
  }
  return files;
}

std::string ManifestExePath(const std::filesystem::path& inClient) {
  return "GameClient/" + inClient.lexically_normal().generic_u8string();
}

std::string ManifestText(const std::string& clientUrl, const std::string& exePath,
                         const std::optional<PackageIdentity>& package,
                         const ManifestExtras& guards) {
  JsonTree root(cJSON_CreateObject());
  cJSON_AddStringToObject(root.Get(), "client_url", clientUrl.c_str());
  cJSON_AddStringToObject(root.Get(), "exe_path", exePath.c_str());
  if (guards.version) {
    cJSON_AddNumberToObject(root.Get(), "version", static_cast<double>(*guards.version));
  }
  if (guards.expires) cJSON_AddStringToObject(root.Get(), "expires", guards.expires->c_str());
  if (!guards.updateKeys.empty()) {
    cJSON* keys = cJSON_AddArrayToObject(root.Get(), "update_keys");
    for (const std::string& key : guards.updateKeys) {
      cJSON_AddItemToArray(keys, cJSON_CreateString(key.c_str()));
    }
  }
  if (!guards.mirrors.empty()) {
    cJSON* mirrors = cJSON_AddArrayToObject(root.Get(), "mirrors");
    for (const std::string& mirror : guards.mirrors) {
      cJSON_AddItemToArray(mirrors, cJSON_CreateString(mirror.c_str()));
    }
  }
  if (package) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(package->crc32));
    cJSON_AddNumberToObject(root.Get(), "package_size", static_cast<double>(package->size));
    if (!package->sha256.empty()) {
      cJSON_AddStringToObject(root.Get(), "package_sha256", package->sha256.c_str());
    }
    cJSON_AddStringToObject(root.Get(), "package_crc32", crc);
    if (!package->chunksSha256.empty()) {
      cJSON_AddNumberToObject(root.Get(), "chunks_size", static_cast<double>(package->chunksSize));
      cJSON_AddStringToObject(root.Get(), "chunks_sha256", package->chunksSha256.c_str());
    }
    if (!package->files.empty()) {
      cJSON* files = cJSON_AddArrayToObject(root.Get(), "files");
      for (const PackageFile& file : package->files) {
        cJSON* entry = cJSON_CreateObject();
        cJSON_AddStringToObject(entry, "name", file.name.c_str());
        cJSON_AddNumberToObject(entry, "size", static_cast<double>(file.size));
        cJSON_AddStringToObject(entry, "sha256", file.sha256.c_str());
        cJSON_AddItemToArray(files, entry);
      }
    }
  }
  JsonText printed(cJSON_Print(root.Get()));
  return printed.Valid() ? std::string(printed.Get()) + "\n" : std::string();
}
