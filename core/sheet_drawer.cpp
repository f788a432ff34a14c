#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

void SetLabelFont(TCanvas& canvas) {
  canvas.SetFontCharset(DEFAULT_CHARSET);
  canvas.SetFontName(kLabelFace);
  canvas.SetFontBold(false);
  canvas.SetFontItalic(false);
}

}  // namespace

SheetDrawer PreparePreview(TCanvas& image, const PageMapping& mapping) {
  image.SetBrushStyle(BrushStyle::Solid);
  image.FillRect(image.ClipRect());
  SetLabelFont(image);
  image.SetPenColor(kBlack);
  image.SetPenWidth(2);
  image.SetBrushStyle(BrushStyle::Clear);
  return SheetDrawer(image, mapping, 2);
}

void PrintPage(TPrintTarget& printer, const QString& title, int points,
               const std::function<void(SheetDrawer&)>& draw, PageBrush brush) {
  const PageMapping mapping = PrintMappingOf(printer);
  printer.BeginDoc(title);
  try {
    TCanvas& page = printer.Canvas();
    SetLabelFont(page);
    page.SetFontSize(points);
    page.SetPenColor(kBlack);
    page.SetPenWidth(4);
    if (brush == PageBrush::Clear) page.SetBrushStyle(BrushStyle::Clear);
    SheetDrawer drawer(page, mapping, 4);
    draw(drawer);
  } catch (...) {
    try {
      printer.EndDoc();
    } catch (...) {
      // The drawing failure is the one worth reporting.
    }
    throw;
  }
  printer.EndDoc();
}

void DrawSetMark(TCanvas& canvas, const PageMapping& mapping, std::uint32_t seed) {
  DrawPageMark(canvas, mapping, SetMarkLabel(seed));
}

QString SetMarkLabel(std::uint32_t seed) { return QStringLiteral("No.") + QString::number(seed); }

void DrawPageMark(TCanvas& canvas, const PageMapping& mapping, const QString& text) {
  // The forms' lowest ink, the organizer label, ends near 351 mm.
  constexpr long double kMarkXMm = 14;
  constexpr long double kMarkYMm = 355;
  SetLabelFont(canvas);
  canvas.SetFontSize(8);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.SetPenColor(kBlack);
  canvas.TextOut(mapping.X(kMarkXMm), mapping.Y(kMarkYMm), text);
}

SheetDrawer StartProblemPreview(TCanvas& image, const PageMapping& mapping,
                                const std::function<void(SheetDrawer&)>& form, int figurePoints) {
  SheetDrawer d = PreparePreview(image, mapping);
  form(d);
  d.FigureFont(figurePoints);
  return d;
}

void PrintProblemSheet(TPrintTarget& printer, const QString& title, bool generated,
                       const std::function<void(SheetDrawer&)>& form, int count,
                       const std::function<void(SheetDrawer&, int problem)>& problem,
                       int figurePoints) {
  PrintPage(printer, title, 10, [&](SheetDrawer& d) {
    form(d);
    // The figures go on paper too, so the generated set can be handed out.
    if (!generated) return;
    d.FigureFont(figurePoints);
    for (int p = 1; p <= count; ++p) problem(d, p);
  });
}

}  // namespace tamariko
