// The container side the WebBrowser control talks to: client site, in-place
// site and frame, all answered for one window of the dialog.
#pragma once

#include <ole2.h>
#include <windows.h>

#include "platform/com_ptr.h"

namespace platform {

class OleSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  // `container`: the window the control's window becomes a child of;
  // `placeholder`: moved along with the control, so the dialog's control
  // keeps the control's rectangle. One reference, for the caller.
  static OleSite* Create(HWND container, HWND placeholder);
  OleSite(const OleSite&) = delete;
  OleSite& operator=(const OleSite&) = delete;

  // Starts the control in place over `rect` (container coordinates).
  HRESULT Activate(IOleObject* control, const RECT& rect);
  // Deactivates and closes the control; the site lets go of it.
  void Close();

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IOleClientSite.
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;
  // IOleWindow, for both the site and the frame.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  // IOleInPlaceSite.
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  // The control asks to move: put_Left and its siblings end here.
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;
  // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or status.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object,
                                            LPCOLESTR name) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU menu, HOLEMENU olemenu, HWND activeObject) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU menu) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD id) override;

  // The control's in-place active object, for keyboard handling; null when
  // it has none.
  IOleInPlaceActiveObject* ActiveObject() const { return activeObject_.Get(); }

 private:
  OleSite(HWND container, HWND placeholder) : container_(container), placeholder_(placeholder) {}
  ~OleSite() = default;

  LONG references_ = 1;
  HWND container_;
  HWND placeholder_;
  RECT position_{};
  ComPtr<IOleObject> control_;
  ComPtr<IOleInPlaceObject> inPlace_;
  ComPtr<IOleInPlaceActiveObject> activeObject_;
};

}  // namespace platform
