#include "runtime/platform.hpp"

#include <windows.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

void sleep_milliseconds(int32_t milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void pause_for_keys(int32_t poll_milliseconds) { sleep_milliseconds(poll_milliseconds); }

const char kPathSeparators[] = "\\/";

std::string executable_path() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try a longer buffer
  }
}

void* allocate_aligned(size_t alignment, size_t size) { return _aligned_malloc(size, alignment); }

void free_aligned(void* memory) { _aligned_free(memory); }

void fatal_exit(const char* message) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, static_cast<DWORD>(std::strlen(message)), &written, nullptr);
  std::_Exit(1);
}
