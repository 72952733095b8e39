// The panel's handle on the embedded browser. Every call goes to the control
// it is bound to; an unbound wrapper does nothing.
#pragma once

#include <string>

#include "platform/com_types.h"

namespace platform {
class BrowserControl;
}

class CExplorer_page {
 public:
  void Bind(platform::BrowserControl* control) { m_pControl = control; }

  void put_Silent(bool silent);
  void Navigate(const std::wstring& url);
  void put_Left(long pixels);
  void put_Top(long pixels);
  void put_Width(long pixels);
  void put_Height(long pixels);
  // Runs a command of the browser's command target. The launcher uses one:
  // OLECMDID_OPTICAL_ZOOM with the percentage as a VT_I4 input; others are
  // not passed on.
  void ExecWB(long cmdID, long cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut);

 private:
  platform::BrowserControl* m_pControl = nullptr;
};
