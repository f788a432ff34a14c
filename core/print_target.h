#pragma once

#include <QString>

#include "core/canvas.h"
#include "core/page_mapping.h"

namespace tamariko {

// What a sheet needs of a printer: its scale, and one job of one page at a time. The
// printer component implements it; tests hand the sheets a recording one.
class TPrintTarget {
 public:
  virtual ~TPrintTarget() = default;

  virtual PixelPair GetPixelsPerInch() = 0;
  virtual PixelPair GetPageOffset() = 0;
  virtual void BeginDoc(const QString& title) = 0;
  // The running job's page.
  virtual TCanvas& Canvas() = 0;
  virtual void EndDoc() = 0;
};

// The page's mapping for this printer, as a print job draws with it.
inline PageMapping PrintMappingOf(TPrintTarget& printer) {
  return PrintMapping(printer.GetPixelsPerInch(), printer.GetPageOffset());
}

// The preview's mapping for this printer. Formed before the preview image is touched, so a
// printer that cannot answer leaves the last preview whole.
inline PageMapping PreviewMappingOf(TPrintTarget& printer) {
  return PreviewMapping(printer.GetPixelsPerInch(), printer.GetPageOffset());
}

}  // namespace tamariko
