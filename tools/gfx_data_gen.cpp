// Generates the packed block of the graphics screen's fonts and default palettes.
//
// usage: gfx_data_gen FONT_FOLDER OUTPUT.cpp
//
// Reads three code page 437 fonts from the PSF files of Debian's console-data package in
// FONT_FOLDER, computes the four default palettes, lays them out as the unpacked area (fonts
// 8 x 8, 8 x 14, 8 x 16, then palettes of 2, 16, 64 and 256 colours) and writes OUTPUT.cpp,
// which defines kGfxDataPacked: the area packed with LZW in the form lzw_unpack reads.
//
// The fonts:
//   8 x 8   default8x9.psf.gz, rows 0 to 7: the CGA shapes (row 8 only extends box drawing).
//   8 x 14  cp865-8x14.psf.gz, with the three glyphs where code page 865 differs from 437
//           (0x9B o slash, 0x9D O slash, 0xAF currency sign) taken from cp850-8x14.psf.gz
//           (cent 0xBD, yen 0xBE, right guillemet 0xAF); both files are drawn alike.
//   8 x 16  default8x16.psf.gz.
// Fonts with a unicode table are read by character; fonts without one are in code page order.
// Codes 0, 32 and 255 are blank in every font. PSF rows hold the leftmost pixel in the top
// bit; the area holds it in bit 0.
#include <cstdint>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

// --- Reading files ---------------------------------------------------------------------------

// The contents of a font file, decompressed by gzip when it is compressed.
Bytes read_font_file(const std::string& path) {
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    throw std::runtime_error("cannot read " + path + ": install the Debian package console-data");
  }
  if (path.find('\'') != std::string::npos) {
    throw std::runtime_error("font path with a quote: " + path);
  }
  const std::string command = "gzip -dcf -- '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run: " + command);
  Bytes data;
  uint8_t buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    data.insert(data.end(), buffer, buffer + got);
  }
  if (pclose(pipe) != 0) throw std::runtime_error("gzip failed on " + path);
  return data;
}

// --- PSF fonts -------------------------------------------------------------------------------

struct PsfFont {
  std::string path;
  int glyph_count;
  int width;
  int height;
  size_t bytes_per_glyph;
  size_t bitmap_offset;
  Bytes data;
  std::map<char32_t, int> glyph_of;  // from the unicode table; empty when the file has none
};

constexpr uint8_t PSF1_MODE512 = 0x01;
constexpr uint8_t PSF1_MODEHASTAB = 0x02;
constexpr uint8_t PSF1_MODEHASSEQ = 0x04;
constexpr uint16_t PSF1_SEPARATOR = 0xFFFF;
constexpr uint16_t PSF1_STARTSEQ = 0xFFFE;
constexpr uint32_t PSF2_HAS_UNICODE_TABLE = 0x01;
constexpr uint8_t PSF2_SEPARATOR = 0xFF;
constexpr uint8_t PSF2_STARTSEQ = 0xFE;

uint32_t le16(const Bytes& data, size_t at) { return data[at] | data[at + 1] << 8; }

uint32_t le32(const Bytes& data, size_t at) { return le16(data, at) | le16(data, at + 2) << 16; }

[[noreturn]] void bad_font(const PsfFont& font, const std::string& what) {
  throw std::runtime_error(font.path + ": " + what);
}

// PSF1 table: per glyph, 16-bit characters up to the separator; sequences (combined
// characters) follow a start mark and name no single character.
void read_psf1_table(PsfFont& font, size_t at) {
  for (int glyph = 0; glyph < font.glyph_count; ++glyph) {
    bool in_sequence = false;
    for (;;) {
      if (at + 2 > font.data.size()) bad_font(font, "unicode table cut short");
      const uint32_t unit = le16(font.data, at);
      at += 2;
      if (unit == PSF1_SEPARATOR) break;
      if (unit == PSF1_STARTSEQ) in_sequence = true;
      if (!in_sequence) font.glyph_of.emplace(unit, glyph);
    }
  }
}

// One UTF-8 character starting at at; at moves past it.
char32_t read_utf8(const PsfFont& font, size_t& at) {
  const uint8_t lead = font.data[at++];
  const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
  char32_t character = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (at >= font.data.size()) bad_font(font, "unicode table cut short");
    character = character << 6 | (font.data[at++] & 0x3F);
  }
  return character;
}

