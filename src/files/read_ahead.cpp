#include "files/read_ahead.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kWindowBytes = 256 * 1024;

}  // namespace

ReadAheadStream::ReadAheadStream(platform::ArchiveStream& archive, ReadAheadWindow& window)
    : archive_(archive), window_(window) {
  if (window_.source != &archive_) {
    window_.source = &archive_;
    window_.length = 0;
  }
}

std::size_t ReadAheadStream::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  if (size >= kWindowBytes) return archive_.ReadAt(offset, buffer, size);
  bool covered = offset >= window_.start && offset - window_.start <= window_.length &&
                 size <= window_.length - (offset - window_.start);
  if (!covered) {
    window_.bytes.resize(kWindowBytes);
    window_.start = offset;
    window_.length = archive_.ReadAt(offset, window_.bytes.data(), kWindowBytes);
  }
  std::size_t skipped = static_cast<std::size_t>(offset - window_.start);
  std::size_t done = std::min(size, window_.length - std::min(skipped, window_.length));
  if (done > 0) std::memcpy(buffer, window_.bytes.data() + skipped, done);
  return done;
}
