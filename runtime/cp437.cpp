#include "runtime/cp437.hpp"

#include <array>

namespace {

// Glyphs of bytes 0 to 31 (the face, card suit, arrow ... shapes) and 127 to 255.
constexpr std::array<char16_t, 32> kLowGlyphs = {
    u'\u00A0', u'\u263A', u'\u263B', u'\u2665', u'\u2666', u'\u2663', u'\u2660', u'\u2022',
    u'\u25D8', u'\u25CB', u'\u25D9', u'\u2642', u'\u2640', u'\u266A', u'\u266B', u'\u263C',
    u'\u25BA', u'\u25C4', u'\u2195', u'\u203C', u'\u00B6', u'\u00A7', u'\u25AC', u'\u21A8',
    u'\u2191', u'\u2193', u'\u2192', u'\u2190', u'\u221F', u'\u2194', u'\u25B2', u'\u25BC'};

constexpr std::array<char16_t, 129> kHighGlyphs = {
    u'\u2302',
    u'\u00C7', u'\u00FC', u'\u00E9', u'\u00E2', u'\u00E4', u'\u00E0', u'\u00E5', u'\u00E7',
    u'\u00EA', u'\u00EB', u'\u00E8', u'\u00EF', u'\u00EE', u'\u00EC', u'\u00C4', u'\u00C5',
    u'\u00C9', u'\u00E6', u'\u00C6', u'\u00F4', u'\u00F6', u'\u00F2', u'\u00FB', u'\u00F9',
    u'\u00FF', u'\u00D6', u'\u00DC', u'\u00A2', u'\u00A3', u'\u00A5', u'\u20A7', u'\u0192',
    u'\u00E1', u'\u00ED', u'\u00F3', u'\u00FA', u'\u00F1', u'\u00D1', u'\u00AA', u'\u00BA',
    u'\u00BF', u'\u2310', u'\u00AC', u'\u00BD', u'\u00BC', u'\u00A1', u'\u00AB', u'\u00BB',
    u'\u2591', u'\u2592', u'\u2593', u'\u2502', u'\u2524', u'\u2561', u'\u2562', u'\u2556',
    u'\u2555', u'\u2563', u'\u2551', u'\u2557', u'\u255D', u'\u255C', u'\u255B', u'\u2510',
    u'\u2514', u'\u2534', u'\u252C', u'\u251C', u'\u2500', u'\u253C', u'\u255E', u'\u255F',
    u'\u255A', u'\u2554', u'\u2569', u'\u2566', u'\u2560', u'\u2550', u'\u256C', u'\u2567',
    u'\u2568', u'\u2564', u'\u2565', u'\u2559', u'\u2558', u'\u2552', u'\u2553', u'\u256B',
    u'\u256A', u'\u2518', u'\u250C', u'\u2588', u'\u2584', u'\u258C', u'\u2590', u'\u2580',
    u'\u03B1', u'\u00DF', u'\u0393', u'\u03C0', u'\u03A3', u'\u03C3', u'\u00B5', u'\u03C4',
    u'\u03A6', u'\u0398', u'\u03A9', u'\u03B4', u'\u221E', u'\u03C6', u'\u03B5', u'\u2229',
    u'\u2261', u'\u00B1', u'\u2265', u'\u2264', u'\u2320', u'\u2321', u'\u00F7', u'\u2248',
    u'\u00B0', u'\u2219', u'\u00B7', u'\u221A', u'\u207F', u'\u00B2', u'\u25A0', u'\u00A0'};

}  // namespace

char32_t cp437_to_unicode(uint8_t b) {
  if (b < 32) return b == 0 ? U' ' : kLowGlyphs[b];
  if (b < 127) return b;
  return b == 255 ? U' ' : kHighGlyphs[b - 127];
}

uint8_t unicode_to_cp437(char32_t u) {
  if (u >= 32 && u < 127) return static_cast<uint8_t>(u);
  for (int b = 1; b < 255; ++b) {
    if (b >= 32 && b < 127) continue;
    if (cp437_to_unicode(static_cast<uint8_t>(b)) == u) return static_cast<uint8_t>(b);
  }
  return u == U'\u00A0' ? 255 : 0;
}

char32_t decode_utf8(const char* bytes, int count) {
  if (count < 1 || count > 4) return 0;
  const auto lead = static_cast<uint8_t>(bytes[0]);
  const int continuations = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (continuations != count - 1 || lead > 0xF4) return 0;
  char32_t u = continuations == 0 ? lead : lead & (0x3F >> continuations);
  for (int i = 1; i < count; ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if ((b & 0xC0) != 0x80) return 0;
    u = (u << 6) | (b & 0x3F);
  }
  constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  const bool surrogate = u >= 0xD800 && u <= 0xDFFF;
  return u < kShortest[continuations] || surrogate || u > 0x10FFFF ? 0 : u;
}

char* encode_utf8(char32_t u, char* out) {
  if (u < 0x80) {
    *out++ = static_cast<char>(u);
  } else if (u < 0x800) {
    *out++ = static_cast<char>(0xC0 | (u >> 6));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (u >> 12));
    *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (u >> 18));
    *out++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (u & 0x3F));
  }
  return out;
}
