#include "gfx/wayland/pulse_tone.hpp"

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "runtime/device_hooks.hpp"

namespace {

// The few parts of the simple PulseAudio API the tone needs, as its header declares them.
struct SampleFormat {
  int format;  // PA_SAMPLE_S16LE
  uint32_t rate;
  uint8_t channels;
};
constexpr int kSampleS16Le = 3;
constexpr int kStreamPlayback = 1;
using SimpleNew = void* (*)(const char*, const char*, int, const char*, const char*, const SampleFormat*,
                            const void*, const void*, int*);
using SimpleWrite = int (*)(void*, const void*, size_t, int*);
using SimpleDrain = int (*)(void*, int*);
using SimpleFree = void (*)(void*);

constexpr uint32_t kSampleRate = 44100;

// The tone's thread runs detached, so that a program ending at once (a fatal error) leaves no
// thread behind; it clears the flag as it ends.
std::atomic<bool> sounding{false};

// kToneMilliseconds of a kToneHertz sine at half the full scale.
std::vector<int16_t> tone_samples() {
  std::vector<int16_t> samples(kSampleRate * kToneMilliseconds / 1000);
  double n = 0;  // the sample's number
  for (int16_t& sample : samples) sample = static_cast<int16_t>(16384 * std::sin(2 * M_PI * kToneHertz * n++ / kSampleRate));
  return samples;
}

void play(std::string client) {
  void* library = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library != nullptr) {
    const auto open = reinterpret_cast<SimpleNew>(dlsym(library, "pa_simple_new"));
    const auto write = reinterpret_cast<SimpleWrite>(dlsym(library, "pa_simple_write"));
    const auto drain = reinterpret_cast<SimpleDrain>(dlsym(library, "pa_simple_drain"));
    const auto close = reinterpret_cast<SimpleFree>(dlsym(library, "pa_simple_free"));
    const SampleFormat format{kSampleS16Le, kSampleRate, 1};
    void* stream = open && write && drain && close
                       ? open(nullptr, client.c_str(), kStreamPlayback, nullptr, "beep", &format, nullptr, nullptr, nullptr)
                       : nullptr;
    if (stream != nullptr) {
      const std::vector<int16_t> samples = tone_samples();
      if (write(stream, samples.data(), samples.size() * sizeof samples[0], nullptr) == 0) drain(stream, nullptr);
      close(stream);
    }
    dlclose(library);
  }
  sounding = false;
}

}  // namespace

void pulse_tone_play(const char* client) {
  if (sounding.exchange(true)) return;
  try {
    std::thread(play, std::string(client)).detach();
  } catch (const std::system_error&) {
    sounding = false;  // no thread: no tone
  }
}

void pulse_tone_wait() {
  // A server that takes the tone but never drains it holds the close up for a second at most.
  for (int waited = 0; sounding && waited < 1000; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
