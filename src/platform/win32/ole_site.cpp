#include "platform/win32/ole_site.h"

namespace platform {

OleSite* OleSite::Create(HWND container, HWND placeholder) {
  return new OleSite(container, placeholder);
}

HRESULT OleSite::Activate(IOleObject* control, const RECT& rect) {
  Close();
  control->AddRef();
  control_.Reset(control);
  position_ = rect;
  control_->SetClientSite(this);
  ::OleSetContainedObject(control_.Get(), TRUE);
  HRESULT result = control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, container_, &rect);
  control_->QueryInterface(IID_IOleInPlaceObject, inPlace_.PutVoid());
  return result;
}

void OleSite::Close() {
  activeObject_.Reset();
  if (inPlace_) {
    inPlace_->InPlaceDeactivate();
    inPlace_.Reset();
  }
  if (control_) {
    control_->Close(OLECLOSE_NOSAVE);
    control_->SetClientSite(nullptr);
    control_.Reset();
  }
}

HRESULT STDMETHODCALLTYPE OleSite::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE OleSite::AddRef() {
  return static_cast<ULONG>(++references_);
}

ULONG STDMETHODCALLTYPE OleSite::Release() {
  LONG left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE OleSite::SaveObject() {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OleSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OleSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}
HRESULT STDMETHODCALLTYPE OleSite::ShowObject() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::OnShowWindow(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::RequestNewObjectLayout() {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = container_;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleSite::CanInPlaceActivate() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::OnInPlaceActivate() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::OnUIActivate() {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                    IOleInPlaceUIWindow** doc, LPRECT position,
                                                    LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame == nullptr || doc == nullptr || position == nullptr || clip == nullptr ||
      frameInfo == nullptr) {
    return E_POINTER;
  }
  *frame = this;
  AddRef();
  *doc = nullptr;
  *position = position_;
  *clip = position_;
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = container_;
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::Scroll(SIZE) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OleSite::OnUIDeactivate(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::OnInPlaceDeactivate() {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::DiscardUndoState() {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OleSite::DeactivateAndUndo() {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleSite::OnPosRectChange(LPCRECT position) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  if (inPlace_) inPlace_->SetObjectRects(&position_, &position_);
  if (placeholder_ != nullptr) {
    ::MoveWindow(placeholder_, position_.left, position_.top, position_.right - position_.left,
                 position_.bottom - position_.top, FALSE);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::GetBorder(LPRECT) {
  return INPLACE_E_NOTOOLSPACE;
}
HRESULT STDMETHODCALLTYPE OleSite::RequestBorderSpace(LPCBORDERWIDTHS) {
  return INPLACE_E_NOTOOLSPACE;
}
HRESULT STDMETHODCALLTYPE OleSite::SetBorderSpace(LPCBORDERWIDTHS) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  if (object != nullptr) object->AddRef();
  activeObject_.Reset(object);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::SetMenu(HMENU, HOLEMENU, HWND) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::RemoveMenus(HMENU) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::SetStatusText(LPCOLESTR) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::EnableModeless(BOOL) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE OleSite::TranslateAccelerator(LPMSG, WORD) {
  return S_FALSE;
}

}  // namespace platform
