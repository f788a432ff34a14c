#include "app/form4.h"

#include <QCheckBox>
#include <QPushButton>

#include "app/design.h"
#include "app/kinds.h"

namespace tamariko {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
  // The sheets the program makes can be printed; the design's other boxes stay disabled.
  for (const SheetInfo& sheet : ProblemSheets()) {
    findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(sheet.tab))->setEnabled(true);
  }
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::ShowModal() { exec(); }

void TForm4::Button1Click() {
  close();
  PrintSelected = true;
}

void TForm4::Button2Click() {
  close();
  PrintSelected = false;
}

}  // namespace tamariko
