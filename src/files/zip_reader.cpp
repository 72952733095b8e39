#include "files/zip_reader.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/central_records.h"
#include "files/entry_attributes.h"
#include "files/entry_data.h"
#include "files/entry_directories.h"
#include "files/entry_name.h"
#include "files/entry_times.h"
#include "files/file_entry_writer.h"
#include "files/little_endian.h"
#include "files/zip_stream.h"
#include "platform/file_system.h"
#include "platform/unique_resource.h"

namespace {

constexpr int kStored = 0;
constexpr int kDeflated = 8;
constexpr unsigned long kFlagEncrypted = 0x1;
constexpr unsigned long kFlagDataDescriptor = 0x8;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kLocalHeaderBytes = 30;
constexpr std::uint64_t kSizeMarker = 0xFFFFFFFFu;

using ArchiveHandle = platform::UniqueAny<unzFile, unzClose>;

// Where an entry's data begins and its local extra field.
struct LocalParts {
  std::uint64_t dataOffset = 0;
  std::string extra;
};

// The local header as minizip checks it before it opens an entry: the same
// method, name length and (unless a data descriptor follows the data) CRC-32
// and sizes as the central record.
ArchiveResult ReadLocalHeader(ArchiveCursor& cursor, const CentralRecord& record,
                              std::uint64_t bytesBefore, LocalParts& parts) {
  std::uint64_t at = record.localHeaderOffset + bytesBefore;
  std::optional<std::string_view> header = cursor.Bytes(at, kLocalHeaderBytes);
  if (!header || ReadLittleEndian(*header, 0, 4) != kLocalSignature) return ArchiveHeaderError;
  bool descriptor = (ReadLittleEndian(*header, 6, 2) & kFlagDataDescriptor) != 0;
  std::uint64_t compressed = ReadLittleEndian(*header, 18, 4);
  std::uint64_t uncompressed = ReadLittleEndian(*header, 22, 4);
  std::uint64_t nameLength = ReadLittleEndian(*header, 26, 2);
  auto extraLength = static_cast<std::size_t>(ReadLittleEndian(*header, 28, 2));
  if (ReadLittleEndian(*header, 8, 2) != record.method) return ArchiveHeaderError;
  if (!descriptor && (ReadLittleEndian(*header, 14, 4) != record.crc ||
                      (compressed != kSizeMarker && compressed != record.compressedSize) ||
                      (uncompressed != kSizeMarker && uncompressed != record.uncompressedSize))) {
    return ArchiveHeaderError;
  }
  if (nameLength != record.name.size()) return ArchiveHeaderError;
  std::uint64_t extraAt = at + kLocalHeaderBytes + nameLength;
  parts.dataOffset = extraAt + extraLength;
  std::optional<std::string_view> extra = cursor.Bytes(extraAt, extraLength);
  if (!extra) return ArchiveReadError;
  parts.extra.assign(*extra);
  return ArchiveOk;
}

// An entry as looked up: the caller's record and what extraction needs.
struct EntryDetails {
  ArchiveEntry entry;
  EntryFacts facts;
  platform::OutputFileMode mode;
  std::uint64_t dataOffset = 0;
};

std::wstring WithSeparator(std::wstring_view directory) {
  std::wstring result(directory);
  if (result.empty() || !platform::IsPathSeparator(result.back())) {
    result.push_back(platform::kPathSeparator);
  }
  return result;
}

// Windows keeps its MAX_PATH; Linux allows far longer paths.
bool FitsPathLimit(std::size_t length) {
  return length <= platform::kMaxPathChars;
}

// Where an entry's raw data lies in the archive.
struct DataRange {
  std::uint64_t end = 0;
  int index = 0;
};
// By start; the ranges of entries looked up so far, none overlapping.
using DataRanges = std::map<std::uint64_t, DataRange>;

bool OverlapsAnother(const DataRanges& ranges, std::uint64_t start, std::uint64_t end, int index) {
  auto next = ranges.lower_bound(start);
  if (next != ranges.end() && next->second.index != index && next->first < end) return true;
  if (next == ranges.begin()) return false;
  auto previous = std::prev(next);
  return previous->second.index != index && previous->second.end > start;
}

}  // namespace

