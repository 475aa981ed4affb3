// Draws each program's icon and writes it in the forms the platforms take.
//
// usage: icon_gen OUTPUT_FOLDER
//
// The design is the programs' own look: the program's form in the screen's 8 x 8 font, "n!"
// over "-1" for zorvy and over "+1" for plemo, light grey on the screen's blue, centred in a
// 24 x 24 square with a margin of at least 4 around it. Each size samples the square at the
// centre of each of its pixels, so that every size is the design scaled. It writes
//   PROGRAM/icon-SIZE.png  RGBA, deflated, for SIZE 16, 24, 32, 48, 64, 128 and 256
//   PROGRAM/icon.ico       those PNGs, for the Windows icon resource
//   window_icons.cpp       kWindowIcons: each program's 16, 32, 48 and 64 pixel icons as
//                          _NET_WM_ICON takes them (width, height, then the pixels as 0xAARRGGBB)
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

// Each program's mark: its two rows of two characters.
struct ProgramMark {
  const char* program;
  const char* rows;
};
constexpr ProgramMark kMarks[] = {{"zorvy", "n!-1"}, {"plemo", "n!+1"}};

constexpr int kDesignSize = 24;
constexpr int kTextSize = 16;
constexpr uint32_t kBlue = 0xFF0000AA;
constexpr uint32_t kGrey = 0xFFAAAAAA;
constexpr int kPngSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kWindowIconSizes[] = {16, 32, 48, 64};

// Whether the pixel at (column, row) of the mark's 16 x 16 block of text is set; outside the
// block nothing is.
bool text_pixel(const FontInfo& font, const char* rows, int column, int row) {
  if (column < 0 || column >= kTextSize || row < 0 || row >= kTextSize) return false;
  const auto code = static_cast<uint8_t>(rows[row / 8 * 2 + column / 8]);
  return font.glyphs[code * font.height + row % 8] >> (column % 8) & 1;
}

// Where the block of text starts in the square: the glyphs' cells leave blank columns and rows
// on their right and below, so the set pixels are what is centred, an odd one left over going
// right or down.
struct Offset {
  int x;
  int y;
};
Offset centred_text(const FontInfo& font, const char* rows) {
  int left = kTextSize, right = 0, top = kTextSize, bottom = 0;
  for (int row = 0; row < kTextSize; ++row) {
    for (int column = 0; column < kTextSize; ++column) {
      if (!text_pixel(font, rows, column, row)) continue;
      left = std::min(left, column);
      right = std::max(right, column + 1);
      top = std::min(top, row);
      bottom = std::max(bottom, row + 1);
    }
  }
  return {(kDesignSize - (right - left)) / 2 - left, (kDesignSize - (bottom - top)) / 2 - top};
}

// The icon at size x size pixels, row by row, as 0xAARRGGBB: each pixel the design's at its
// centre.
std::vector<uint32_t> icon_pixels(const FontInfo& font, const char* rows, int size) {
  const Offset text = centred_text(font, rows);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool set = text_pixel(font, rows, (2 * x + 1) * kDesignSize / (2 * size) - text.x,
                                  (2 * y + 1) * kDesignSize / (2 * size) - text.y);
      pixels.push_back(set ? kGrey : kBlue);
    }
  }
  return pixels;
}

// --- PNG -------------------------------------------------------------------------------------

void put_be32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_le16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_le32(Bytes& out, uint32_t value) {
  put_le16(out, value & 0xFFFF);
  put_le16(out, value >> 16);
}

