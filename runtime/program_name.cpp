#include "runtime/program_name.hpp"

#include <string>

#include "runtime/platform.hpp"

const char* program_name() {
  static std::string name;
  if (!name.empty()) return name.c_str();
  const std::string path = executable_path();
  name = path.substr(path.find_last_of(kPathSeparators) + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name.c_str();
}