struct ZipReader::State {
  explicit State(const platform::ArchiveFiles& archiveFiles) : files(archiveFiles) {}

  // Entry `index` into `cached`, unless it is there already.
  ArchiveResult LookUp(int index);
  platform::FileTime DosToFileTime(std::uint32_t dosDateTime);
  ArchiveResult PlanFile(const EntryDetails& details, std::wstring_view targetName,
                         EntryPlan& plan) const;

  const platform::ArchiveFiles& files;
  std::unique_ptr<platform::ArchiveStream> stream;
  std::unique_ptr<ArchiveCursor> cursor;
  int entryCount = 0;
  std::uint64_t bytesBefore = 0;
  // The records up to the first unreadable one: entries from there on fail.
  std::vector<CentralRecord> records;
  int cachedIndex = -1;
  EntryDetails cached;
  // mktime looks at the time zone file on every call; entries of one archive
  // mostly share a few DOS times.
  std::unordered_map<std::uint32_t, platform::FileTime> fileTimes;
  std::uint64_t declaredBytes = 0;
  DataRanges claimed;
  std::wstring targetDirectory;
  // Allocated by the first extraction on the reader's own thread.
  std::unique_ptr<EntryBuffers> buffers;
};

platform::FileTime ZipReader::State::DosToFileTime(std::uint32_t dosDateTime) {
  auto known = fileTimes.find(dosDateTime);
  if (known != fileTimes.end()) return known->second;
  std::optional<platform::LocalDateTime> local = DosToLocal(dosDateTime);
  std::optional<platform::FileTime> time;
  if (local) time = files.LocalToFileTime(*local);
  platform::FileTime result = time.value_or(kInvalidDosTimeFallback);
  fileTimes.emplace(dosDateTime, result);
  return result;
}

ArchiveResult ZipReader::State::LookUp(int index) {
  if (index == cachedIndex) return ArchiveOk;
  cachedIndex = -1;
  if (static_cast<std::size_t>(index) >= records.size()) return ArchiveFileError;
  const CentralRecord& record = records[static_cast<std::size_t>(index)];
  if (record.name.size() >= kArchivePathChars) return ArchiveHeaderError;
  if (record.method != kStored && record.method != kDeflated) return ArchiveHeaderError;
  LocalParts local;
  ArchiveResult header = ReadLocalHeader(*cursor, record, bytesBefore, local);
  if (header == ArchiveHeaderError) return header;
  // Entries sharing data would unpack the same bytes again and again (20
  // records naming one 11 KiB deflate stream made 200 MB): an entry whose
  // data overlaps that of an entry looked up before is refused.
  std::uint64_t start = local.dataOffset;
  std::uint64_t end = start + record.compressedSize;
  if (end > start) {
    if (OverlapsAnother(claimed, start, end, index)) return ArchiveHeaderError;
    claimed[start] = {end, index};
  }
  if (header != ArchiveOk) return header;

  // Field by field: a whole ArchiveEntry is mostly an empty name buffer.
  EntryDetails& details = cached;
  details.facts = EntryFacts{};
  details.mode = platform::OutputFileMode{};
  details.dataOffset = start;
  ArchiveEntry& entry = details.entry;
  entry.index = index;
  std::wstring stored = DecodeEntryName(record.name);
  std::wstring name = CleanEntryName(stored);
  std::size_t nameLength = std::min(name.size(), kArchivePathChars - 1);
  std::wmemcpy(entry.name, name.data(), nameLength);
  entry.name[nameLength] = L'\0';

  std::uint16_t versionMadeBy = record.versionMadeBy;
  std::uint32_t externalAttributes = record.externalAttributes;
  entry.attributes = EntryAttributes(versionMadeBy, externalAttributes);
  details.mode = EntryFileMode(versionMadeBy, externalAttributes);
  if (IsDirectoryEntry(versionMadeBy, externalAttributes, stored)) {
    entry.attributes |= kArchiveDirectory;
    details.mode.attributes |= kArchiveDirectory;
  }
  entry.compressedSize = record.compressedSize;
  entry.uncompressedSize = record.uncompressedSize;

  EntryTimes times;
  times.write = times.access = times.creation = DosToFileTime(record.dosDateTime);
  ApplyExtendedTimestamps(local.extra, times);
  entry.writeTime = times.write;
  entry.accessTime = times.access;
  entry.creationTime = times.creation;

  EntryFacts& facts = details.facts;
  facts.method = record.method;
  facts.encrypted = (record.flag & kFlagEncrypted) != 0;
  facts.hasDataDescriptor = (record.flag & kFlagDataDescriptor) != 0;
  facts.dosDateTime = record.dosDateTime;
  facts.crc = record.crc;
  facts.compressedSize = record.compressedSize;
  facts.uncompressedSize = record.uncompressedSize;
  cachedIndex = index;
  return ArchiveOk;
}

