// Hosts the WebBrowser control in an OLE container of our own. The window
// class carries the control's class identifier as its name, so a dialog
// template declares the control like any other, and the dialog manager
// creates the host with the dialog; the control itself is made by
// StartHostedBrowser. The control's own window becomes a child of the
// dialog, in place of the host window, which stays hidden.
#pragma once

#include <windows.h>

#include "platform/browser_control.h"

namespace platform {

inline constexpr const wchar_t* kWebBrowserClassName = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

void RegisterWebBrowserHostClass(HINSTANCE instance);

// Makes the control of a host window that has none yet.
void StartHostedBrowser(HWND host);
// The control behind a host window; null for other windows, or when the
// control is not made or could not be.
BrowserControl* HostedBrowser(HWND host);
// Null detaches the events.
void SetHostedBrowserEvents(HWND host, BrowserEvents* events);
// True when the control consumed `message` (its accelerators: Tab, arrows,
// Backspace in the page).
bool TranslateBrowserAccelerator(HWND host, MSG* message);

}  // namespace platform
