// Another program in the Wine desktop of a window test, named by the first argument:
// "DESKTOP maximise TITLE" maximises the window of that title; "DESKTOP mode WIDTH HEIGHT"
// switches the display to that size, and back a second later.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const HDESK desktop = argc > 1 ? OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL) : nullptr;
  if (desktop == nullptr || !SetThreadDesktop(desktop)) return 3;
  if (argc == 4 && std::strcmp(argv[2], "maximise") == 0) {
    const HWND window = FindWindowA(nullptr, argv[3]);
    return window != nullptr && PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
  }
  if (argc == 5 && std::strcmp(argv[2], "mode") == 0) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[3]));
    mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[4]));
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return 1;
    Sleep(1000);
    return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
  }
  return 2;
}
