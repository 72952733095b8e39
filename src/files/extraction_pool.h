// A few threads writing the file entries of one extraction. Each target is
// written by one thread at a time, in the order its entries were submitted,
// so an archive naming a file twice ends with its later entry as when
// unpacking entry by entry.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
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

  // Queues entry `index`; blocks while the queue is full.
  void Submit(int index, FileEntryJob job);
  // Blocks until no submitted entry that has not finished writes `path`, so
  // a directory can be made there as it would be after those entries.
  void WaitUntilClear(const std::wstring& path);
  // Blocks until entry `index` has finished, and gives its result.
  ArchiveResult WaitForResult(int index);
  // The result of entry `index` if it has finished; it is handed out once.
  bool TakeResult(int index, ArchiveResult& result);

 private:
  struct Queued {
    int index;
    std::wstring key;
    FileEntryJob job;
  };

  static std::wstring KeyOf(const std::wstring& path);
  void Work();
  // The first queued entry whose target no other thread is writing.
  std::deque<Queued>::iterator NextRunnable();

  Writer writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Queued> queue_;
  // Targets of entries queued or being written, with how many of each.
  std::unordered_map<std::wstring, int> pending_;
  std::unordered_set<std::wstring> running_;
  std::map<int, ArchiveResult> finished_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
