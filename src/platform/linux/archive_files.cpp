#include "platform/archive_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>

#include "platform/linux/unique_fd.h"
#include "platform/linux/write_all.h"
#include "platform/text_codec.h"

namespace platform {
namespace {

constexpr FileTime kUnixEpochAsFileTime = 116444736000000000ull;
constexpr FileTime kTicksPerSecond = 10000000;

// A mapping made from any offset: the system maps from a page boundary.
class FileMapping final : public MappedBytes {
 public:
  FileMapping(void* base, std::size_t length, std::size_t skipped, std::size_t size)
      : base_(base), length_(length), skipped_(skipped), size_(size) {}
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;
  ~FileMapping() override { ::munmap(base_, length_); }

  unsigned char* Data() override { return static_cast<unsigned char*>(base_) + skipped_; }
  std::size_t Size() const override { return size_; }
  // Shared file pages dropped from this process keep their contents.
  void Release() override { ::madvise(base_, length_, MADV_DONTNEED); }

 private:
  void* base_;
  std::size_t length_;
  std::size_t skipped_;
  std::size_t size_;
};

std::unique_ptr<MappedBytes> MapFile(int fd, int protection, std::uint64_t offset,
                                     std::size_t size) {
  if (size == 0) return nullptr;
  auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  auto skipped = static_cast<std::size_t>(offset % page);
  if (size > SIZE_MAX - skipped) return nullptr;
  std::size_t length = size + skipped;
  void* base =
      ::mmap(nullptr, length, protection, MAP_SHARED, fd, static_cast<off_t>(offset - skipped));
  if (base == MAP_FAILED) return nullptr;
  return std::make_unique<FileMapping>(base, length, skipped, size);
}

class FileStream final : public ArchiveStream {
 public:
  FileStream(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

  std::uint64_t Size() const override { return size_; }

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd_.Get(), bytes + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

  std::unique_ptr<MappedBytes> Map(std::uint64_t offset, std::size_t size) override {
    if (offset > size_ || size > size_ - offset) return nullptr;
    return MapFile(fd_.Get(), PROT_READ, offset, size);
  }

 private:
  UniqueFd fd_;
  std::uint64_t size_;
};

timespec ToTimespec(FileTime time) {
  auto ticks = static_cast<std::int64_t>(time) - static_cast<std::int64_t>(kUnixEpochAsFileTime);
  auto perSecond = static_cast<std::int64_t>(kTicksPerSecond);
  std::int64_t seconds = ticks / perSecond;
  std::int64_t rest = ticks % perSecond;
  if (rest < 0) {
    rest += perSecond;
    --seconds;
  }
  timespec result{};
  result.tv_sec = static_cast<time_t>(seconds);
  result.tv_nsec = static_cast<long>(rest * 100);
  return result;
}

class OutputFd final : public OutputFile {
 public:
  explicit OutputFd(UniqueFd fd) : fd_(std::move(fd)) {}

  bool Write(const void* bytes, std::size_t size) override {
    return WriteAll(fd_.Get(), static_cast<const char*>(bytes), size);
  }

  // futimens is utimensat on the open descriptor; Linux keeps no creation time.
  bool SetTimes(FileTime, FileTime access, FileTime write) override {
    timespec times[2] = {ToTimespec(access), ToTimespec(write)};
    return ::futimens(fd_.Get(), times) == 0;
  }

  // The room is taken first: a write through the mapping to a full volume
  // would kill the process.
  std::unique_ptr<MappedBytes> MapForWriting(std::size_t size) override {
    if (size == 0 || ::fallocate(fd_.Get(), 0, 0, static_cast<off_t>(size)) != 0) return nullptr;
    return MapFile(fd_.Get(), PROT_READ | PROT_WRITE, 0, size);
  }

  bool Empty() override {
    return ::ftruncate(fd_.Get(), 0) == 0 && ::lseek(fd_.Get(), 0, SEEK_SET) == 0;
  }

 private:
  UniqueFd fd_;
};

class SystemArchiveFiles final : public DiskFiles {
 public:
  std::unique_ptr<ArchiveStream> OpenArchive(const std::wstring& path) const override {
    UniqueFd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    return std::make_unique<FileStream>(std::move(fd), static_cast<std::uint64_t>(info.st_size));
  }

  std::unique_ptr<OutputFile> CreateNewFile(const std::wstring& path,
                                            const OutputFileMode& mode) const override {
    auto permissions = static_cast<mode_t>(mode.permissions & 0777);
    UniqueFd fd(
        ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, permissions));
    if (!fd.Valid()) return nullptr;
    return std::make_unique<OutputFd>(std::move(fd));
  }

  bool MakeWritable(const std::wstring& path) const override {
    std::string native = NativePath(path);
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if ((info.st_mode & S_IWUSR) != 0) return true;
    return ::chmod(native.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
  }

  bool HasMode(const std::wstring& path, const OutputFileMode& mode) const override {
    struct stat info {};
    if (::lstat(NativePath(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    constexpr mode_t kOwnerBits = S_IWUSR | S_IXUSR;
    return (info.st_mode & kOwnerBits) == (mode.permissions & kOwnerBits);
  }

  bool RemoveFile(const std::wstring& path) const override {
    return ::unlink(NativePath(path).c_str()) == 0;
  }

  std::wstring CurrentDirectory() const override {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
    return DecodeUtf8(buffer);
  }

  std::optional<std::uint64_t> AvailableBytes(const std::wstring& directory) const override {
    struct statvfs volume {};
    if (::statvfs(NativePath(directory).c_str(), &volume) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
  }

  std::optional<FileTime> LocalToFileTime(const LocalDateTime& local) const override {
    std::tm calendar{};
    calendar.tm_year = local.year - 1900;
    calendar.tm_mon = local.month - 1;
    calendar.tm_mday = local.day;
    calendar.tm_hour = local.hour;
    calendar.tm_min = local.minute;
    calendar.tm_sec = local.second;
    calendar.tm_isdst = -1;
    std::time_t seconds = std::mktime(&calendar);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<FileTime>(static_cast<std::int64_t>(seconds) *
                                     static_cast<std::int64_t>(kTicksPerSecond) +
                                 static_cast<std::int64_t>(kUnixEpochAsFileTime));
  }
};

}  // namespace

std::unique_ptr<ArchiveFiles> MakeSystemArchiveFiles() {
  return std::make_unique<SystemArchiveFiles>();
}

}  // namespace platform
