#include "files/page_releaser.h"

#include <chrono>

namespace {

// At the decoder's gigabyte a second, a few megabytes a round.
constexpr std::chrono::milliseconds kRound{4};

}  // namespace

PageReleaser::PageReleaser(std::initializer_list<platform::MappedBytes*> mappings)
    : mappings_(mappings), thread_([this] { Run(); }) {}

PageReleaser::~PageReleaser() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_one();
  thread_.join();
  ReleaseAll();
}

void PageReleaser::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_.wait_for(lock, kRound, [this] { return stopping_; })) ReleaseAll();
}

void PageReleaser::ReleaseAll() {
  for (platform::MappedBytes* mapping : mappings_) mapping->Release();
}