// PSF2 table: per glyph, UTF-8 characters up to the separator byte; sequences as in PSF1.
void read_psf2_table(PsfFont& font, size_t at) {
  for (int glyph = 0; glyph < font.glyph_count; ++glyph) {
    bool in_sequence = false;
    for (;;) {
      if (at >= font.data.size()) bad_font(font, "unicode table cut short");
      const uint8_t lead = font.data[at];
      if (lead == PSF2_SEPARATOR) {
        ++at;
        break;
      }
      if (lead == PSF2_STARTSEQ) {
        ++at;
        in_sequence = true;
        continue;
      }
      const char32_t character = read_utf8(font, at);
      if (!in_sequence) font.glyph_of.emplace(character, glyph);
    }
  }
}

void read_psf1_header(PsfFont& font) {
  const uint8_t mode = font.data[2];
  font.glyph_count = mode & PSF1_MODE512 ? 512 : 256;
  font.width = 8;
  font.height = font.data[3];
  font.bytes_per_glyph = font.height;
  font.bitmap_offset = 4;
  const size_t table = font.bitmap_offset + font.glyph_count * font.bytes_per_glyph;
  if (table > font.data.size()) bad_font(font, "glyphs cut short");
  if (mode & (PSF1_MODEHASTAB | PSF1_MODEHASSEQ)) read_psf1_table(font, table);
}

void read_psf2_header(PsfFont& font) {
  if (font.data.size() < 32) bad_font(font, "header cut short");
  font.bitmap_offset = le32(font.data, 8);
  const uint32_t flags = le32(font.data, 12);
  font.glyph_count = static_cast<int>(le32(font.data, 16));
  font.bytes_per_glyph = le32(font.data, 20);
  font.height = static_cast<int>(le32(font.data, 24));
  font.width = static_cast<int>(le32(font.data, 28));
  if (font.bytes_per_glyph != static_cast<size_t>(font.height) * ((font.width + 7) / 8)) {
    bad_font(font, "glyph size does not match width and height");
  }
  const size_t table = font.bitmap_offset + font.glyph_count * font.bytes_per_glyph;
  if (table > font.data.size()) bad_font(font, "glyphs cut short");
  if (flags & PSF2_HAS_UNICODE_TABLE) read_psf2_table(font, table);
}

PsfFont load_psf(const std::string& path) {
  PsfFont font{path, 0, 0, 0, 0, 0, read_font_file(path), {}};
  const Bytes& d = font.data;
  if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {
    read_psf1_header(font);
  } else if (d.size() >= 4 && d[0] == 0x72 && d[1] == 0xB5 && d[2] == 0x4A && d[3] == 0x86) {
    read_psf2_header(font);
  } else {
    bad_font(font, "not a PSF font");
  }
  return font;
}

// --- Code page 437 fonts ---------------------------------------------------------------------

// The Unicode character of a code page 437 code from 1 to 255 (1 to 31 and 127 are pictures).
char32_t cp437_character(int code) {
  constexpr char16_t kPictures[32] = {
      0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
      0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
      0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
      0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
  };
  constexpr char16_t kUpperHalf[128] = {
      0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
      0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
      0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
      0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
      0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
      0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
      0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
      0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
      0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
      0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
      0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
      0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
      0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
      0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
      0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
      0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
  };
  if (code < 32) return kPictures[code];
  if (code == 127) return 0x2302;
  if (code < 128) return static_cast<char32_t>(code);
  return kUpperHalf[code - 128];
}

// The glyph of a code page 437 code: found by character through the unicode table, or by
// position in a font without one.
int glyph_for(const PsfFont& font, int code) {
  if (font.glyph_of.empty()) return code;
  const auto found = font.glyph_of.find(cp437_character(code));
  if (found == font.glyph_of.end()) {
    bad_font(font, "no glyph for code page 437 code " + std::to_string(code));
  }
  return found->second;
}

// A PSF row (leftmost pixel in the top bit) with the leftmost pixel in bit 0.
uint8_t mirrored(uint8_t row) {
  uint8_t result = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (row & (0x80 >> bit)) result |= 1 << bit;
  }
  return result;
}

// Writes the top height rows of a glyph over the font's glyph for code.
void copy_glyph(const PsfFont& font, int glyph, int height, Bytes& rows, int code) {
  const size_t from = font.bitmap_offset + glyph * font.bytes_per_glyph;
  for (int row = 0; row < height; ++row) {
    rows[code * height + row] = mirrored(font.data[from + row]);
  }
}

