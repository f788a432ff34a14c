#pragma once

#include <QByteArray>
#include <QImage>

namespace tamariko {

// Encodes an opaque image as PNG, fast enough for a thousand sets of previews: 8-bit grey
// when every pixel is grey, RGB otherwise; no row filter and zlib's fastest level, which
// on mostly white pages costs little size. Decodes to the same pixels as the image; the
// resolution is kept. Throws Error when the encoder fails.
QByteArray EncodePng(const QImage& image);

}  // namespace tamariko
