#pragma once
// The program frame shared by both programs: clear, screen, dialogue, input, search, key wait
// and end.
#include <cstdint>

#include "app/candidate_test.hpp"

struct ProgramVariant {
  const char* title;       // " Zorvy Numbers" or " Plemo Numbers", 14 characters
  int64_t offset;          // -1 for n! - 1, +1 for n! + 1
};

// The dialogue from the console clear to the report: screen, title and question, the bound,
// the search and its report.
void run_dialogue(const ProgramVariant& variant);

// Never returns: ends the process with exit code 0.
[[noreturn]] void program_main(int32_t argument_count, char** argument_vector,
                               const ProgramVariant& variant);
