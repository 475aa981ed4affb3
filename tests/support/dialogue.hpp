#pragma once
// The rows of a program's whole dialogue: the header, the input line as shown (wrapped at width
// columns), the listed candidates and the report.
#include <string>
#include <vector>

namespace test_support {

inline std::vector<std::string> dialogue_rows(const std::string& title, const std::string& line,
                                              const std::vector<std::string>& listed, const std::string& trials,
                                              const std::string& n, size_t width = 80) {
  std::vector<std::string> rows = {"", title, "", " Zadej do jakeho cisla pocitat", ""};
  const std::string typed = "? " + line;
  for (size_t at = 0; at < typed.size() || at == 0; at += width) rows.push_back(typed.substr(at, width));
  rows.push_back("");
  for (const std::string& candidate : listed) rows.push_back(" " + candidate);
  rows.insert(rows.end(), {"", "", " Celkovy pocet provedenych vypoctu: ", "", " " + trials, "",
                           " Nejvyssi faktorial:  " + n});
  return rows;
}

// What zorvy shows while it waits for the bound.
inline const std::vector<std::string> kZorvyPrompt = {"", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat", "", "? "};

// Everything zorvy lists, up to the end of its search.
inline const std::vector<std::string> kAllZorvy = {"1", "5", "23", "719", "5039", "479001599", "87178291199"};

// The rows from the first given on, as the byte stream writes them: each ends with CR LF. The
// report's rows start at 7 when the line is empty.
inline std::string crlf_lines(const std::vector<std::string>& rows, size_t first = 0) {
  std::string bytes;
  for (size_t r = first; r < rows.size(); ++r) bytes += rows[r] + "\r\n";
  return bytes;
}

}  // namespace test_support
