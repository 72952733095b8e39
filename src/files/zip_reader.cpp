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

#include "files/entry_attributes.h"
#include "files/entry_data.h"
#include "files/entry_directories.h"
#include "files/entry_name.h"
#include "files/entry_times.h"
#include "files/file_entry_writer.h"
#include "files/zip64_sizes.h"
#include "files/zip_stream.h"
#include "platform/file_system.h"
#include "platform/unique_resource.h"

namespace {

constexpr int kStored = 0;
constexpr int kDeflated = 8;
constexpr unsigned long kFlagEncrypted = 0x1;
constexpr unsigned long kFlagDataDescriptor = 0x8;

using ArchiveHandle = platform::UniqueAny<unzFile, unzClose>;

// Closes the entry that GetEntry opens to reach its local header.
class OpenedEntry {
 public:
  explicit OpenedEntry(unzFile archive)
      : archive_(archive), ok_(unzOpenCurrentFile2(archive, nullptr, nullptr, 1) == UNZ_OK) {}
  OpenedEntry(const OpenedEntry&) = delete;
  OpenedEntry& operator=(const OpenedEntry&) = delete;
  ~OpenedEntry() {
    if (ok_) unzCloseCurrentFile(archive_);
  }
  bool Ok() const { return ok_; }

 private:
  unzFile archive_;
  bool ok_;
};

// The current entry's central record, its sizes read past 4 GiB on every
// platform; `extraBuffer` receives the extra field.
bool ReadCentralRecord(unzFile file, unz_file_info64& info, char* name, unsigned long nameSize,
                       std::vector<char>& extraBuffer) {
  extraBuffer.resize(0xFFFF);
  if (unzGetCurrentFileInfo64(file, &info, name, nameSize, extraBuffer.data(),
                              static_cast<unsigned long>(extraBuffer.size()), nullptr,
                              0) != UNZ_OK) {
    return false;
  }
  std::string_view extra(extraBuffer.data(), std::min<std::size_t>(info.size_file_extra, 0xFFFF));
  EntrySizes sizes{info.uncompressed_size, info.compressed_size};
  ApplyZip64Sizes(extra, sizes);
  info.uncompressed_size = sizes.uncompressed;
  info.compressed_size = sizes.compressed;
  return true;
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

  void SumDeclaredSizes();
  ArchiveResult PositionAt(int index);
  // Entry `index` into `cached`, unless it is there already.
  ArchiveResult LookUp(int index);
  platform::FileTime DosToFileTime(std::uint32_t dosDateTime);
  ArchiveResult PlanFile(const EntryDetails& details, std::wstring_view targetName,
                         EntryPlan& plan) const;

  const platform::ArchiveFiles& files;
  std::unique_ptr<platform::ArchiveStream> stream;
  std::unique_ptr<ZipStream> zipStream;
  ArchiveHandle archive;
  int entryCount = 0;
  // The entry minizip is positioned at; -1 when unknown or unreachable.
  int current = -1;
  // No walk gets past a record it could not read once: the archive does not
  // change while it is open, so entries from here on fail without walking
  // the central directory again for each.
  int reachable = INT_MAX;
  int cachedIndex = -1;
  EntryDetails cached;
  // mktime looks at the time zone file on every call; entries of one archive
  // mostly share a few DOS times.
  std::unordered_map<std::uint32_t, platform::FileTime> fileTimes;
  std::uint64_t declaredBytes = 0;
  DataRanges claimed;
  std::wstring targetDirectory;
  std::vector<char> extraBuffer;
  // Allocated by the first extraction on the reader's own thread.
  std::unique_ptr<EntryBuffers> buffers;
};

// One walk over the central directory alone.
void ZipReader::State::SumDeclaredSizes() {
  unzFile file = archive.Get();
  int index = 0;
  for (int status = unzGoToFirstFile(file); status == UNZ_OK && index < entryCount;
       status = unzGoToNextFile(file), ++index) {
    unz_file_info64 info{};
    if (!ReadCentralRecord(file, info, nullptr, 0, extraBuffer)) break;
    // Saturating: forged sizes must not wrap round to a small sum.
    declaredBytes += std::min<std::uint64_t>(info.uncompressed_size, UINT64_MAX - declaredBytes);
  }
}

ArchiveResult ZipReader::State::PositionAt(int index) {
  if (index >= reachable) return ArchiveFileError;
  unzFile file = archive.Get();
  if (current < 0 || index < current) {
    current = unzGoToFirstFile(file) == UNZ_OK ? 0 : -1;
    if (current < 0) {
      reachable = 0;
      return ArchiveFileError;
    }
  }
  while (current < index) {
    if (unzGoToNextFile(file) != UNZ_OK) {
      reachable = current + 1;
      current = -1;
      return ArchiveFileError;
    }
    ++current;
  }
  return ArchiveOk;
}

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
  ArchiveResult positioned = PositionAt(index);
  if (positioned != ArchiveOk) return positioned;
  unzFile file = archive.Get();
  unz_file_info64 info{};
  char nameBytes[kArchivePathChars] = {};
  if (!ReadCentralRecord(file, info, nameBytes, sizeof nameBytes, extraBuffer)) {
    current = -1;
    return ArchiveFileError;
  }
  if (info.size_filename >= kArchivePathChars) return ArchiveHeaderError;
  if (info.compression_method != kStored && info.compression_method != kDeflated) {
    return ArchiveHeaderError;
  }
  std::string extra;
  std::uint64_t dataOffset = 0;
  {
    OpenedEntry opened(file);
    if (!opened.Ok()) return ArchiveHeaderError;
    // Entries sharing data would unpack the same bytes again and again (20
    // records naming one 11 KiB deflate stream made 200 MB): an entry whose
    // data overlaps that of an entry looked up before is refused.
    std::uint64_t start = unzGetCurrentFileZStreamPos64(file);
    dataOffset = start;
    std::uint64_t end = start + info.compressed_size;
    if (end > start) {
      if (OverlapsAnother(claimed, start, end, index)) return ArchiveHeaderError;
      claimed[start] = {end, index};
    }
    int extraLength = unzGetLocalExtrafield(file, nullptr, 0);
    if (extraLength < 0) return ArchiveReadError;
    extra.resize(static_cast<std::size_t>(extraLength));
    if (extraLength > 0 &&
        unzGetLocalExtrafield(file, extra.data(), static_cast<unsigned>(extraLength)) !=
            extraLength) {
      return ArchiveReadError;
    }
  }