// A chunk: length, type, data and the CRC of type and data.
void put_chunk(Bytes& png, const char* type, const Bytes& data) {
  put_be32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put_be32(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// A zlib stream of the data at zlib's best compression.
Bytes deflated(const Bytes& data) {
  uLongf size = compressBound(data.size());
  Bytes out(size);
  if (compress2(out.data(), &size, data.data(), data.size(), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib cannot compress the pixels");
  }
  out.resize(size);
  return out;
}

// An 8-bit RGBA PNG, each row unfiltered: deflate finds the icon's runs of one colour and its
// rows repeated by the scaling as they are.
Bytes png_file(const std::vector<uint32_t>& pixels, int size) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  put_be32(header, static_cast<uint32_t>(size));
  put_be32(header, static_cast<uint32_t>(size));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  put_chunk(png, "IHDR", header);
  Bytes rows;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i % static_cast<size_t>(size) == 0) rows.push_back(0);
    const uint32_t p = pixels[i];
    rows.insert(rows.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                             static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
  }
  put_chunk(png, "IDAT", deflated(rows));
  put_chunk(png, "IEND", {});
  return png;
}

// An icon file holding the PNGs as they are; 0 stands for a width or height of 256.
Bytes ico_file(const std::vector<Bytes>& pngs) {
  Bytes ico;
  put_le16(ico, 0);
  put_le16(ico, 1);
  put_le16(ico, static_cast<uint32_t>(pngs.size()));
  size_t offset = 6 + 16 * pngs.size();
  for (size_t i = 0; i < pngs.size(); ++i) {
    const auto size = static_cast<uint8_t>(kPngSizes[i] & 0xFF);
    ico.insert(ico.end(), {size, size, 0, 0});
    put_le16(ico, 1);   // planes
    put_le16(ico, 32);  // bits per pixel
    put_le32(ico, static_cast<uint32_t>(pngs[i].size()));
    put_le32(ico, static_cast<uint32_t>(offset));
    offset += pngs[i].size();
  }
  for (const Bytes& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  return ico;
}

// The definition of the array of one program's window icons, named array.
std::string window_icon_array(const FontInfo& font, const ProgramMark& mark, const std::string& array) {
  std::string text = "const uint32_t " + array + "[] = {";
  char item[32];
  for (int size : kWindowIconSizes) {
    std::snprintf(item, sizeof item, "\n    %d, %d,", size, size);
    text += item;
    const std::vector<uint32_t> pixels = icon_pixels(font, mark.rows, size);
    for (size_t i = 0; i < pixels.size(); ++i) {
      std::snprintf(item, sizeof item, "%s0x%08X,", i % 8 == 0 ? "\n    " : " ", pixels[i]);
      text += item;
    }
  }
  return text + "\n};\n";
}

// The source of kWindowIcons: an array of icons per program, and the table naming them.
std::string window_icon_source(const FontInfo& font) {
  std::string text =
      "// Generated by icon_gen: each program's window icon at 16, 32, 48 and 64 pixels, as\n"
      "// _NET_WM_ICON takes it.\n"
      "#include \"gfx/x11/window_icon.hpp\"\n\n"
      "namespace {\n";
  std::string table = "const WindowIcon kWindowIcons[] = {";
  for (const ProgramMark& mark : kMarks) {
    const std::string array = std::string(mark.program) + "_icons";
    text += window_icon_array(font, mark, array);
    table += std::string("\n    {\"") + mark.program + "\", " + array + ", sizeof " + array + " / sizeof " + array + "[0]},";
  }
  return text + "}  // namespace\n\n" + table +
         "\n};\nconst size_t kWindowIconCount = sizeof kWindowIcons / sizeof kWindowIcons[0];\n";
}

// Written under a temporary name first, so that a failed run leaves no partial file.
void write_file(const std::string& path, const void* data, size_t size) {
  const std::string temporary = path + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot write " + temporary);
  const bool written = std::fwrite(data, 1, size, out) == size;
  if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot write " + path);
  }
}

// The program's PNGs and icon file, in a folder of their own.
void write_program_icons(const FontInfo& font, const ProgramMark& mark, const std::string& folder) {
  std::filesystem::create_directories(folder);
  std::vector<Bytes> pngs;
  for (int size : kPngSizes) {
    pngs.push_back(png_file(icon_pixels(font, mark.rows, size), size));
    const std::string path = folder + "/icon-" + std::to_string(size) + ".png";
    write_file(path, pngs.back().data(), pngs.back().size());
  }
  const Bytes ico = ico_file(pngs);
  write_file(folder + "/icon.ico", ico.data(), ico.size());
}

void write_icons(const std::string& folder) {
  if (unpack_gfx_data() != GFX_DATA_SIZE) throw std::runtime_error("the packed fonts are damaged");
  const FontInfo& font = kFonts[0];
  for (const ProgramMark& mark : kMarks) write_program_icons(font, mark, folder + "/" + mark.program);
  const std::string source = window_icon_source(font);
  write_file(folder + "/window_icons.cpp", source.data(), source.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icon_gen OUTPUT_FOLDER\n");
    return 2;
  }
  try {
    write_icons(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "icon_gen: %s\n", error.what());
    return 1;
  }
  return 0;
}