ArchiveResult ZipReader::State::PlanFile(const EntryDetails& details, std::wstring_view targetName,
                                         EntryPlan& plan) const {
  std::size_t split = targetName.find_last_of(L"\\/");
  std::wstring_view directoryPart =
      split == std::wstring_view::npos ? std::wstring_view() : targetName.substr(0, split + 1);
  std::wstring_view filePart =
      split == std::wstring_view::npos ? targetName : targetName.substr(split + 1);
  std::optional<std::wstring> base;
  if (!IsAbsoluteTargetName(directoryPart)) base = targetDirectory;
  std::wstring targetPath = base.value_or(L"");
  targetPath.append(directoryPart).append(filePart);
  if (!FitsPathLimit(targetPath.size())) return ArchiveFileError;

  plan.base = std::move(base);
  plan.directories = std::wstring(directoryPart);
  plan.isFile = true;
  FileEntryJob& job = plan.file;
  job.targetPath = ToPlatformSeparators(targetPath);
  job.mode = details.mode;
  job.facts = details.facts;
  job.dataOffset = details.dataOffset;
  job.creationTime = details.entry.creationTime;
  job.accessTime = details.entry.accessTime;
  job.writeTime = details.entry.writeTime;
  return ArchiveOk;
}

void CopyArchiveEntry(const ArchiveEntry& from, ArchiveEntry& to) {
  to.index = from.index;
  std::size_t length = std::wcslen(from.name);
  std::wmemcpy(to.name, from.name, length + 1);
  to.attributes = from.attributes;
  to.accessTime = from.accessTime;
  to.creationTime = from.creationTime;
  to.writeTime = from.writeTime;
  to.compressedSize = from.compressedSize;
  to.uncompressedSize = from.uncompressedSize;
}

void ZipReaderCloser::operator()(ZipReader* reader) const {
  delete reader;
}

ZipReader::ZipReader(std::unique_ptr<State> state) : state_(std::move(state)) {}

ZipReader::~ZipReader() = default;

ZipReaderHandle ZipReader::Open(const platform::ArchiveFiles& files, std::wstring_view path) {
  auto state = std::make_unique<State>(files);
  state->targetDirectory = WithSeparator(files.CurrentDirectory());
  state->stream = files.OpenArchive(std::wstring(path));
  if (!state->stream) return nullptr;
  // minizip decides which archives open, and how many entries they have.
  ZipStream zipStream(*state->stream);
  zlib_filefunc64_def functions = zipStream.FileFunctions();
  ArchiveHandle archive(unzOpen2_64(&zipStream, &functions));
  if (!archive.Valid()) return nullptr;
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(archive.Get(), &global) != UNZ_OK) return nullptr;
  state->entryCount = static_cast<int>(std::min<ZPOS64_T>(global.number_entry, INT_MAX));
  state->cursor = std::make_unique<ArchiveCursor>(*state->stream);
  std::optional<CentralPlace> place = LocateCentralDirectory(*state->cursor);
  if (!place) return nullptr;
  state->bytesBefore = place->bytesBefore;
  state->records =
      ReadCentralRecords(*state->cursor, *place, static_cast<std::uint64_t>(state->entryCount));
  for (const CentralRecord& record : state->records) {
    // Saturating: forged sizes must not wrap round to a small sum.
    state->declaredBytes +=
        std::min<std::uint64_t>(record.uncompressedSize, UINT64_MAX - state->declaredBytes);
  }
  return ZipReaderHandle(new ZipReader(std::move(state)));
}

