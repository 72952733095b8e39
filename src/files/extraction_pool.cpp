#include "files/extraction_pool.h"

#include <algorithm>
#include <cwctype>

namespace {

// Enough to keep every thread busy while the reader looks the next entries up.
constexpr std::size_t kQueueLimit = 64;
constexpr int kMostThreads = 4;

}  // namespace

ExtractionPool::ExtractionPool(Writer writer, int threads) : writer_(std::move(writer)) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

ExtractionPool::~ExtractionPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

int ExtractionPool::DefaultThreads() {
  int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kMostThreads);
}

// Windows compares names without case; treating Linux names alike only
// makes a few unrelated entries wait for each other.
std::wstring ExtractionPool::KeyOf(const std::wstring& path) {
  std::wstring key(path);
  for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return key;
}

void ExtractionPool::Submit(int index, FileEntryJob job) {
  std::wstring key = KeyOf(job.targetPath);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kQueueLimit; });
  ++pending_[key];
  queue_.push_back({index, std::move(key), std::move(job)});
  lock.unlock();
  changed_.notify_all();
}

void ExtractionPool::WaitUntilClear(const std::wstring& path) {
  std::wstring key = KeyOf(path);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this, &key] { return pending_.count(key) == 0; });
}

ArchiveResult ExtractionPool::WaitForResult(int index) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this, index] { return finished_.count(index) != 0; });
  auto found = finished_.find(index);
  ArchiveResult result = found->second;
  finished_.erase(found);
  return result;
}

bool ExtractionPool::TakeResult(int index, ArchiveResult& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = finished_.find(index);
  if (found == finished_.end()) return false;
  result = found->second;
  finished_.erase(found);
  return true;
}

std::deque<ExtractionPool::Queued>::iterator ExtractionPool::NextRunnable() {
  return std::find_if(queue_.begin(), queue_.end(),
                      [this](const Queued& queued) { return running_.count(queued.key) == 0; });
}

void ExtractionPool::Work() {
  EntryBuffers buffers;
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto next = queue_.end();
    changed_.wait(lock, [this, &next] {
      next = NextRunnable();
      return next != queue_.end() || (stopping_ && queue_.empty());
    });
    if (next == queue_.end()) return;
    Queued queued = std::move(*next);
    queue_.erase(next);
    running_.insert(queued.key);
    lock.unlock();
    changed_.notify_all();

    ArchiveResult result = writer_(queued.job, buffers);

    lock.lock();
    running_.erase(queued.key);
    auto pending = pending_.find(queued.key);
    if (--pending->second == 0) pending_.erase(pending);
    finished_[queued.index] = result;
    lock.unlock();
    changed_.notify_all();
  }
}
