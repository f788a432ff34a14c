#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "core/canvas.h"
#include "core/page_mapping.h"
#include "core/print_target.h"

namespace tamariko {

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
  // The figures' face: "ORVFont", regular, 13 points unless a sheet needs them smaller.
  void FigureFont(int points = 13) {
    canvas_.SetFontName(kCarriedFace);
    canvas_.SetFontSize(points);
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

// Erases the preview image and sets the label font, a heavy pen and a clear brush.
SheetDrawer PreparePreview(TCanvas& image, const PageMapping& mapping);

// What PrintPage does with the page's brush: clear it, or leave the page's own brush (a
// solid one gives texts an opaque background).
enum class PageBrush { Clear, Unchanged };

// One print job of one page under `title`: forms the print mapping, starts the job, sets the
// label font at `points`, a heavy pen and the brush as asked, draws, and always ends the job.
void PrintPage(TPrintTarget& printer, const QString& title, int points,
               const std::function<void(SheetDrawer&)>& draw, PageBrush brush = PageBrush::Clear);

// The small label "No.<seed>" that matches a sheet to its answer table and makes the set
// again: 8 points, in the page's bottom margin below everything the forms draw.
void DrawSetMark(TCanvas& canvas, const PageMapping& mapping, std::uint32_t seed);
QString SetMarkLabel(std::uint32_t seed);
// Any such label at the same place ("問題番号 20261207　Ｂ版").
void DrawPageMark(TCanvas& canvas, const PageMapping& mapping, const QString& text);

// The steps both problem sheets share. The preview: erased, the form, then the figures'
// face for the problems drawn on it.
SheetDrawer StartProblemPreview(TCanvas& image, const PageMapping& mapping,
                                const std::function<void(SheetDrawer&)>& form,
                                int figurePoints = 13);
// The printed page: the form, and the problems 1 to `count` when the set was generated (a
// set never generated prints the form alone).
void PrintProblemSheet(TPrintTarget& printer, const QString& title, bool generated,
                       const std::function<void(SheetDrawer&)>& form, int count,
                       const std::function<void(SheetDrawer&, int problem)>& problem,
                       int figurePoints = 13);

}  // namespace tamariko
