// The folder lock on Linux: flock on the lock file, which the kernel drops
// with the process. The holder's process number is in the file; a second
// launcher sends it SIGUSR1, on which it presents its windows.
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/folder_locks.h"
#include "platform/linux/unique_fd.h"

namespace platform {
namespace {

gboolean PresentWindows(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (gtk_widget_get_visible(GTK_WIDGET(window))) gtk_window_present(window);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

class FlockFolderLocks final : public FolderLocks {
 public:
  ~FlockFolderLocks() override {
    if (signalSource_ != 0) g_source_remove(signalSource_);
  }

  bool Claim(const std::wstring& lockPath) override {
    // Before the lock: the default action of SIGUSR1 ends the process.
    if (signalSource_ == 0) signalSource_ = g_unix_signal_add(SIGUSR1, PresentWindows, nullptr);
    UniqueFd fd(::open(NativePath(lockPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.Valid()) return true;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) AskHolderForward(fd.Get());
      return errno != EWOULDBLOCK;
    }
    // The lock holds whether or not the number is written; only the
    // hand-over to a second launcher needs it.
    RecordProcess(fd.Get());
    held_ = std::move(fd);
    return true;
  }

 private:
  static bool RecordProcess(int fd) {
    std::string pid = std::to_string(::getpid());
    return ::ftruncate(fd, 0) == 0 &&
           ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  }

  static void AskHolderForward(int fd) {
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    long pid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid > 0) ::kill(static_cast<pid_t>(pid), SIGUSR1);
  }

  UniqueFd held_;
  guint signalSource_ = 0;
};

}  // namespace

std::unique_ptr<FolderLocks> MakeSystemFolderLocks() {
  return std::make_unique<FlockFolderLocks>();
}

}  // namespace platform
