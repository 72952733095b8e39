// Looks at the launcher's windows from another process of the same Wine
// session, for the end-to-end run.
//   launcher_probe windows   one line per visible top-level dialog:
//                            "dialog ID owner=ID|none x y width height
//                             layered=0|1 colorkey=0|1 iconic=0|1 buttons=N
//                             title=TEXT
//                             text=TEXT", the text being a message box's
//                             message
//   launcher_probe close     posts WM_CLOSE to the launcher's background
//                            window (the layered dialog that has no owner)
//   launcher_probe command ID  sends WM_COMMAND ID to the launcher's panel
//                            (the layered dialog the background owns)
//   launcher_probe restore   restores the minimised background window
//   launcher_probe navigate URL  has the panel's browser navigate to URL
//                            (the launcher must run with QELT_TEST_HOOKS=1)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(window))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleDialogs() {
  std::vector<HWND> found;
  ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

BOOL CALLBACK CountButton(HWND child, LPARAM count) {
  wchar_t name[16] = {};
  ::GetClassNameW(child, name, 16);
  if (::lstrcmpiW(name, L"Button") == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int Buttons(HWND window) {
  int count = 0;
  ::EnumChildWindows(window, CountButton, reinterpret_cast<LPARAM>(&count));
  return count;
}

bool IsLayered(HWND window) {
  return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

std::string Utf8Text(HWND window) {
  wchar_t text[256] = {};
  int length = window != nullptr ? ::GetWindowTextW(window, text, 256) : 0;
  char bytes[1024] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, bytes, sizeof(bytes) - 1, nullptr, nullptr);
  return bytes;
}

// A message box shows its message in its static control 0xFFFF.
std::string MessageText(HWND window) {
  return Utf8Text(::GetDlgItem(window, 0xFFFF));
}

int ListWindows() {
  for (HWND window : VisibleDialogs()) {
    RECT place{};
    ::GetWindowRect(window, &place);
    HWND owner = ::GetWindow(window, GW_OWNER);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    bool colourKeyed = IsLayered(window) &&
                       ::GetLayeredWindowAttributes(window, &key, &alpha, &flags) &&
                       (flags & LWA_COLORKEY) != 0 && key == RGB(0, 0, 0);
    char ownerText[32] = "none";
    if (owner != nullptr)
      std::snprintf(ownerText, sizeof(ownerText), "%llu",
                    static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(owner)));
    std::printf(
        "dialog %llu owner=%s %ld %ld %ld %ld layered=%d colorkey=%d iconic=%d buttons=%d title=%s "
        "text=%s foreground=%d\n",
        static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)), ownerText, place.left,
        place.top, place.right - place.left, place.bottom - place.top, IsLayered(window) ? 1 : 0,
        colourKeyed ? 1 : 0, ::IsIconic(window) ? 1 : 0, Buttons(window), Utf8Text(window).c_str(),
        MessageText(window).c_str(), ::GetForegroundWindow() == window ? 1 : 0);
  }
  return 0;
}

HWND Background() {
  for (HWND window : VisibleDialogs()) {
    if (IsLayered(window) && ::GetWindow(window, GW_OWNER) == nullptr) return window;
  }
  return nullptr;
}

int CloseLauncher() {
  HWND background = Background();
  if (background == nullptr) {
    std::printf("no launcher window\n");
    return 1;
  }
  ::PostMessageW(background, WM_CLOSE, 0, 0);
  std::printf("closed\n");
  return 0;
}

int SendCommand(WORD id) {
  HWND background = Background();
  for (HWND window : VisibleDialogs()) {
    if (background != nullptr && ::GetWindow(window, GW_OWNER) == background) {
      ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      std::printf("sent\n");
      return 0;
    }
  }
  std::printf("no panel\n");
  return 1;
}

int Navigate(const char* address) {
  wchar_t wide[256] = {};
  if (::MultiByteToWideChar(CP_UTF8, 0, address, -1, wide, 255) == 0) return 2;
  HWND background = Background();
  for (HWND window : VisibleDialogs()) {
    if (background == nullptr || ::GetWindow(window, GW_OWNER) != background) continue;
    ATOM atom = ::GlobalAddAtomW(wide);
    ::SendMessageW(window, ::RegisterWindowMessageW(L"qelt-test-navigate"), atom, 0);
    ::GlobalDeleteAtom(atom);
    std::printf("sent\n");
    return 0;
  }
  std::printf("no panel\n");
  return 1;
}

int RestoreLauncher() {
  HWND background = Background();
  if (background == nullptr) return 1;
  ::ShowWindow(background, SW_RESTORE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "windows") == 0) return ListWindows();
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) return CloseLauncher();
  if (argc == 3 && std::strcmp(argv[1], "command") == 0)
    return SendCommand(static_cast<WORD>(std::atoi(argv[2])));
  if (argc == 2 && std::strcmp(argv[1], "restore") == 0) return RestoreLauncher();
  if (argc == 3 && std::strcmp(argv[1], "navigate") == 0) return Navigate(argv[2]);
  std::fprintf(stderr, "usage: launcher_probe windows|close|command ID|restore|navigate URL\n");
  return 2;
}
