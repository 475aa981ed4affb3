// Another program in the Wine desktop of a window test: "DESKTOP TITLE" maximises the window of
// that title in that desktop, as a click on its maximise box does.
#include <windows.h>

int main(int argc, char** argv) {
  const HDESK desktop = argc == 3 ? OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL) : nullptr;
  const HWND window = desktop != nullptr && SetThreadDesktop(desktop) ? FindWindowA(nullptr, argv[2]) : nullptr;
  return window != nullptr && PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
}
