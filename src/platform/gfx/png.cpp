#include "platform/gfx/png.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/base/sysutils.h"

namespace vcl {

namespace {

struct FileCloser {
  void operator()(std::FILE* F) const { std::fclose(F); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// libpng reports errors by longjmp, so each setjmp lives in a small function of its own whose
// locals are not touched after it; the callers raise the exception afterwards.
bool WritePng(png_structp Png, png_infop Info, std::FILE* File, const TSurface& Surface) {
  std::vector<png_byte> row(static_cast<std::size_t>(Surface.Width()) * 3);
  if (setjmp(png_jmpbuf(Png)) != 0) return false;
  png_init_io(Png, File);
  png_set_IHDR(Png, Info, Surface.Width(), Surface.Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(Png, Info);
  for (int y = 0; y < Surface.Height(); ++y) {
    for (int x = 0; x < Surface.Width(); ++x) {
      const TColor c = Surface.Pixel(x, y);
      row[x * 3] = GetRValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetBValue(c);
    }
    png_write_row(Png, row.data());
  }
  png_write_end(Png, nullptr);
  return true;
}

bool ReadPng(png_structp Png, png_infop Info, std::FILE* File, TSurface& Surface) {
  std::vector<png_byte> row;
  if (setjmp(png_jmpbuf(Png)) != 0) return false;
  png_init_io(Png, File);
  png_set_sig_bytes(Png, 8);
  png_read_info(Png, Info);
  // Every colour type becomes 8-bit RGB.
  png_set_expand(Png);
  png_set_strip_16(Png);
  png_set_strip_alpha(Png);
  png_set_gray_to_rgb(Png);
  png_read_update_info(Png, Info);
  const int width = static_cast<int>(png_get_image_width(Png, Info));
  const int height = static_cast<int>(png_get_image_height(Png, Info));
  Surface.Resize(width, height);
  row.resize(png_get_rowbytes(Png, Info));
  for (int y = 0; y < height; ++y) {
    png_read_row(Png, row.data(), nullptr);
    for (int x = 0; x < width; ++x) Surface.SetPixel(x, y, RGB(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]));
  }
  return true;
}

}  // namespace

void SaveSurfacePng(const TSurface& Surface, const std::string& Path) {
  FilePtr file(std::fopen(Path.c_str(), "wb"));
  if (!file) throw Exception("Cannot create file \"" + Path + "\"");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool written = png && info && WritePng(png, info, file.get(), Surface);
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (!written) throw Exception("Cannot write PNG file \"" + Path + "\"");
}

TSurface LoadSurfacePng(const std::string& Path) {
  FilePtr file(std::fopen(Path.c_str(), "rb"));
  if (!file) throw Exception("Cannot open file \"" + Path + "\"");
  png_byte signature[8] = {};
  if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    throw Exception("\"" + Path + "\" is not a PNG file");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  TSurface result;
  const bool read = png && info && ReadPng(png, info, file.get(), result);
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  if (!read) throw Exception("Cannot read PNG file \"" + Path + "\"");
  return result;
}

}  // namespace vcl
