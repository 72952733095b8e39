#include "update/delta_update.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "files/entry_attributes.h"
#include "files/entry_name.h"
#include "files/path_join.h"
#include "files/sha256_digest.h"
#include "files/zip_directory.h"
#include "files/zip_reader.h"
#include "update/chunked_entries.h"
#include "update/delta_plan.h"
#include "update/download_step.h"
#include "update/range_fetch.h"

namespace {

constexpr std::size_t kReadBytes = 64 * 1024;
// The directory is held in memory: 32 MiB is some 300,000 entries, more
// than any client has. A larger one is a record that lies.
constexpr std::uint64_t kMostDirectoryBytes = 32 * 1024 * 1024;
constexpr const wchar_t* kCopyNotWritten = L"the local copy cannot be written";

std::optional<std::uint32_t> FileCrc32(platform::ArchiveStream& stream) {
  std::vector<char> buffer(kReadBytes);
  uLong crc = crc32(0, nullptr, 0);
  std::uint64_t size = stream.Size();
  for (std::uint64_t at = 0; at < size;) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    std::size_t got = stream.ReadAt(at, buffer.data(), want);
    if (got != want) return std::nullopt;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
    at += got;
  }
  return static_cast<std::uint32_t>(crc);
}

std::wstring Hex(std::uint32_t value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%X", static_cast<unsigned>(value));
  return text;
}

class DeltaRun {
 public:
  explicit DeltaRun(const DeltaUpdate& update) : u_(update), chunked_(update) {}

  DeltaResult Run() {
    if (u_.files.GetPathKind(u_.applier.ClientDirectory()) != platform::PathKind::Directory) {
      return {DeltaOutcome::NoInstall, {}};
    }
    if (!Install()) return result_;
    return {DeltaOutcome::Installed, {}};
  }

 private:
  bool Install() {
    chunked_.RemoveLeftovers();
    if (!FetchDirectory()) return false;
    std::optional<std::vector<ZipDirectoryEntry>> entries =
        ParseZipDirectory(std::string_view(end_).substr(0, zipEnd_.directorySize), zipEnd_);
    if (!entries) return GiveUp(DeltaOutcome::PackageRefused, L"the directory does not parse");
    entries_ = std::move(*entries);
    if (!NameEntries()) return GiveUp(DeltaOutcome::PackageRefused, L"two entries share a name");
    if (Listed() ? !MatchListedFiles() : !HoldsAFile()) return false;
    for (std::size_t index = 0; index < entries_.size(); ++index) {
      installed_.push_back(IsInstalled(index));
    }
    spans_ = EntrySpans(entries_, zipEnd_.directoryOffset);
    chunked_.Plan({entries_, names_, spans_, installed_, [this](const std::string& name) {
                     auto listed = listedFiles_.find(name);
                     return listed == listedFiles_.end() ? std::string() : listed->second->sha256;
                   }});
    DeltaPlan plan = Plan();
    if (!WithinHalf(plan)) return false;
    bool installed = FetchAndUnpack(plan);
    u_.files.RemoveFile(u_.copyPath);
    if (!installed) return false;
    std::wstring line = L"\ndelta update: " + std::to_wstring(plan.kept) + L" entries kept, " +
                        std::to_wstring(plan.fetched.size() + plan.pieced.size()) + L" fetched, " +
                        std::to_wstring(u_.fetcher.BytesFetched()) + L" bytes in " +
                        std::to_wstring(u_.fetcher.Requests()) + L" requests";
    if (chunked_.AnyBuilt()) {
      line += L"; chunks: " + std::to_wstring(chunked_.ChunksReused()) + L" reused, " +
              std::to_wstring(chunked_.ChunksFetched()) + L" fetched";
    }
    u_.trace.Write(line);
    return true;
  }

  // The entries to fetch, whole or by their chunks.
  DeltaPlan Plan() {
    return PlanDelta(
        entries_, zipEnd_.directoryOffset, [this](std::size_t index) { return installed_[index]; },
        chunked_.Pieces());
  }

