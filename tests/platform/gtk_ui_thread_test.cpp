#include "platform/linux/gtk_ui_thread.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Runs the default main context on this thread until `done` holds.
template <typename Done>
void Pump(Done done) {
  while (!done()) g_main_context_iteration(nullptr, TRUE);
}

// Wakes the main context so a pumping test thread notices `done`.
void Wake() {
  g_main_context_wakeup(nullptr);
}

TEST(GtkUiThreadTest, CallRunsOnTheMainLoopThreadAndWaits) {
  platform::GtkUiThread ui;
  std::thread::id mainThread = std::this_thread::get_id();
  std::atomic<bool> finished{false};
  std::thread::id ranOn;
  int value = 0;
  std::thread worker([&] {
    bool ran = ui.Call([&] {
      ranOn = std::this_thread::get_id();
      value = 42;
    });
    // The work has run by the time Call returns.
    EXPECT_TRUE(ran);
    EXPECT_EQ(value, 42);
    finished = true;
    Wake();
  });
  Pump([&] { return finished.load(); });
  worker.join();
  EXPECT_EQ(ranOn, mainThread);
}

TEST(GtkUiThreadTest, PostedWorkRunsInOrderWithoutWaiting) {
  platform::GtkUiThread ui;
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) ui.Post([&order, i] { order.push_back(i); });
  });
  worker.join();
  Pump([&] { return order.size() == 5; });
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(GtkUiThreadTest, ClosingReleasesWaitersAndDropsQueuedWork) {
  platform::GtkUiThread ui;
  std::atomic<bool> ranAnything{false};
  std::atomic<bool> callResult{true};
  // What queued work holds is let go on closing, not at exit: a view held
  // there, holding this thread in turn, would otherwise never be freed.
  auto held = std::make_shared<int>();
  std::weak_ptr<int> heldByWork = held;
  ui.Post([&, held] { ranAnything = true; });
  held.reset();
  std::thread worker([&] { callResult = ui.Call([&] { ranAnything = true; }); });
  // Give the worker time to queue its call; closed earlier, it is refused
  // outright, which the checks below accept just the same.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ui.Close();
  worker.join();
  EXPECT_FALSE(callResult);
  EXPECT_TRUE(heldByWork.expired());
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_FALSE(ranAnything);

  EXPECT_FALSE(ui.Call([&] { ranAnything = true; }));
  ui.Post([&] { ranAnything = true; });
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_FALSE(ranAnything);
}

}  // namespace
