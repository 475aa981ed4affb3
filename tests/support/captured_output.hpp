#pragma once
// Captures what the statements send to the screen, through the text output hook.
#include <gtest/gtest.h>

#include <string>

#include "console/channel.hpp"
#include "runtime/device_hooks.hpp"

namespace test_support {

class CapturedOutput : public testing::Test {
 protected:
  static std::string& bytes() { return captured_; }

  void SetUp() override {
    saved_ = device_hooks();
    bytes().clear();
    device_hooks().text_output = [](const uint8_t* b, uint64_t n, int32_t) {
      bytes().append(reinterpret_cast<const char*>(b), n);
    };
    reset_screen_channel(0, 40);
  }

  void TearDown() override { device_hooks() = saved_; }

 private:
  static inline std::string captured_;
  DeviceHooks saved_{};
};

}  // namespace test_support
