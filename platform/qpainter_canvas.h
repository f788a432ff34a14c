#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRawFont>
#include <optional>
#include <utility>

#include "core/canvas.h"
#include "core/page_mapping.h"

class QPaintDevice;

namespace tamariko {

inline constexpr int kPreviewWidth = 865;
inline constexpr int kPreviewHeight = 1300;
// The density every printer is driven at (kPrinterDpi, which the spooler checks against it),
// in whose whole pixels text is sized on every device.
inline constexpr int kTextDpi = 300;
// The preview's own density: a quarter of the printer's pixels per inch, as PreviewMapping
// lays the page out (B4's 257 mm are 759 pixels), so that a point is as big as on paper.
inline constexpr int kPreviewDpi = kTextDpi / 4;

// A white RGB32 image of 865 x 1300 device-independent pixels at kPreviewDpi. At a device
// pixel ratio above 1 it holds that many more pixels and a painter on it draws the same
// positions through its ratio transform, sharper.
QImage MakePreviewImage(qreal devicePixelRatio = 1);

// The canvas on a QImage (preview) or a PDF page. The painter is opened by the
// constructor and stays open until End() or destruction; on a printer, End() finishes the
// job. Lines are drawn without antialiasing so that 1, 2 and 4 pixel rules stay exact.
//
// Text is laid out as on paper on every device: the font is sized in the printer's whole
// pixels (kTextDpi), and off the printer each glyph is placed where the printed page
// puts it, scaled to the device's density, and measured so. Sized in the device's own
// pixels, a preview's font would be rounded to whole pixels at its density (9 points: 9.375
// to 9; FreeType rounds a fractional size too) and laid out there, so its widths would not
// be the printed ones scaled.
class QPainterCanvas : public TCanvas {
 public:
  // Throws Error when painting on `device` cannot start.
  explicit QPainterCanvas(QPaintDevice* device);
  ~QPainterCanvas() override;
  QPainterCanvas(const QPainterCanvas&) = delete;
  QPainterCanvas& operator=(const QPainterCanvas&) = delete;

  // Ends painting; later drawing calls are ignored. Returns false when the device reported
  // a failure while finishing (a print job that could not be completed).
  bool End();
  bool IsActive() const { return painter_.isActive(); }
  // The next page of a multi-page device starts from the state a new canvas has (font,
  // pen, brush, position), as the page of a print job of its own does.
  void StartAfresh();
  // Where the drawing lands from now on (the painter's world transform). A painter never
  // transformed is left alone by the identity, so an unscaled page is drawn as without one.
  void SetPageTransform(const PageTransform& transform);

  void SetFontName(const QString& name) override;
  void SetFontCharset(int charset) override;
  void SetFontSize(int points) override;
  void SetFontBold(bool bold) override;
  void SetFontItalic(bool italic) override;

  void SetPenColor(TColor color) override;
  void SetPenWidth(int pixels) override;

  void SetBrushStyle(BrushStyle style) override;
  void SetBrushColor(TColor color) override;

  QRect ClipRect() const override;
  void FillRect(const QRect& rect) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const QString& text) override;
  int TextWidth(const QString& text) override;
  TextInk InkOf(const QString& text) override;

 private:
  void ApplyFont();
  void ApplyPen();
  // Device pixels per printer pixel of text: 1 on the printer's page, 1/4 on a preview.
  qreal TextScale() const;
  void DrawScaledText(int x, int y, const QString& text, qreal scale);
  TextInk MeasureInk(const QString& text) const;

  QPaintDevice* device_;
  QPainter painter_;
  QFont font_;
  // The font's faces off the printer, made at the first text drawn in it: as printed, and
  // at the device's size.
  std::optional<std::pair<QRawFont, QRawFont>> faces_;
  int points_ = 9;
  int charset_ = DEFAULT_CHARSET;
  TColor penColor_ = 0xff000000;
  int penWidth_ = 1;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  TColor brushColor_ = 0xffffffff;
  QPoint position_;
  bool transformed_ = false;
};

}  // namespace tamariko
