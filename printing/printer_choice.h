#pragma once

#include <QString>
#include <QStringList>

namespace tamariko {

// What the print and printer set-up dialogs show and give back.
struct PrinterChoice {
  QString printer;
  int paper = 0;  // paper number; 256 with the two sizes below
  int paperLengthTenthMm = 0;
  int paperWidthTenthMm = 0;
  int bin = 0;  // the tray (the device mode's default source); 0 for the printer's choice
  // The B4 page fitted to the paper, or printed at actual size. The sheets are portrait:
  // turned onto landscape paper they would print just as they do upright, so they always
  // go out upright.
  bool fit = true;
  int copies = 1;
  // The built-in PDF printer's folder; empty to leave it as it is.
  QString pdfFolder;
  // The printers set to print both sides of the sheet (両面), each remembered on its own.
  QStringList twoSided;
};

}  // namespace tamariko
