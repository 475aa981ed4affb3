// Another program in the Wine desktop of a window test: "DESKTOP TITLE" maximises the window of
// that title in that desktop, as a click on its maximise box does. A window that leaves full
// screen is made anew, so the window is looked for during a few seconds.
#include <windows.h>

int main(int argc, char** argv) {
  const HDESK desktop = argc == 3 ? OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL) : nullptr;
  if (desktop == nullptr || !SetThreadDesktop(desktop)) return 2;
  for (int tries = 0; tries < 100; ++tries, Sleep(100)) {
    if (const HWND window = FindWindowA(nullptr, argv[2])) return PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
  }
  return 1;
}
