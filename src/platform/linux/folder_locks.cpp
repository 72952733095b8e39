// The folder lock on Linux: flock on the lock file, which the kernel drops
// with the process. The holder's process number is in the file; a second
// launcher connects to the holder's abstract socket named after it, on which
// the holder presents its windows. Not a signal: WebKit's JavaScript engine
// takes SIGUSR1 for its collector and crashes on one it did not send.
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/folder_locks.h"
#include "platform/linux/unique_fd.h"

namespace platform {
namespace {

// "\0qelt-launcher-PID": abstract, so nothing is left on disk.
socklen_t KnockAddress(long pid, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  std::string name = "qelt-launcher-" + std::to_string(pid);
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

gboolean PresentWindows(gint listener, GIOCondition, gpointer) {
  while (true) {
    int knock = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (knock < 0) break;
    ::close(knock);
  }
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
    if (source_ != 0) g_source_remove(source_);
  }

  FolderClaim Claim(const std::wstring& lockPath) override {
    // Never through a link: the process number would be written over the
    // link's target. A directory fails to open for writing.
    UniqueFd fd(::open(NativePath(lockPath).c_str(),
                       O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    if (!fd.Valid() || !IsPlainFileOfItsOwn(fd.Get())) return FolderClaim::Unusable;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK) return FolderClaim::Unusable;
      AskHolderForward(fd.Get());
      return FolderClaim::HeldElsewhere;
    }
    // The lock holds whether or not the number is written; only the
    // hand-over to a second launcher needs it.
    RecordProcess(fd.Get());
    held_ = std::move(fd);
    ListenForKnocks();
    return FolderClaim::Held;
  }

 private:
  // A FIFO or device would not lock; a second hard link is another file's
  // contents, which the process number would replace.
  static bool IsPlainFileOfItsOwn(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1;
  }

  static bool RecordProcess(int fd) {
    std::string pid = std::to_string(::getpid());
    return ::ftruncate(fd, 0) == 0 &&
           ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  }

  // Without the socket the lock still holds; only the hand-over is lost.
  void ListenForKnocks() {
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_un address;
    socklen_t size = KnockAddress(::getpid(), address);
    if (!listener.Valid() ||
        ::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener.Get(), 4) != 0) {
      return;
    }
    listener_ = std::move(listener);
    source_ = g_unix_fd_add(listener_.Get(), G_IO_IN, PresentWindows, nullptr);
  }

  static void AskHolderForward(int fd) {
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    long pid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid <= 0) return;
    UniqueFd knock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address;
    socklen_t size = KnockAddress(pid, address);
    if (knock.Valid()) ::connect(knock.Get(), reinterpret_cast<sockaddr*>(&address), size);
  }

  UniqueFd held_;
  UniqueFd listener_;
  guint source_ = 0;
};

}  // namespace

std::unique_ptr<FolderLocks> MakeSystemFolderLocks() {
  return std::make_unique<FlockFolderLocks>();
}

}  // namespace platform
