#pragma once
// The Win32 console's handles, fetched at first use, shared by the console's output and its
// key input. Only win32_*.cpp files include this header.
#include <windows.h>

struct ConsoleHandles {
  HANDLE input;     // standard input
  HANDLE output;    // standard output
  HANDLE pages[4];  // page 0 is standard output; the others exist only once made
  int active_page;  // the page written to
  int visible_page;
};

// The handles, fetched on the first call: standard input then takes processed input, so that
// the console itself handles Ctrl+C.
ConsoleHandles& console_handles();

// The buffer the console output goes to.
HANDLE console_output_buffer();

