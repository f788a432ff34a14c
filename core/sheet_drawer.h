#pragma once

#include <QString>
#include <functional>
#include <initializer_list>

#include "core/page_mapping.h"
#include "platform/canvas.h"
#include "platform/carried_font.h"
#include "platform/font_resources.h"

namespace tamariko {

inline constexpr QRgb kBlack = 0xFF000000;

// A fixed text of a form at its place in millimetres.
struct FormText {
  long double x, y;
  const char16_t* text;
};

// Draws a sheet laid out in millimetres on one target. The preview and the printer page
// differ only in the mapping and the heavy pen's width.
class SheetDrawer {
 public:
  SheetDrawer(TCanvas& canvas, const PageMapping& mapping, int heavyPenWidth)
      : canvas_(canvas), mapping_(mapping), heavyPenWidth_(heavyPenWidth) {}

  TCanvas& Canvas() { return canvas_; }
  const PageMapping& Mapping() const { return mapping_; }

  void HeavyPen() { canvas_.SetPenWidth(heavyPenWidth_); }
  void ThinPen() { canvas_.SetPenWidth(1); }
  void ClearBrush() { canvas_.SetBrushStyle(BrushStyle::Clear); }

  void Line(long double x1, long double y1, long double x2, long double y2) {
    canvas_.MoveTo(mapping_.X(x1), mapping_.Y(y1));
    canvas_.LineTo(mapping_.X(x2), mapping_.Y(y2));
  }
  void Rectangle(long double x1, long double y1, long double x2, long double y2) {
    canvas_.Rectangle(mapping_.X(x1), mapping_.Y(y1), mapping_.X(x2), mapping_.Y(y2));
  }

  void Font(int points, bool bold) {
    canvas_.SetFontSize(points);
    canvas_.SetFontBold(bold);
  }
  // The figures' face: "ORVFont", 13 points, regular.
  void FigureFont() {
    canvas_.SetFontName(kCarriedFace);
    canvas_.SetFontSize(13);
  }

  void Text(long double x, long double y, const QString& text) {
    canvas_.TextOut(mapping_.X(x), mapping_.Y(y), text);
  }
  // A group of form texts in one size and weight.
  void Texts(int points, bool bold, std::initializer_list<FormText> texts) {
    Font(points, bold);
    for (const auto& t : texts) Text(t.x, t.y, QString::fromUtf16(t.text));
  }
  // `drawn` ends at x as if it were as wide as `measured` (its plain digits).
  void TextRightAligned(long double x, long double y, const QString& drawn,
                        const QString& measured) {
    canvas_.TextOut(mapping_.X(x) - canvas_.TextWidth(measured), mapping_.Y(y), drawn);
  }

 private:
  TCanvas& canvas_;
  PageMapping mapping_;
  int heavyPenWidth_;
};

// Forms the preview mapping from the current printer, erases the image and sets the label
// font, a heavy pen and a clear brush. The printer is asked first, so a failure leaves the
// image untouched.
SheetDrawer PreparePreview(TCanvas& image);

// What PrintPage does with the page's brush: clear it, or leave the page's own brush (a
// solid one gives texts an opaque background).
enum class PageBrush { Clear, Unchanged };

// One print job of one page under `title`: forms the print mapping, starts the job, sets the
// label font at `points`, a heavy pen and the brush as asked, draws, and always ends the job.
void PrintPage(const QString& title, int points, const std::function<void(SheetDrawer&)>& draw,
               PageBrush brush = PageBrush::Clear);

}  // namespace tamariko
