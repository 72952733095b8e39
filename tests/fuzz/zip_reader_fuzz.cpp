// libFuzzer target: opens arbitrary bytes as an archive, lists every entry and
// extracts it into a scratch directory, then checks nothing landed outside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fakes/forwarding_archive_files.h"
#include "files/package_extraction.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

class MemoryStream final : public platform::ArchiveStream {
 public:
  MemoryStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (offset >= size_) return 0;
    std::size_t n = std::min<std::uint64_t>(size, size_ - offset);
    std::memcpy(buffer, data_ + offset, n);
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// The input is the archive; everything else is the real file system.
class FuzzFiles final : public ForwardingArchiveFiles {
 public:
  FuzzFiles(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::unique_ptr<platform::ArchiveStream> OpenArchive(const std::wstring&) const override {
    return std::make_unique<MemoryStream>(data_, size_);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

const fs::path& Scratch() {
  static const fs::path scratch = [] {
    std::string pattern = (fs::temp_directory_path() / "zip-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return scratch;
}

void ClearScratch() {
  for (const auto& item : fs::directory_iterator(Scratch())) {
    fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(item.path());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFiles files(data, size);
  ZipReaderHandle reader = ZipReader::Open(files, L"input.zip");
  if (reader) {
    ArchiveEntry count;
    ZipReader::GetEntry(reader.get(), -1, &count);
    for (int index = count.index - 1; index >= 0; --index) {
      ArchiveEntry entry;
      ZipReader::GetEntry(reader.get(), index, &entry);
    }
    ZipReader::Close(std::move(reader));
  }
  std::wstring target = platform::DecodeUtf8((Scratch() / "out").string());
  ExtractAllEntries(files, L"input.zip", target, nullptr);
  for (const auto& item : fs::directory_iterator(Scratch())) {
    if (item.path().filename() != "out") {
      std::fprintf(stderr, "entry escaped the target directory: %s\n", item.path().c_str());
      std::abort();
    }
  }
  ClearScratch();
  return 0;
}