bool is_blank_code(int code) { return code == 0 || code == 32 || code == 255; }

// Fails unless the font has 256 glyphs or more, 8 pixels wide and at least height rows.
void check_shape(const PsfFont& font, int height) {
  if (font.width != 8 || font.height < height || font.glyph_count < 256) {
    bad_font(font,
             "not an 8-pixel-wide font of 256 glyphs and " + std::to_string(height) + " rows");
  }
}

// The 256 code page 437 glyphs of a font, each the top height rows of its PSF glyph.
Bytes cp437_rows(const PsfFont& font, int height) {
  check_shape(font, height);
  Bytes rows(256 * height, 0);
  for (int code = 0; code < 256; ++code) {
    if (!is_blank_code(code)) copy_glyph(font, glyph_for(font, code), height, rows, code);
  }
  return rows;
}

// The 8 x 14 font: code page 865 with the code page 437 characters it lacks taken from the
// code page 850 font of the same design.
Bytes cp437_rows_8x14(const std::string& folder) {
  struct Replacement {
    int code;
    int cp850_glyph;
  };
  constexpr Replacement kCp865Replacements[] = {
      {0x9B, 0xBD},  // cent instead of o slash
      {0x9D, 0xBE},  // yen instead of O slash
      {0xAF, 0xAF},  // right guillemet instead of the currency sign
  };
  Bytes rows = cp437_rows(load_psf(folder + "/cp865-8x14.psf.gz"), 14);
  const PsfFont cp850 = load_psf(folder + "/cp850-8x14.psf.gz");
  check_shape(cp850, 14);
  for (const Replacement& r : kCp865Replacements) {
    copy_glyph(cp850, r.cp850_glyph, 14, rows, r.code);
  }
  return rows;
}

// --- Palettes --------------------------------------------------------------------------------

void append_rgb(Bytes& area, int red, int green, int blue) {
  area.push_back(static_cast<uint8_t>(red));
  area.push_back(static_cast<uint8_t>(green));
  area.push_back(static_cast<uint8_t>(blue));
}

// A 6-bit palette level widened to 8 bits.
int widened(int level) { return level * 255 / 63; }

int bit(int value, int index) { return value >> index & 1; }

// The 16 colours: bits 2, 1, 0 give red, green, blue at 170, bit 3 adds 85 to each; colour 6
// is brown, its green halved.
void append_16_colour_entry(Bytes& area, int i) {
  const int bright = 85 * bit(i, 3);
  const int green = i == 6 ? 85 : 170 * bit(i, 1) + bright;
  append_rgb(area, 170 * bit(i, 2) + bright, green, 170 * bit(i, 0) + bright);
}

// The 64 colours: bits 2, 1, 0 add 170 and bits 5, 4, 3 add 85 to red, green, blue.
void append_64_colour_entry(Bytes& area, int i) {
  append_rgb(area, 170 * bit(i, 2) + 85 * bit(i, 5), 170 * bit(i, 1) + 85 * bit(i, 4),
             170 * bit(i, 0) + 85 * bit(i, 3));
}

// Level index 0 to 4 of red at hue step 0 to 23 of a ring: it rises over steps 0 to 4 (blue
// to magenta), holds to step 12 (yellow) and falls to 0 at step 16 (green). Green follows the
// same course 8 steps later, blue 8 steps earlier.
int hue_ramp(int step) {
  const int t = (step % 24 + 24) % 24;
  if (t < 4) return t;
  if (t < 12) return 4;
  if (t < 16) return 16 - t;
  return 0;
}