  // The entries' bytes of every plan so far, `plan`'s included, may be at
  // most half the package: beyond, the whole package costs little more.
  bool WithinHalf(const DeltaPlan& plan) {
    std::uint64_t bytes = plannedBytes_ + plan.bytes;
    std::uint64_t fileSize = u_.fetcher.FileSize();
    if (bytes > fileSize / 2) {
      return GiveUp(
          DeltaOutcome::TooMuchChanged,
          std::to_wstring(bytes) + L" of " + std::to_wstring(fileSize) + L" bytes changed");
    }
    plannedBytes_ = bytes;
    u_.fetcher.Expect(plan.bytes);
    return true;
  }

  bool GiveUp(DeltaOutcome outcome, const std::wstring& reason) {
    result_ = {outcome, reason};
    u_.trace.Write(L"\ndelta update not used: " + reason);
    return false;
  }

  bool FetchFailed(const RangeReply& reply) {
    return GiveUp(DeltaOutcome::FetchFailed, DescribeRangeError(reply));
  }

  bool CopyFailed(const std::wstring& reason, const platform::SystemError& cause) {
    std::wstring text = reason;
    if (cause.Known()) text += L"; " + platform::DescribeSystemError(cause);
    return GiveUp(DeltaOutcome::InstallFailed, text);
  }

  // The file's last bytes, then whatever of the directory they missed; keeps
  // the validator that every later request is held to.
  bool FetchDirectory() {
    auto keep = [this](std::uint64_t, const char* data, std::size_t size) {
      end_.append(data, size);
      return true;
    };
    RangeReply tail = u_.fetcher.FetchTail(kZipEndSearchBytes, keep);
    if (!tail.Ok()) return FetchFailed(tail);
    if (u_.manifest.packageSize && *u_.manifest.packageSize != static_cast<double>(tail.fileSize)) {
      return GiveUp(DeltaOutcome::PackageRefused, L"the package is not the manifest's size");
    }
    endOffset_ = tail.first;
    ZipEndScan scan = FindZipEnd(end_, endOffset_);
    switch (scan.problem) {
      case ZipEndProblem::None:
        break;
      case ZipEndProblem::Zip64:
        return GiveUp(DeltaOutcome::PackageRefused, L"zip64 archive");
      default:
        return GiveUp(DeltaOutcome::PackageRefused, L"no usable end of central directory");
    }
    zipEnd_ = scan.end;
    if (zipEnd_.directorySize > kMostDirectoryBytes) {
      return GiveUp(DeltaOutcome::PackageRefused, L"the directory is too large");
    }
    if (zipEnd_.directoryOffset >= endOffset_) {
      end_.erase(0, static_cast<std::size_t>(zipEnd_.directoryOffset - endOffset_));
      endOffset_ = zipEnd_.directoryOffset;
      return true;
    }
    std::string before;
    auto keepBefore = [&before](std::uint64_t, const char* data, std::size_t size) {
      before.append(data, size);
      return true;
    };
    RangeReply head = u_.fetcher.FetchSpan({zipEnd_.directoryOffset, endOffset_ - 1}, keepBefore);
    if (!head.Ok()) return FetchFailed(head);
    end_.insert(0, before);
    endOffset_ = zipEnd_.directoryOffset;
    return true;
  }

  // The names the reader gives the entries; the installed files are found
  // by them. Two entries of one name would make the order of unpacking
  // matter, which a partial unpacking does not keep.
  bool NameEntries() {
    std::set<std::wstring> seen;
    for (const ZipDirectoryEntry& entry : entries_) {
      std::wstring name = CleanEntryName(DecodeEntryName(entry.name));
      while (!name.empty() && platform::IsPathSeparator(name.back())) name.pop_back();
      if (!seen.insert(name).second) return false;
      names_.push_back(std::move(name));
    }
    return true;
  }

  bool Listed() const {
    return u_.manifest.files.has_value() || u_.manifest.packageSha256 != nullptr;
  }

