#include "core/sheet_drawer.h"

#include "printing/qxprinters.h"

namespace tamariko {
namespace {

void SetLabelFont(TCanvas& canvas) {
  canvas.SetFontCharset(DEFAULT_CHARSET);
  canvas.SetFontName(kLabelFace);
  canvas.SetFontBold(false);
  canvas.SetFontItalic(false);
}

}  // namespace

SheetDrawer PreparePreview(TCanvas& image) {
  TQxPrinter& printer = QxPrinter();
  const PageMapping mapping = PreviewMapping(printer.GetPixelsPerInch(), printer.GetPageOffset());
  image.SetBrushStyle(BrushStyle::Solid);
  image.FillRect(image.ClipRect());
  SetLabelFont(image);
  image.SetPenColor(kBlack);
  image.SetPenWidth(2);
  image.SetBrushStyle(BrushStyle::Clear);
  return SheetDrawer(image, mapping, 2);
}

void PrintPage(const QString& title, int points, const std::function<void(SheetDrawer&)>& draw,
               PageBrush brush) {
  TQxPrinter& printer = QxPrinter();
  const PageMapping mapping = PrintMapping(printer.GetPixelsPerInch(), printer.GetPageOffset());
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

}  // namespace tamariko