  // Field by field: a whole ArchiveEntry is mostly an empty name buffer.
  EntryDetails& details = cached;
  details.facts = EntryFacts{};
  details.mode = platform::OutputFileMode{};
  details.dataOffset = dataOffset;
  ArchiveEntry& entry = details.entry;
  entry.index = index;
  std::wstring stored = DecodeEntryName(std::string_view(nameBytes, info.size_filename));
  std::wstring name = CleanEntryName(stored);
  std::size_t nameLength = std::min(name.size(), kArchivePathChars - 1);
  std::wmemcpy(entry.name, name.data(), nameLength);
  entry.name[nameLength] = L'\0';

  auto versionMadeBy = static_cast<std::uint16_t>(info.version);
  auto externalAttributes = static_cast<std::uint32_t>(info.external_fa);
  entry.attributes = EntryAttributes(versionMadeBy, externalAttributes);
  details.mode = EntryFileMode(versionMadeBy, externalAttributes);
  if (IsDirectoryEntry(versionMadeBy, externalAttributes, stored)) {
    entry.attributes |= kArchiveDirectory;
    details.mode.attributes |= kArchiveDirectory;
  }
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;

  EntryTimes times;
  times.write = times.access = times.creation =
      DosToFileTime(static_cast<std::uint32_t>(info.dosDate));
  ApplyExtendedTimestamps(extra, times);
  entry.writeTime = times.write;
  entry.accessTime = times.access;
  entry.creationTime = times.creation;

  EntryFacts& facts = details.facts;
  facts.method = static_cast<int>(info.compression_method);
  facts.encrypted = (info.flag & kFlagEncrypted) != 0;
  facts.hasDataDescriptor = (info.flag & kFlagDataDescriptor) != 0;
  facts.dosDateTime = static_cast<std::uint32_t>(info.dosDate);
  facts.crc = static_cast<std::uint32_t>(info.crc);
  facts.compressedSize = info.compressed_size;
  facts.uncompressedSize = info.uncompressed_size;
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
  state->zipStream = std::make_unique<ZipStream>(*state->stream);
  zlib_filefunc64_def functions = state->zipStream->FileFunctions();
  state->archive.Reset(unzOpen2_64(state->zipStream.get(), &functions));
  if (!state->archive.Valid()) return nullptr;
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(state->archive.Get(), &global) != UNZ_OK) return nullptr;
  state->entryCount = static_cast<int>(std::min<ZPOS64_T>(global.number_entry, INT_MAX));
  state->SumDeclaredSizes();
  state->current = unzGoToFirstFile(state->archive.Get()) == UNZ_OK ? 0 : -1;
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
  ArchiveResult positioned = state.PositionAt(index);
  if (positioned != ArchiveOk) return positioned;
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