  // The directory's files must be exactly the manifest's, each with the size
  // listed: one that leaves files out (down to an end record of no entries)
  // would leave the old ones in place and record the new version.
  bool MatchListedFiles() {
    if (!u_.manifest.files) {
      return GiveUp(DeltaOutcome::PackageRefused,
                    L"the manifest pins the package but lists no files");
    }
    for (const ManifestFile& file : *u_.manifest.files) listedFiles_[file.name] = &file;
    std::size_t found = 0;
    for (const ZipDirectoryEntry& entry : entries_) {
      if (IsDirectory(entry)) continue;
      auto listed = listedFiles_.find(entry.name);
      if (listed == listedFiles_.end() || listed->second->size != entry.uncompressedSize) {
        return GiveUp(DeltaOutcome::PackageRefused, L"entry " + DecodeEntryName(entry.name) +
                                                        L" is not as the manifest lists it");
      }
      ++found;
    }
    if (found != listedFiles_.size() || found == 0) {
      return GiveUp(DeltaOutcome::PackageRefused,
                    L"the directory leaves out files the manifest lists");
    }
    return true;
  }

  // Unlisted, a directory is taken as the package's, as the full download
  // takes the package; but one without a single file is no client.
  bool HoldsAFile() {
    for (const ZipDirectoryEntry& entry : entries_) {
      if (!IsDirectory(entry)) return true;
    }
    return GiveUp(DeltaOutcome::PackageRefused, L"the directory lists no files");
  }

  static bool IsDirectory(const ZipDirectoryEntry& entry) {
    return IsDirectoryEntry(entry.versionMadeBy, entry.externalAttributes,
                            DecodeEntryName(entry.name));
  }

  // The installed file is the entry's: its SHA-256 the listed one, or
  // unlisted its CRC-32 the directory's.
  bool MatchesInstalled(const ZipDirectoryEntry& entry, const std::wstring& path) {
    std::unique_ptr<platform::ArchiveStream> file = u_.files.OpenArchive(path);
    if (!file || file->Size() != entry.uncompressedSize) return false;
    if (!Listed()) return FileCrc32(*file) == entry.crc;
    std::optional<std::string> digest = Sha256Hex(*file);
    return digest && SameSha256Hex(*digest, listedFiles_.at(entry.name)->sha256);
  }

  bool IsInstalled(std::size_t index) {
    const ZipDirectoryEntry& entry = entries_[index];
    std::optional<std::wstring> path = JoinPath(u_.applier.ClientDirectory(), names_[index]);
    if (!path || names_[index].empty()) return false;
    platform::PathKind kind = u_.files.GetPathKind(*path);
    if (IsDirectory(entry)) return kind == platform::PathKind::Directory;
    // A file whose mode changed is fetched again: it is created with the new one.
    if (kind != platform::PathKind::File ||
        !u_.files.HasMode(*path, EntryFileMode(entry.versionMadeBy, entry.externalAttributes))) {
      return false;
    }
    if (Listed() && u_.verifiedFiles && u_.verifiedFiles->count(entry.name) != 0) {
      return u_.files.FileSize(*path) == entry.uncompressedSize;
    }
    return MatchesInstalled(entry, *path);
  }

  bool FetchAndUnpack(const DeltaPlan& plan) {
    if (plan.fetched.empty() && plan.pieced.empty()) return true;
    platform::CreatedSparseFile created = u_.files.CreateSparseFile(u_.copyPath);
    if (!created.file) return CopyFailed(kCopyNotWritten, created.error);
    platform::SparseFile& copy = *created.file;
    if (platform::SystemResult written = copy.WriteAt(endOffset_, end_.data(), end_.size());
        !written) {
      return CopyFailed(kCopyNotWritten, written.Error());
    }
    platform::SystemError writeError;
    auto write = [&copy, &writeError](std::uint64_t offset, const char* data, std::size_t size) {
      platform::SystemResult written = copy.WriteAt(offset, data, size);
      if (!written) writeError = written.Error();
      return written.Ok();
    };
    RangeReply reply = u_.fetcher.FetchSpans(plan.ranges, write);
    if (reply.error == RangeError::Refused) {
      return CopyFailed(DescribeRangeError(reply), writeError);
    }
    if (!reply.Ok()) return FetchFailed(reply);
    if (platform::SystemResult closed = copy.Close(); !closed) {
      return CopyFailed(kCopyNotWritten, closed.Error());
    }
    return Unpack(plan.fetched);
  }

