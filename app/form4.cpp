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
  // Enter means OK, wherever the focus is but on キャンセル.
  Button1->setAutoDefault(true);
  Button2->setAutoDefault(true);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::ShowModal() {
  // The focus starts on the first box the window offers.
  for (QCheckBox* box : findChildren<QCheckBox*>()) {
    if (box->isEnabled()) {
      box->setFocus();
      break;
    }
  }
  Button1->setDefault(true);
  exec();
}

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
