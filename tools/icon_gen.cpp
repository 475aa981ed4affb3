// Draws the programs' icon and writes it in the forms the platforms take.
//
// usage: icon_gen OUTPUT_FOLDER
//
// The design is the programs' own look: "n!" in the screen's 8 x 8 font, light grey on the
// screen's blue, in the middle rows of a 16 x 16 square. Each size samples the square at the
// centre of each of its pixels, so that every size is the 16 x 16 design scaled. It writes
//   program-SIZE.png    RGBA, for SIZE 16, 24, 32, 48, 64, 128 and 256
//   program.ico         those PNGs, for the Windows icon resource
//   window_icon.cpp     kWindowIcon: the 16, 32, 48 and 64 pixel icons as _NET_WM_ICON
//                       takes them (width, height, then the pixels as 0xAARRGGBB)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDesignSize = 16;
constexpr int kTextTop = 4;  // "n!" in rows 4 to 11
constexpr char kText[] = "n!";
constexpr uint32_t kBlue = 0xFF0000AA;
constexpr uint32_t kGrey = 0xFFAAAAAA;
constexpr int kPngSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kWindowIconSizes[] = {16, 32, 48, 64};

// The design pixel at (x, y) of the 16 x 16 square, as 0xAARRGGBB.
uint32_t design_pixel(const FontInfo& font, int x, int y) {
  const int row = y - kTextTop;
  if (row < 0 || row >= 8) return kBlue;
  const auto code = static_cast<uint8_t>(kText[x / 8]);
  const bool set = font.glyphs[code * font.height + row] >> (x % 8) & 1;
  return set ? kGrey : kBlue;
}

// The icon at size x size pixels, row by row.
std::vector<uint32_t> icon_pixels(const FontInfo& font, int size) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      pixels.push_back(design_pixel(font, (2 * x + 1) * kDesignSize / (2 * size),
                                    (2 * y + 1) * kDesignSize / (2 * size)));
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

uint32_t crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320 : 0);
  }
  return ~crc;
}

uint32_t adler32(const Bytes& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

// A chunk: length, type, data and the CRC of type and data.
void put_chunk(Bytes& png, const char* type, const Bytes& data) {
  put_be32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put_be32(png, crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes zlib_stored(const Bytes& data) {
  Bytes out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(data.size() - at, 65535);
    out.push_back(at + length == data.size() ? 1 : 0);
    put_le16(out, static_cast<uint32_t>(length));
    put_le16(out, static_cast<uint32_t>(~length & 0xFFFF));
    out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + length));
    at += length;
  } while (at < data.size());
  put_be32(out, adler32(data));
  return out;
}

// An 8-bit RGBA PNG, each row unfiltered.
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
  put_chunk(png, "IDAT", zlib_stored(rows));
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

std::string window_icon_source(const FontInfo& font) {
  std::string text =
      "// Generated by icon_gen: the window's icon at 16, 32, 48 and 64 pixels, as\n"
      "// _NET_WM_ICON takes it.\n"
      "#include \"gfx/x11/window_icon.hpp\"\n\n"
      "const uint32_t kWindowIcon[] = {";
  char item[32];
  for (int size : kWindowIconSizes) {
    std::snprintf(item, sizeof item, "\n    %d, %d,", size, size);
    text += item;
    const std::vector<uint32_t> pixels = icon_pixels(font, size);
    for (size_t i = 0; i < pixels.size(); ++i) {
      std::snprintf(item, sizeof item, "%s0x%08X,", i % 8 == 0 ? "\n    " : " ", pixels[i]);
      text += item;
    }
  }
  return text + "\n};\nconst size_t kWindowIconSize = sizeof kWindowIcon / sizeof kWindowIcon[0];\n";
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

void write_icons(const std::string& folder) {
  if (unpack_gfx_data() != GFX_DATA_SIZE) throw std::runtime_error("the packed fonts are damaged");
  const FontInfo& font = kFonts[0];
  std::vector<Bytes> pngs;
  for (int size : kPngSizes) {
    pngs.push_back(png_file(icon_pixels(font, size), size));
    const std::string path = folder + "/program-" + std::to_string(size) + ".png";
    write_file(path, pngs.back().data(), pngs.back().size());
  }
  const Bytes ico = ico_file(pngs);
  write_file(folder + "/program.ico", ico.data(), ico.size());
  const std::string source = window_icon_source(font);
  write_file(folder + "/window_icon.cpp", source.data(), source.size());
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
