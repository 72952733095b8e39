// A user-interface thread the test drives: posted work waits until the test
// runs it. Calls run at once (the test plays the user-interface thread), or,
// when marshalled, wait for the test to run them on its own thread, as a
// real window's calls wait for its loop.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/ui_thread.h"

class FakeUiThread final : public platform::UiThread {
 public:
  explicit FakeUiThread(bool marshalCalls = false) : marshalCalls_(marshalCalls) {}

  bool Call(std::function<void()> work) override {
    if (!marshalCalls_) {
      if (closed) return false;
      work();
      ++calls;
      return true;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed) return false;
    Waiting waiting{&work};
    waiting_.push_back(&waiting);
    changed_.notify_all();
    changed_.wait(lock, [&] { return waiting.done || closed; });
    waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), &waiting), waiting_.end());
    return waiting.done;
  }
  void Post(std::function<void()> work) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed) posted.push_back(std::move(work));
  }
  void RunPosted() {
    std::vector<std::function<void()>> now;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      now.swap(posted);
    }
    for (auto& work : now) work();
  }

  // The loop of a marshalled thread: runs the calls workers wait on until
  // `condition` holds; false when `timeout` passes first.
  bool RunCallsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      while (!waiting_.empty()) {
        Waiting* next = waiting_.front();
        waiting_.erase(waiting_.begin());
        lock.unlock();
        (*next->work)();
        lock.lock();
        next->done = true;
        ++calls;
        changed_.notify_all();
      }
      if (condition()) return true;
      if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && waiting_.empty()) {
        return condition();
      }
    }
  }

  // The window went: workers waiting on a call are let go and queued work is
  // dropped, as the real threads do. Kept, the work would keep what it holds
  // alive, a view holding this thread among them.
  void Close() {
    std::vector<std::function<void()>> dropped;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed = true;
      dropped.swap(posted);
    }
    changed_.notify_all();
  }

  // Set when the window goes; workers may read it.
  std::atomic<bool> closed{false};
  std::atomic<int> calls{0};
  std::vector<std::function<void()>> posted;

 private:
  struct Waiting {
    std::function<void()>* work;
    bool done = false;
  };

  const bool marshalCalls_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Waiting*> waiting_;
};
