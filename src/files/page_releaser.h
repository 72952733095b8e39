// Keeps a large entry's mapped input and output from filling the memory
// while one call decodes it whole: every few milliseconds a thread of its own
// gives the pages touched so far back to the system. They stay the files';
// the decoder only ever touches again the few it is working in.
#pragma once

#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/archive_files.h"

class PageReleaser {
 public:
  explicit PageReleaser(std::initializer_list<platform::MappedBytes*> mappings);
  PageReleaser(const PageReleaser&) = delete;
  PageReleaser& operator=(const PageReleaser&) = delete;
  // Stops the thread; the mappings are released once more.
  ~PageReleaser();

 private:
  void Run();
  void ReleaseAll();

  std::vector<platform::MappedBytes*> mappings_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread thread_;
};
