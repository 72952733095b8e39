#include "connection_pool.h"

ConnectionPool::~ConnectionPool() {
  shutdown();
}

void ConnectionPool::enqueue(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.push_back(std::move(work));
  if (idle_ < jobs_.size() && threads_.size() < mostThreads_) {
    threads_.emplace_back([this] { Work(); });
  }
  ready_.notify_one();
}

void ConnectionPool::shutdown() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    threads.swap(threads_);
  }
  ready_.notify_all();
  for (std::thread& thread : threads) thread.join();
}

void ConnectionPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++idle_;
    ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    --idle_;
    // Queued connections are still answered before the pool ends.
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}
