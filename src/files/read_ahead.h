// Small positioned reads of an archive served from a window read ahead: the
// small entries one thread writes lie one after the other in the archive, so
// one read brings many of them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/archive_files.h"

// What a thread keeps from one entry to the next.
struct ReadAheadWindow {
  const platform::ArchiveStream* source = nullptr;
  std::vector<unsigned char> bytes;
  std::uint64_t start = 0;
  std::size_t length = 0;
};

class ReadAheadStream final : public platform::ArchiveStream {
 public:
  ReadAheadStream(platform::ArchiveStream& archive, ReadAheadWindow& window);

  std::uint64_t Size() const override { return archive_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
  std::unique_ptr<platform::MappedBytes> Map(std::uint64_t offset, std::size_t size) override {
    return archive_.Map(offset, size);
  }

 private:
  platform::ArchiveStream& archive_;
  ReadAheadWindow& window_;
};
