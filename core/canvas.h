#pragma once

#include <QRect>
#include <QRectF>
#include <QString>
#include <cstdint>

namespace tamariko {

inline constexpr int DEFAULT_CHARSET = 1;

// A colour as 0xAARRGGBB (the layout of Qt's QRgb, without needing Qt's GUI module here).
using TColor = std::uint32_t;
inline constexpr TColor kBlack = 0xFF000000;
inline constexpr TColor kWhite = 0xFFFFFFFF;

// The faces the sheets draw with: the standard Japanese UI face and the face of the font
// the program carries (its figures).
inline const QString kLabelFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kCarriedFace = QStringLiteral("ORVFont");

enum class BrushStyle { Solid, Clear };

// The ink a text leaves, as printed whatever the device: its box in millimetres from the
// point TextOut takes, measured in the current face alone (no other face stands in for a
// character it lacks), and the first character that face lacks, if any.
struct TextInk {
  QRectF box;
  QString missing;
};

// The drawing surface of a sheet, with the meanings of a classic device canvas:
// TextOut puts the top-left corner of the text cell at the point; pens are whole device
// pixels; a clear brush leaves outlines and text without background, a solid brush gives
// text an opaque background in the brush colour.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual void SetFontName(const QString& name) = 0;
  virtual void SetFontCharset(int charset) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetFontBold(bool bold) = 0;
  virtual void SetFontItalic(bool italic) = 0;

  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenWidth(int pixels) = 0;

  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void SetBrushColor(TColor color) = 0;

  // The whole drawable area in device pixels.
  virtual QRect ClipRect() const = 0;
  // Fills with the brush colour, whatever the brush style.
  virtual void FillRect(const QRect& rect) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void TextOut(int x, int y, const QString& text) = 0;
  virtual int TextWidth(const QString& text) = 0;
  virtual TextInk InkOf(const QString& text) = 0;
};

}  // namespace tamariko
