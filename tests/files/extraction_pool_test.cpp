#include "files/extraction_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

FileEntryJob JobFor(const std::wstring& target, int index) {
  FileEntryJob job;
  job.targetPath = target;
  job.dataOffset = static_cast<std::uint64_t>(index);
  return job;
}

// Batches end where the directory changes: [0] [1] [2 3] [4] [5]. While the
// first holds "d1/y", the batch [2 3] waits for it, and the last batch, which
// writes "d1/x" as [2 3] does, must wait for that one in turn rather than run
// first on the idle thread.
TEST(ExtractionPool, ATargetsEntriesAreWrittenInTheirOrder) {
  std::mutex mutex;
  std::condition_variable written;
  std::vector<int> order;
  auto writer = [&](const FileEntryJob& job, EntryBuffers&) {
    std::unique_lock<std::mutex> lock(mutex);
    int index = static_cast<int>(job.dataOffset);
    order.push_back(index);
    written.notify_all();
    if (index == 0) {
      written.wait_for(lock, std::chrono::milliseconds(300), [&order] {
        return std::find(order.begin(), order.end(), 5) != order.end();
      });
    }
    return ArchiveOk;
  };
  const std::vector<std::wstring> targets = {L"d1/y", L"d2/z", L"d1/x", L"d1/y", L"d2/w", L"d1/x"};
  {
    ExtractionPool pool(writer, 2);
    for (int index = 0; index < static_cast<int>(targets.size()); ++index) {
      pool.Submit(index, JobFor(targets[static_cast<std::size_t>(index)], index));
    }
    for (int index = 0; index < static_cast<int>(targets.size()); ++index) {
      EXPECT_EQ(pool.WaitForResult(index), ArchiveOk);
    }
  }
  auto position = [&order](int index) { return std::find(order.begin(), order.end(), index); };
  EXPECT_LT(position(0), position(3));
  EXPECT_LT(position(2), position(5));
}

}  // namespace
