#pragma once
// Ends the program when it cannot go on: a line on standard error, then exit code 1.
#include <string>

[[noreturn]] void win32_fail(const std::string& message);

// The system's text for an error number, without its line end.
std::string win32_error_text(unsigned long error);
