#pragma once

#include <QString>

namespace tamariko {

class TQxPrinter;

// What the confirmation before a print run says of it, below "印刷しますか？":
// 「プリンター: 職員室レーザー（q1） 用紙: A4（用紙に合わせる） 3 枚 × 2 部」.
struct PrintSummary {
  QString printer;  // as the teacher knows it
  QString paper;
  // How the B4 page meets other paper (fitted, actual size), said in brackets after the
  // paper; empty on B4.
  QString fit;
  int sheets = 0;
  int copies = 1;
  bool filePerSheet = false;  // the PDF printer: one file for each sheet, no copies
  // The PDF printer writing the whole run as this one file instead (several versions).
  QString oneFile;

  QString Text() const;
};

// The summary of a run of `sheets` sheets on the printer in force.
PrintSummary SummarizePrint(TQxPrinter& printer, int sheets);

}  // namespace tamariko
