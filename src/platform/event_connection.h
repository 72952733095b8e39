// A sink advised on one connection point of a COM object, for one events
// interface; unadvised by Disconnect or when destroyed.
#pragma once

#include "platform/com_ptr.h"
#include "platform/com_types.h"

namespace platform {

class EventConnection {
 public:
  EventConnection() = default;
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;
  ~EventConnection() { Disconnect(); }

  // Ends a connection made before, then advises `sink` on `source`'s
  // connection point for `events`. False when the source has none or
  // refuses the sink.
  bool Connect(IUnknown* source, REFIID events, IUnknown* sink);
  bool Connected() const { return static_cast<bool>(point_); }
  void Disconnect();

 private:
  // Held while connected: Unadvise needs it.
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace platform
