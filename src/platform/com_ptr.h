// Owns one reference to a COM object, with the same verbs as
// UniqueResource: Get, Reset, Release, Put.
#pragma once

#include <utility>

#include "platform/com_types.h"

namespace platform {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~ComPtr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Hands the reference over; nothing is held afterwards.
  Interface* Release() { return std::exchange(pointer_, nullptr); }
  // Releases the reference held and takes over `adopted`'s, which the
  // caller has counted already.
  void Reset(Interface* adopted = nullptr) {
    if (Interface* old = std::exchange(pointer_, adopted)) old->Release();
  }
  // Releases the reference held and gives the place a call that hands out
  // a new one writes it to.
  Interface** Put() {
    Reset();
    return &pointer_;
  }
  // Put, for QueryInterface and CoCreateInstance.
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace platform
