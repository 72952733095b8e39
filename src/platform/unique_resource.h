// Owns one handle of the system's: a file descriptor, a kernel handle, a
// registry key, a GDI object. `Traits` names the kind:
//   using Handle = ...;
//   static Handle Invalid();            the value that owns nothing
//   static bool IsValid(Handle handle);
//   static bool Close(Handle handle);   false when closing failed
#pragma once

#include <utility>

namespace platform {

template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueResource() { Reset(); }

  Handle Get() const { return handle_; }
  bool Valid() const { return Traits::IsValid(handle_); }
  // Hands the handle over; nothing is owned afterwards.
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  // Closes the handle owned and takes `handle`. False when closing failed,
  // which for a written file can mean its data did not reach the disk.
  bool Reset(Handle handle = Traits::Invalid()) {
    Handle old = std::exchange(handle_, handle);
    return !Traits::IsValid(old) || Traits::Close(old);
  }
  // Closes the handle owned and gives the place a creating call writes the
  // new one to.
  Handle* Put() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace platform