ArchiveResult ZipReader::SetTargetDirectory(ZipReader* reader, std::wstring_view directory) {
  if (reader == nullptr) return ArchiveArgumentError;
  std::wstring target = WithSeparator(directory);
  if (!FitsPathLimit(target.size())) return ArchiveArgumentError;
  reader->state_->targetDirectory = std::move(target);
  return ArchiveOk;
}

ArchiveResult ZipReader::GetUnpackedSize(ZipReader* reader, std::uint64_t* bytes) {
  if (reader == nullptr || bytes == nullptr) return ArchiveArgumentError;
  *bytes = reader->state_->declaredBytes;
  return ArchiveOk;
}

ArchiveResult ZipReader::GetEntry(ZipReader* reader, int index, ArchiveEntry* entry) {
  if (reader == nullptr || entry == nullptr) return ArchiveArgumentError;
  State& state = *reader->state_;
  if (index < -1 || index >= state.entryCount) return ArchiveArgumentError;
  if (index == -1) {
    *entry = ArchiveEntry{};
    entry->index = state.entryCount;
    return ArchiveOk;
  }
  ArchiveResult result = state.LookUp(index);
  if (result != ArchiveOk) return result;
  CopyArchiveEntry(state.cached.entry, *entry);
  return ArchiveOk;
}

ArchiveResult ZipReader::PlanExtraction(ZipReader* reader, int index, std::wstring_view targetName,
                                        EntryPlan* plan) {
  if (reader == nullptr || plan == nullptr) return ArchiveArgumentError;
  State& state = *reader->state_;
  if (index < 0 || index >= state.entryCount) return ArchiveArgumentError;
  ArchiveResult found = state.LookUp(index);
  if (found != ArchiveOk) return found;
  const EntryDetails& details = state.cached;

  bool absolute = IsAbsoluteTargetName(targetName);
  if (!absolute && ClimbsAboveBase(targetName)) return ArchiveArgumentError;
  *plan = EntryPlan{};
  if ((details.entry.attributes & kArchiveDirectory) == 0) {
    return state.PlanFile(details, targetName, *plan);
  }
  if (!absolute) plan->base = state.targetDirectory;
  if (!FitsPathLimit(plan->base.value_or(L"").size() + targetName.size())) return ArchiveFileError;
  plan->directories = std::wstring(targetName);
  return ArchiveOk;
}

ArchiveResult ZipReader::ExtractEntry(ZipReader* reader, int index, std::wstring_view targetName) {
  EntryPlan plan;
  ArchiveResult planned = PlanExtraction(reader, index, targetName, &plan);
  if (planned != ArchiveOk) return planned;
  State& state = *reader->state_;
  CreateEntryDirectories(state.files, plan.base, plan.directories);
  if (!plan.isFile) return ArchiveOk;
  if (!state.buffers) state.buffers = std::make_unique<EntryBuffers>();
  return WriteFileEntry(state.files, *state.stream, plan.file, *state.buffers);
}

platform::ArchiveStream& ZipReader::Archive(ZipReader& reader) {
  return *reader.state_->stream;
}

ArchiveResult ZipReader::Close(ZipReaderHandle reader) {
  return reader ? ArchiveOk : ArchiveArgumentError;
}
