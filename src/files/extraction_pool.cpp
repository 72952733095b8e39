#include "files/extraction_pool.h"

#include <algorithm>
#include <cwctype>

namespace {

// Enough to keep every thread busy while the reader looks the next entries up.
constexpr std::size_t kQueueLimit = 16;
constexpr int kMostThreads = 4;
// A batch closes at this many entries or bytes; a larger entry goes alone.
constexpr std::size_t kBatchEntries = 256;
constexpr std::uint64_t kBatchBytes = 1024 * 1024;

}  // namespace

ExtractionPool::ExtractionPool(Writer writer, int threads) : writer_(std::move(writer)) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

ExtractionPool::~ExtractionPool() {
  QueueForming();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
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
  for (wchar_t& c : key) {
    if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c - L'A' + L'a');
    } else if (c >= 0x80) {
      c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
  }
  return key;
}

// Threads creating files in one directory wait for each other's hold on it:
// a batch closes where the entries' directory changes.
std::wstring_view ExtractionPool::DirectoryOf(const std::wstring& path) {
  std::size_t split = path.find_last_of(L"\\/");
  return split == std::wstring::npos ? std::wstring_view()
                                     : std::wstring_view(path).substr(0, split);
}

void ExtractionPool::Submit(int index, FileEntryJob job) {
  std::uint64_t bytes = job.facts.compressedSize + job.facts.uncompressedSize;
  if (!forming_.entries.empty() &&
      (forming_.entries.size() >= kBatchEntries || forming_.bytes + bytes > kBatchBytes ||
       DirectoryOf(forming_.entries.back().job.targetPath) != DirectoryOf(job.targetPath))) {
    QueueForming();
  }
  std::wstring key = KeyOf(job.targetPath);
  if (forming_.entries.empty()) forming_.entries.reserve(kBatchEntries);
  forming_.entries.push_back({index, std::move(key), std::move(job)});
  forming_.bytes += bytes;
  if (forming_.bytes >= kBatchBytes) QueueForming();
}

void ExtractionPool::QueueForming() {
  if (forming_.entries.empty()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  progress_.wait(lock, [this] { return queue_.size() < kQueueLimit; });
  for (const Entry& entry : forming_.entries) ++pending_[entry.key];
  queue_.push_back(std::move(forming_));
  forming_ = Batch();
  lock.unlock();
  workReady_.notify_one();
}

void ExtractionPool::WaitUntilClear(const std::wstring& path) {
  std::wstring key = KeyOf(path);
  bool forming = std::any_of(forming_.entries.begin(), forming_.entries.end(),
                             [&key](const Entry& entry) { return entry.key == key; });
  if (forming) QueueForming();
  std::unique_lock<std::mutex> lock(mutex_);
  progress_.wait(lock, [this, &key] { return pending_.count(key) == 0; });
}

ArchiveResult ExtractionPool::WaitForResult(int index) {
  QueueForming();
  std::unique_lock<std::mutex> lock(mutex_);
  progress_.wait(lock, [this, index] { return finished_.count(index) != 0; });
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

// A batch waits for the threads writing its targets, and for the batches
// before it that also write one of them: each target's entries in order.
std::deque<ExtractionPool::Batch>::iterator ExtractionPool::NextRunnable() {
  std::unordered_set<std::wstring_view> passed;
  for (auto batch = queue_.begin(); batch != queue_.end(); ++batch) {
    bool clear = std::none_of(
        batch->entries.begin(), batch->entries.end(), [this, &passed](const Entry& entry) {
          return running_.count(entry.key) != 0 || passed.count(entry.key) != 0;
        });
    if (clear) return batch;
    for (const Entry& entry : batch->entries) passed.insert(entry.key);
  }
  return queue_.end();
}

void ExtractionPool::Work() {
  EntryBuffers buffers;
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto next = queue_.end();
    workReady_.wait(lock, [this, &next] {
      next = NextRunnable();
      return next != queue_.end() || (stopping_ && queue_.empty());
    });
    if (next == queue_.end()) return;
    Batch batch = std::move(*next);
    queue_.erase(next);
    for (const Entry& entry : batch.entries) running_.insert(entry.key);
    lock.unlock();
    progress_.notify_one();

    std::vector<ArchiveResult> results;
    results.reserve(batch.entries.size());
    for (const Entry& entry : batch.entries) results.push_back(writer_(entry.job, buffers));

    lock.lock();
    for (std::size_t i = 0; i < batch.entries.size(); ++i) {
      const Entry& entry = batch.entries[i];
      running_.erase(entry.key);
      auto pending = pending_.find(entry.key);
      if (--pending->second == 0) pending_.erase(pending);
      finished_[entry.index] = results[i];
    }
    bool blocked = !queue_.empty();
    lock.unlock();
    progress_.notify_one();
    // A batch that waited for one of these targets may run now.
    if (blocked) workReady_.notify_one();
  }
}
