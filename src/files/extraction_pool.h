// A few threads writing the file entries of one extraction. Each target is
// written by one thread at a time, in the order its entries were submitted,
// so an archive naming a file twice ends with its later entry as when
// unpacking entry by entry. Small entries are handed over in batches: one
// hand-over per entry cost more than writing a small file.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "files/file_entry_writer.h"

class ExtractionPool {
 public:
  // Writes one entry on a pool thread with that thread's buffers.
  using Writer = std::function<ArchiveResult(const FileEntryJob& job, EntryBuffers& buffers)>;

  ExtractionPool(Writer writer, int threads);
  ExtractionPool(const ExtractionPool&) = delete;
  ExtractionPool& operator=(const ExtractionPool&) = delete;
  // Finishes every submitted entry first.
  ~ExtractionPool();

  // As many threads as the processor has cores, at most four: more only
  // contend for the same disk.
  static int DefaultThreads();

  // Queues entry `index`, with the next ones while they are small; blocks
  // while the queue is full. Only the thread that made the pool submits and
  // waits.
  void Submit(int index, FileEntryJob job);
  // Blocks until no submitted entry that has not finished writes `path`, so
  // a directory can be made there as it would be after those entries.
  void WaitUntilClear(const std::wstring& path);
  // Blocks until entry `index` has finished, and gives its result.
  ArchiveResult WaitForResult(int index);
  // The result of entry `index` if it has finished; it is handed out once.
  bool TakeResult(int index, ArchiveResult& result);

 private:
  struct Entry {
    int index;
    std::wstring key;
    FileEntryJob job;
  };
  // Entries written one after the other by one thread.
  struct Batch {
    std::vector<Entry> entries;
    std::uint64_t bytes = 0;
  };

  static std::wstring KeyOf(const std::wstring& path);
  static std::wstring_view DirectoryOf(const std::wstring& path);
  // Queues the batch being formed, if any.
  void QueueForming();
  void Work();
  // The first queued batch none of whose targets another thread is writing
  // or an earlier queued batch will write.
  std::deque<Batch>::iterator NextRunnable();

  Writer writer_;
  // Filled by the submitting thread alone, without the lock.
  Batch forming_;
  std::mutex mutex_;
  // Workers wait for a runnable batch, the submitting thread for room, a
  // result or a target to clear.
  std::condition_variable workReady_;
  std::condition_variable progress_;
  std::deque<Batch> queue_;
  // Targets of entries queued or being written, with how many of each.
  std::unordered_map<std::wstring, int> pending_;
  // Views of the keys of the batches being written, which their threads
  // hold until they take them out of here.
  std::unordered_set<std::wstring_view> running_;
  std::map<int, ArchiveResult> finished_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
