#pragma once
// The system's text for an error number, without its line end.
#include <string>

std::string win32_error_text(unsigned long error);
