#pragma once
// Parameterised tests whose rows carry their names: a failing row is named in the report, and
// --gtest_filter (or ctest -R) runs one row alone.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace test_support {

// A row's test name: the row's name with each run of other characters than letters and digits
// as one underscore (names hold nothing else).
struct RowName {
  template <typename Row>
  std::string operator()(const testing::TestParamInfo<Row>& info) const {
    std::string name;
    for (const char c : std::string_view(info.param.name)) {
      const bool kept = std::isalnum(static_cast<unsigned char>(c)) != 0;
      if (kept || (!name.empty() && name.back() != '_')) name += kept ? c : '_';
    }
    return name;
  }
};

}  // namespace test_support
