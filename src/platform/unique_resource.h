// Owns one handle of the system's: a file descriptor, a kernel handle, a
// registry key, a GDI object. `Traits` names the kind:
//   using Handle = ...;
//   static Handle Invalid();            the value that owns nothing
//   static bool IsValid(Handle handle);
//   static bool Close(Handle handle);   false when closing failed
// A library's handle, a pointer that null marks as none, takes one line:
//   using UniqueCurl = UniqueAny<CURL*, curl_easy_cleanup>;
#pragma once

#include <type_traits>
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

// A pointer handle that `close` releases and null marks as none. What `close`
// returns is not looked at: these are read and network handles, whose
// closing leaves nothing behind that could be lost.
template <typename Pointer, auto close>
struct PointerHandleTraits {
  static_assert(std::is_pointer_v<Pointer>);
  using Handle = Pointer;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) {
    close(handle);
    return true;
  }
};

template <typename Pointer, auto close>
using UniqueAny = UniqueResource<PointerHandleTraits<Pointer, close>>;

}  // namespace platform
