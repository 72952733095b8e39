// The launcher's one window: the background picture with per-pixel alpha and,
// over it, the panel layer (the panel's drawing and the browser). Windows
// builds it from a layered window and a colour-keyed panel; Linux from one
// GTK window with an RGBA visual.
#pragma once

#include <memory>

#include "platform/browser_control.h"
#include "platform/canvas.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "platform/ui_thread.h"

namespace platform {

enum class Key { Escape, Enter, Other };

// The panel's commands. Windows sends them to the panel as WM_COMMAND with
// IDCANCEL, 1003, 1004 and 1006.
enum class PanelCommand { Cancel, Close, Minimize, ClearCache };

// What the window reports, on the user-interface thread. Coordinates are
// pixels from the window's top-left corner.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // The panel layer is drawn anew over the background picture.
  virtual void OnPaint(Canvas& canvas) = 0;
  // The primary button went down or up on the window outside the browser,
  // on a part of the picture that is not fully transparent.
  virtual void OnMouseDown(int x, int y) = 0;
  virtual void OnMouseUp(int x, int y) = 0;
  // True when the key is consumed before any window or page sees it.
  virtual bool OnKeyDown(Key key) = 0;
  // The panel decides what a command does; the window only passes it on.
  virtual void OnCommand(PanelCommand command) = 0;
};

class LauncherWindow {
 public:
  virtual ~LauncherWindow() = default;
  // Sizes the window to width x height and shows `picture` stretched over
  // it; its fully transparent pixels let the mouse through. Null shows
  // nothing.
  virtual void SetBackground(const Picture* picture, int width, int height) = 0;
  virtual void CenterOnWorkArea() = 0;
  // Shows or hides the panel layer: its drawing and the browser.
  virtual void ShowPanel(bool show) = 0;
  // Asks for the panel layer to be drawn again.
  virtual void InvalidatePanel() = 0;
  // Lets the user move the window with the button pressed at x, y.
  virtual void BeginDrag(int x, int y) = 0;
  virtual void Minimize() = 0;
  // Queues the closing; Run returns once the window has closed.
  virtual void PostClose() = 0;
  // Shows the window and returns when it has closed.
  virtual void Run() = 0;

  virtual BrowserControl& Browser() = 0;
  // Null detaches the events.
  virtual void SetBrowserEvents(BrowserEvents* events) = 0;
  // Deletes the browser's own disk cache where it has one apart from the
  // system's, never its cookies or storage (the player's login); true on
  // success.
  virtual bool ClearBrowserData() = 0;

  // Message boxes owned by this window.
  virtual MessageBoxes& OwnedMessages() = 0;
  // Outlives the window; calls after it has closed do nothing.
  virtual std::shared_ptr<UiThread> UiThreadHandle() = 0;
};

}  // namespace platform
