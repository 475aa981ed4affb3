#include "runtime/platform.hpp"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

void sleep_milliseconds(int32_t milliseconds) {
  struct timespec remaining {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void pause_for_keys(int32_t poll_milliseconds) { sleep_milliseconds(poll_milliseconds); }

const char kPathSeparators[] = "/";

std::string executable_path() {
  char path[PATH_MAX] = "";
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return std::string(path, length > 0 ? static_cast<size_t>(length) : 0);
}

void* allocate_aligned(size_t alignment, size_t size) { return std::aligned_alloc(alignment, size); }

void free_aligned(void* memory) { std::free(memory); }
