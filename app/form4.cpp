#include "app/form4.h"

#include <QCheckBox>
#include <QPushButton>

#include "app/design.h"
#include "app/workbook.h"

namespace tamariko {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
  OfferProblemSheets(this);
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::ShowModal() { exec(); }

void TForm4::OfferMadeSheets(const TWorkbook& book) {
  for (const SheetRef sheet : book.Sheets()) {
    QCheckBox* box = SheetCheckBox(this, book.Info(sheet).tab);
    if (box == nullptr) continue;
    const bool made = sheet.IsAnswerTable() || book.Made(sheet.kind);
    box->setEnabled(made);
    box->setChecked(made);
  }
}

void TForm4::Button1Click() {
  close();
  PrintSelected = true;
}

void TForm4::Button2Click() {
  close();
  PrintSelected = false;
}

}  // namespace tamariko
