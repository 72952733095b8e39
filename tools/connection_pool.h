// Worker threads for the connections of micro-pkg serve: one per connection
// up to a bound, so idle connections (each holds its thread until its idle
// time-out) do not keep new requests waiting behind them.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ConnectionPool final : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(std::size_t mostThreads) : mostThreads_(mostThreads) {}
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;
  ~ConnectionPool() override;

  void enqueue(std::function<void()> work) override;
  void shutdown() override;

 private:
  void Work();

  const std::size_t mostThreads_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  std::size_t idle_ = 0;
  bool stopping_ = false;
};
