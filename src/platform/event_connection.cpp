#include "platform/event_connection.h"

namespace platform {

bool EventConnection::Connect(IUnknown* source, REFIID events, IUnknown* sink) {
  Disconnect();
  ComPtr<IConnectionPointContainer> container;
  if (source == nullptr ||
      FAILED(source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) ||
      !container) {
    return false;
  }
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(events, point.Put())) || !point) return false;
  DWORD cookie = 0;
  if (FAILED(point->Advise(sink, &cookie))) return false;
  point_ = std::move(point);
  cookie_ = cookie;
  return true;
}

void EventConnection::Disconnect() {
  if (!point_) return;
  point_->Unadvise(cookie_);
  point_.Reset();
  cookie_ = 0;
}

}  // namespace platform