  bool Unpack(const std::vector<int>& indices) {
    ZipReaderHandle reader = ZipReader::Open(u_.files, u_.copyPath);
    if (!reader) return GiveUp(DeltaOutcome::InstallFailed, L"the local copy does not open");
    if (ZipReader::SetTargetDirectory(reader.get(), u_.applier.ClientDirectory()) != ArchiveOk) {
      return GiveUp(DeltaOutcome::InstallFailed, L"the client directory is refused");
    }
    std::uint64_t needed = chunked_.BytesToBuild();
    for (int index : indices) needed += entries_[static_cast<std::size_t>(index)].uncompressedSize;
    // The full install decides, and says, when the disk is full.
    if (!u_.applier.HasRoomFor(needed))
      return GiveUp(DeltaOutcome::NoRoom, L"not enough free space");
    if (!chunked_.Build(reader.get())) {
      // The entries that could not be built are fetched whole instead.
      reader.reset();
      DeltaPlan plan = Plan();
      return WithinHalf(plan) && FetchAndUnpack(plan);
    }
    if (Listed() && !VerifyFetched(reader.get(), indices)) return false;
    if (!u_.applier.BeginWriting()) {
      return GiveUp(DeltaOutcome::InstallFailed, L"the installed manifest cannot be removed");
    }
    for (int index : indices) {
      ArchiveResult result = u_.applier.WriteEntry(reader.get(), index);
      if (result != ArchiveOk) return EntryFailed(index, result);
    }
    std::wstring failure = chunked_.Install();
    return failure.empty() || GiveUp(DeltaOutcome::InstallFailed, failure);
  }

  // Each fetched file is unpacked aside and checked against the list before
  // any of them reaches the client.
  bool VerifyFetched(ZipReader* reader, const std::vector<int>& indices) {
    const std::wstring aside = u_.copyPath + L".entry";
    for (int index : indices) {
      const ZipDirectoryEntry& stored = entries_[static_cast<std::size_t>(index)];
      if (IsDirectory(stored)) continue;
      ArchiveResult result = ZipReader::ExtractEntry(reader, index, aside);
      bool matches = result == ArchiveOk && MatchesInstalled(stored, aside);
      u_.files.RemoveFile(aside);
      if (result != ArchiveOk) return EntryFailed(index, result);
      if (!matches) {
        return GiveUp(DeltaOutcome::PackageRefused, L"entry " +
                                                        names_[static_cast<std::size_t>(index)] +
                                                        L" is not the SHA-256 the manifest lists");
      }
    }
    return true;
  }

  bool EntryFailed(int index, ArchiveResult result) {
    return GiveUp(DeltaOutcome::InstallFailed, L"entry " + names_[static_cast<std::size_t>(index)] +
                                                   L" failed (" + Hex(result) + L")");
  }

  const DeltaUpdate& u_;
  DeltaResult result_;
  // The directory and end record, from `endOffset_` to the end of the file.
  std::string end_;
  std::uint64_t endOffset_ = 0;
  ZipEnd zipEnd_;
  std::vector<ZipDirectoryEntry> entries_;
  std::vector<std::wstring> names_;
  std::vector<bool> installed_;
  std::vector<ByteSpan> spans_;
  ChunkedEntries chunked_;
  std::map<std::string, const ManifestFile*> listedFiles_;
  std::uint64_t plannedBytes_ = 0;
};

}  // namespace

DeltaResult InstallChangedEntries(const DeltaUpdate& update) {
  return DeltaRun(update).Run();
}
