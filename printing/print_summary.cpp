#include "printing/print_summary.h"

#include <algorithm>

#include "platform/cups_spooler.h"
#include "platform/spooler.h"
#include "platform/spooler_paper.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"

namespace tamariko {

QString PrintSummary::Text() const {
  const QString fitted = fit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(fit);
  QString counts = QStringLiteral("%1 枚 × %2 部").arg(sheets).arg(copies);
  if (filePerSheet && !oneFile.isEmpty()) {
    counts = QStringLiteral("%1 枚（1つのPDFファイル（%2）に保存）").arg(sheets).arg(oneFile);
  } else if (filePerSheet) {
    counts = QStringLiteral("%1 枚（1 枚ずつPDFファイルに保存）").arg(sheets);
  }
  return QStringLiteral("プリンター: %1 用紙: %2%3 %4").arg(printer, paper, fitted, counts);
}

PrintSummary SummarizePrint(TQxPrinter& printer, int sheets) {
  const PrinterChoice choice = CurrentChoice(printer);
  PrintSummary summary;
  summary.printer = ShownPrinterName(printer.GetSpooler(), choice.printer);
  summary.paper = choice.paper == DMPAPER_USER ? QStringLiteral("%1 × %2 mm")
                                                     .arg(choice.paperWidthTenthMm / 10.0)
                                                     .arg(choice.paperLengthTenthMm / 10.0)
                                               : JapanesePaperName(choice.paper);
  // On B4 the page is the same either way.
  if (choice.paper != DMPAPER_B4) {
    summary.fit = choice.fit ? QStringLiteral("用紙に合わせる") : QStringLiteral("原寸");
  }
  summary.sheets = sheets;
  summary.copies = std::max(1, choice.copies);
  summary.filePerSheet = dynamic_cast<CupsSpooler*>(&printer.GetSpooler()) != nullptr &&
                         choice.printer == QLatin1String(kPdfPrinterName);
  return summary;
}

}  // namespace tamariko
