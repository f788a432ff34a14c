#include "platform/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "core/error.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tamariko {
namespace {

struct Output {
  QByteArray bytes;
  char message[160] = "";
};

void Append(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<Output*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    out->bytes.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  } catch (...) {
    appended = false;
  }
  if (!appended) png_error(png, "out of memory");
}

void Flush(png_structp /*png*/) {}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* out = static_cast<Output*>(png_get_error_ptr(png));
  std::strncpy(out->message, message, sizeof out->message - 1);
  png_longjmp(png, 1);
}

void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

#if defined(__x86_64__)
__attribute__((target("avx"))) void ZeroUpperVectorHalves() { _mm256_zeroupper(); }
#endif

// Qt's raster drawing can leave the upper halves of the AVX registers dirty; zlib's SSE
// code then pays a state transition on every vector instruction and runs at half speed.
void CleanVectorState() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) ZeroUpperVectorHalves();
#endif
}

// The image as 8-bit grey, row after row; false at the first pixel that is not grey.
bool PackGrey(const QImage& image, png_bytep out) {
  const int width = image.width();
  for (int y = 0; y < image.height(); ++y, out += width) {
    const auto* pixel = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    // Red, green and blue alike in every pixel of the row, tested once for the row.
    QRgb mixed = 0;
    for (int x = 0; x < width; ++x) {
      out[x] = static_cast<png_byte>(pixel[x]);
      mixed |= (pixel[x] ^ (pixel[x] >> 8)) & 0xffffu;
    }
    if (mixed != 0) return false;
  }
  return true;
}

// One row of 0xffRRGGBB pixels as RGB samples.
void PackRgb(const QRgb* pixel, int width, png_bytep out) {
  for (int x = 0; x < width; ++x, out += 3) {
    out[0] = static_cast<png_byte>(qRed(pixel[x]));
    out[1] = static_cast<png_byte>(qGreen(pixel[x]));
    out[2] = static_cast<png_byte>(qBlue(pixel[x]));
  }
}

// libpng leaves this frame by longjmp on an error, so nothing here has a destructor.
// `grey`: the packed grey image, or null to write RGB rows packed into `row`.
bool WriteRows(png_structp png, png_infop info, const QImage& image, png_const_bytep grey,
               png_bytep row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
               static_cast<png_uint_32>(image.height()), 8,
               grey != nullptr ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
    png_set_pHYs(png, info, static_cast<png_uint_32>(image.dotsPerMeterX()),
                 static_cast<png_uint_32>(image.dotsPerMeterY()), PNG_RESOLUTION_METER);
  }
  // Pages are mostly white runs: filters find little to gain there and cost the most time.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  for (int y = 0; y < image.height(); ++y) {
    if (grey != nullptr) {
      png_write_row(png, grey + static_cast<std::size_t>(y) * image.width());
    } else {
      PackRgb(reinterpret_cast<const QRgb*>(image.constScanLine(y)), image.width(), row);
      png_write_row(png, row);
    }
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

QByteArray EncodePng(const QImage& source) {
  const QImage image = source.format() == QImage::Format_RGB32
                           ? source
                           : source.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) throw Error("PNG: no image");
  CleanVectorState();
  std::vector<png_byte> grey(static_cast<std::size_t>(image.width()) * image.height());
  const bool isGrey = PackGrey(image, grey.data());
  std::vector<png_byte> row(isGrey ? 0 : static_cast<std::size_t>(image.width()) * 3);

  Output out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, OnError, OnWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw Error("PNG: out of memory");
  }
  png_set_write_fn(png, &out, Append, Flush);
  const bool written = WriteRows(png, info, image, isGrey ? grey.data() : nullptr, row.data());
  png_destroy_write_struct(&png, &info);
  if (!written) throw Error(std::string("PNG: ") + out.message);
  return std::move(out.bytes);
}

}  // namespace tamariko
