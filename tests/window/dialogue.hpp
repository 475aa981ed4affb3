#pragma once
// The rows of a program's whole dialogue: the header, the input line as shown (wrapped at width
// columns), the listed candidates and the report.
#include <string>
#include <vector>

inline std::vector<std::string> dialogue_rows(const std::string& title, const std::string& line,
                                              const std::vector<std::string>& listed,
                                              const std::string& trials, const std::string& n,
                                              size_t width = 80) {
  std::vector<std::string> rows = {"", title, "", " Zadej do jakeho cisla pocitat", ""};
  const std::string typed = "? " + line;
  for (size_t at = 0; at < typed.size() || at == 0; at += width) rows.push_back(typed.substr(at, width));
  rows.push_back("");
  for (const std::string& candidate : listed) rows.push_back(" " + candidate);
  rows.insert(rows.end(), {"", "", " Celkovy pocet provedenych vypoctu: ", "", " " + trials, "",
                           " Nejvyssi faktorial:  " + n});
  return rows;
}
