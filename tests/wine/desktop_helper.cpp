// Another program in the Wine desktop of a window test: "DESKTOP TITLE" maximises the window of
// that title in that desktop, as a click on its maximise box does; "DESKTOP TITLE LINE" types
// the line and Enter into it, as another program can whichever window has the focus. A window
// that leaves full screen is made anew, so the window is looked for during a few seconds.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  const HDESK desktop = argc >= 3 ? OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL) : nullptr;
  if (desktop == nullptr || !SetThreadDesktop(desktop)) return 2;
  for (int tries = 0; tries < 100; ++tries, Sleep(100)) {
    if (const HWND window = FindWindowA(nullptr, argv[2])) {
      if (argc == 3) return PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
      for (const char c : std::string(argv[3]) + "\r") PostMessageA(window, WM_CHAR, static_cast<WPARAM>(c), 1);
      return 0;
    }
  }
  return 1;
}
