#include "files/zip_stream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kWindowBytes = 8192;
// Reads at least this large go straight to the file.
constexpr std::size_t kDirectReadBytes = 4096;

ZipStream& Self(voidpf opaque) {
  return *static_cast<ZipStream*>(opaque);
}

voidpf ZCALLBACK OpenStream(voidpf, const void* self, int) {
  return const_cast<void*>(self);
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(Self(stream).Read(buffer, size));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) {
  return 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) {
  return Self(stream).Tell();
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return Self(stream).Seek(static_cast<std::int64_t>(offset), origin) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf) {
  return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf stream) {
  return Self(stream).Failed() ? 1 : 0;
}

}  // namespace

ZipStream::ZipStream(platform::ArchiveStream& stream) : stream_(stream), size_(stream.Size()) {}

zlib_filefunc64_def ZipStream::FileFunctions() {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = OpenStream;
  functions.zread_file = ReadStream;
  functions.zwrite_file = WriteStream;
  functions.ztell64_file = TellStream;
  functions.zseek64_file = SeekStream;
  functions.zclose_file = CloseStream;
  functions.zerror_file = StreamError;
  functions.opaque = nullptr;
  return functions;
}

std::size_t ZipStream::Read(void* buffer, std::size_t size) {
  if (position_ >= size_ || size == 0) return 0;
  std::size_t done = 0;
  if (size >= kDirectReadBytes) {
    done = stream_.ReadAt(position_, buffer, size);
  } else {
    bool covered = position_ >= windowStart_ && position_ + size <= windowStart_ + windowLength_;
    if (!covered) {
      window_.resize(kWindowBytes);
      windowStart_ = position_;
      windowLength_ = stream_.ReadAt(position_, window_.data(), window_.size());
    }
    std::size_t offset = static_cast<std::size_t>(position_ - windowStart_);
    done = std::min(size, windowLength_ - offset);
    std::memcpy(buffer, window_.data() + offset, done);
  }
  if (done < size && position_ + done < size_) failed_ = true;
  position_ += done;
  return done;
}

bool ZipStream::Seek(std::int64_t offset, int origin) {
  std::int64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = static_cast<std::int64_t>(position_);
  if (origin == ZLIB_FILEFUNC_SEEK_END) base = static_cast<std::int64_t>(size_);
  std::int64_t target = base + offset;
  if (target < 0) return false;
  position_ = static_cast<std::uint64_t>(target);
  return true;
}
