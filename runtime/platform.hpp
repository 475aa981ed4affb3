#pragma once
// What the shared runtime needs of the operating system, implemented once per platform.
#include <cstddef>
#include <cstdint>
#include <string>

// Suspends the calling thread for the milliseconds given (0 gives up the rest of its turn).
void sleep_milliseconds(int32_t milliseconds);

// The pause of a loop that polls for keys. Where other threads fill the key buffers, it sleeps
// the poll's interval given; where keys come only between the program's waits (a page), it
// lasts until a key may have arrived, or a second at the most, so that a waiting page is idle.
void pause_for_keys(int32_t poll_milliseconds);

// The full path of the running program's executable; empty when it cannot be found.
std::string executable_path();

// The characters that separate the folders of a path.
extern const char kPathSeparators[];

// Memory of size bytes starting on an alignment boundary (a power of two), released with
// free_aligned; null when there is none.
void* allocate_aligned(size_t alignment, size_t size);
void free_aligned(void* memory);

// Ends the program at once when it cannot go on: the terminal as it was found (where the
// program changed it), message on standard error, exit code 1. Safe on any thread and, where
// the platform has them, in a signal handler.
[[noreturn]] void fatal_exit(const char* message);
