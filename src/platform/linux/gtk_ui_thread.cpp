#include "platform/linux/gtk_ui_thread.h"

#include <glib.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

namespace platform {

struct GtkUiThread::Shared {
  std::mutex mutex;
  std::condition_variable done;
  bool closed = false;
  // Idle sources not yet run, removed on closing so none outlives us.
  std::set<guint> pending;
};

namespace {

struct Outcome {
  bool finished = false;
  bool ran = false;
};

// Owned by its idle source.
struct Task {
  std::shared_ptr<GtkUiThread::Shared> shared;
  std::function<void()> work;
  // Null for posted work that nobody waits for.
  std::shared_ptr<Outcome> outcome;
  guint source = 0;
};

gboolean RunTask(gpointer data) {
  Task* task = static_cast<Task*>(data);
  GtkUiThread::Shared& shared = *task->shared;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.pending.erase(task->source);
    if (shared.closed) return G_SOURCE_REMOVE;
  }
  task->work();
  if (task->outcome) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    task->outcome->ran = true;
    task->outcome->finished = true;
    shared.done.notify_all();
  }
  return G_SOURCE_REMOVE;
}

void DeleteTask(gpointer data) {
  delete static_cast<Task*>(data);
}

bool Queue(const std::shared_ptr<GtkUiThread::Shared>& shared, std::function<void()> work,
           std::shared_ptr<Outcome> outcome) {
  std::lock_guard<std::mutex> lock(shared->mutex);
  if (shared->closed) return false;
  Task* task = new Task{shared, std::move(work), std::move(outcome)};
  // RunTask takes the mutex first, so it sees `source` set.
  task->source = g_idle_add_full(G_PRIORITY_DEFAULT, RunTask, task, DeleteTask);
  shared->pending.insert(task->source);
  return true;
}

}  // namespace

GtkUiThread::GtkUiThread() : shared_(std::make_shared<Shared>()) {}

bool GtkUiThread::Call(std::function<void()> work) {
  auto outcome = std::make_shared<Outcome>();
  if (!Queue(shared_, std::move(work), outcome)) return false;
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->done.wait(lock, [&] { return outcome->finished || shared_->closed; });
  return outcome->ran;
}

void GtkUiThread::Post(std::function<void()> work) {
  Queue(shared_, std::move(work), nullptr);
}

void GtkUiThread::Close() {
  std::vector<guint> sources;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->closed = true;
    sources.assign(shared_->pending.begin(), shared_->pending.end());
    shared_->pending.clear();
    shared_->done.notify_all();
  }
  for (guint source : sources) g_source_remove(source);
}

}  // namespace platform