// The 256 colours: the 16 colours, a grey ramp, nine rings of 24 hues (three intensities,
// three saturations each, as 6-bit levels from the ring's minimum to its maximum), then black.
void append_256_colour_palette(Bytes& area) {
  constexpr int kGreyLevels[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};
  constexpr int kRingLevels[9][5] = {
      {0, 16, 31, 47, 63}, {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
      {0, 7, 14, 21, 28},  {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
      {0, 4, 8, 12, 16},   {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16},
  };
  for (int i = 0; i < 16; ++i) append_16_colour_entry(area, i);
  for (const int level : kGreyLevels) {
    append_rgb(area, widened(level), widened(level), widened(level));
  }
  for (const auto& levels : kRingLevels) {
    for (int step = 0; step < 24; ++step) {
      append_rgb(area, widened(levels[hue_ramp(step)]), widened(levels[hue_ramp(step - 8)]),
                 widened(levels[hue_ramp(step + 8)]));
    }
  }
  for (int i = 248; i < 256; ++i) append_rgb(area, 0, 0, 0);
}

void append_palettes(Bytes& area) {
  append_rgb(area, 0, 0, 0);
  append_rgb(area, 255, 255, 255);
  for (int i = 0; i < 16; ++i) append_16_colour_entry(area, i);
  for (int i = 0; i < 64; ++i) append_64_colour_entry(area, i);
  append_256_colour_palette(area);
}

// --- The area and its packing ----------------------------------------------------------------

Bytes build_area(const std::string& folder) {
  Bytes area = cp437_rows(load_psf(folder + "/default8x9.psf.gz"), 8);
  const Bytes rows_8x14 = cp437_rows_8x14(folder);
  area.insert(area.end(), rows_8x14.begin(), rows_8x14.end());
  const Bytes rows_8x16 = cp437_rows(load_psf(folder + "/default8x16.psf.gz"), 16);
  area.insert(area.end(), rows_8x16.begin(), rows_8x16.end());
  append_palettes(area);
  if (area.size() != GFX_DATA_SIZE) {
    throw std::runtime_error("area of " + std::to_string(area.size()) + " bytes, expected " +
                             std::to_string(GFX_DATA_SIZE));
  }
  return area;
}

// LZW codes of data, ending with the end code. The dictionary grows from 256 by one entry
// per code after the first and stops at 4094, as the unpacker's does, so that a code may name
// the entry the unpacker is about to make (a string followed by its own first byte).
std::vector<uint16_t> lzw_codes(const Bytes& data) {
  std::map<uint32_t, uint16_t> entries;  // (prefix code << 8 | byte) -> code
  uint16_t next_free = 256;
  std::vector<uint16_t> codes;
  uint16_t current = data[0];
  for (size_t i = 1; i < data.size(); ++i) {
    const uint32_t key = static_cast<uint32_t>(current) << 8 | data[i];
    const auto found = entries.find(key);
    if (found != entries.end()) {
      current = found->second;
      continue;
    }
    codes.push_back(current);
    if (next_free < LZW_END_CODE) entries.emplace(key, next_free++);
    current = data[i];
  }
  codes.push_back(current);
  codes.push_back(LZW_END_CODE);
  return codes;
}

// Two 12-bit codes per three bytes, the low code first; a last single code takes two bytes.
Bytes packed_codes(const std::vector<uint16_t>& codes) {
  Bytes packed;
  for (size_t i = 0; i < codes.size(); i += 2) {
    const uint16_t low = codes[i];
    const uint16_t high = i + 1 < codes.size() ? codes[i + 1] : 0;
    packed.push_back(low & 0xFF);
    packed.push_back(static_cast<uint8_t>(low >> 8 | (high & 0x0F) << 4));
    if (i + 1 < codes.size()) packed.push_back(static_cast<uint8_t>(high >> 4));
  }
  return packed;
}

void write_source(const std::string& path, const Bytes& packed) {
  const std::string temporary = path + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "w");
  if (out == nullptr) throw std::runtime_error("cannot write " + temporary);
  std::fprintf(out,
               "// Generated by gfx_data_gen from the console-data fonts: the fonts and default\n"
               "// palettes of the graphics screen, packed with LZW.\n"
               "#include \"gfx/gfx_data.hpp\"\n\n"
               "const uint8_t kGfxDataPacked[] = {");
  for (size_t i = 0; i < packed.size(); ++i) {
    std::fprintf(out, "%s0x%02X,", i % 16 == 0 ? "\n    " : " ", packed[i]);
  }
  std::fprintf(out, "\n};\nconst size_t kGfxDataPackedSize = sizeof kGfxDataPacked;\n");
  const bool written = std::ferror(out) == 0;
  if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot write " + path);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gfx_data_gen FONT_FOLDER OUTPUT.cpp\n");
    return 2;
  }
  try {
    write_source(argv[2], packed_codes(lzw_codes(build_area(argv[1]))));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "gfx_data_gen: %s\n", error.what());
    return 1;
  }
  return 0;
}
