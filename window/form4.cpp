#include "window/form4.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <iterator>
#include <utility>

#include "app/papers.h"
#include "app/versions.h"
#include "app/workbook.h"
#include "window/design.h"

namespace tamariko {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setupUi(this);
  ApplyDesign(this);
  // 版数 beside 部数; the box cannot hold a count outside 1 to kMaxVersions.
  VersionLabel = new QLabel(QStringLiteral("版数"), this);
  VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
  VersionLabel->setFont(CopiesLabel->font());
  VersionLabel->setGeometry(CopiesLabel->geometry().translated(160, 0));
  VersionBox = new QSpinBox(this);
  VersionBox->setObjectName(QStringLiteral("VersionBox"));
  VersionBox->setFont(CopiesBox->font());
  VersionBox->setRange(1, kMaxVersions);
  VersionBox->setGeometry(CopiesBox->geometry().translated(160, 0));
  VersionBox->setToolTip(
      QStringLiteral("何種類の問題を印刷するか（Ａ版から、１～%1）").arg(kMaxVersions));
  QWidget::setTabOrder(CopiesBox, VersionBox);
  for (QWidget* w : {static_cast<QWidget*>(CopiesLabel), static_cast<QWidget*>(CopiesBox),
                     static_cast<QWidget*>(VersionLabel), static_cast<QWidget*>(VersionBox),
                     static_cast<QWidget*>(OkButton), static_cast<QWidget*>(CancelButton)}) {
    Below.emplace_back(w, w->geometry());
  }
  DesignSize = size();
  UsePaper(DefaultPaper(),
           SheetChoice(DefaultPaper().firstTicked.begin(), DefaultPaper().firstTicked.end()));
  CenterOnScreen(this);
  // Enter means OK, wherever the focus is but on キャンセル.
  OkButton->setAutoDefault(true);
  CancelButton->setAutoDefault(true);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &TForm4::OkClicked);
  connect(CancelButton, &QPushButton::clicked, this, &TForm4::CancelClicked);
}

void TForm4::ShowModal() {
  // The focus starts on the first box the window offers.
  for (QCheckBox* box : findChildren<QCheckBox*>()) {
    if (box->isEnabled() && box->isVisibleTo(this)) {
      box->setFocus();
      break;
    }
  }
  OkButton->setDefault(true);
  exec();
}

void TForm4::UsePaper(const TPaper& paper, const SheetChoice& ticked) {
  for (const auto& [key, box] : std::exchange(Boxes_, {})) delete box;
  static constexpr int kX[] = {24, 184, 336};
  static constexpr int kWidth[] = {150, 150, 137};
  constexpr int kPitch = 32;
  const std::vector<SheetInfo> all = SheetsWithAnswerTable(paper);
  // A page that goes with another sheet is chosen by that sheet's box.
  std::vector<SheetInfo> sheets;
  std::copy_if(all.begin(), all.end(), std::back_inserter(sheets),
               [](const SheetInfo& sheet) { return sheet.tickedWith.isEmpty(); });
  QWidget* last = nullptr;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    QCheckBox* box =
        MakeSheetBox(this, sheets[i], static_cast<int>(i) + 1, ticked.contains(sheets[i].key));
    box->setGeometry(kX[i % 3], 48 + kPitch * static_cast<int>(i / 3), kWidth[i % 3], 24);
    box->show();
    Boxes_[sheets[i].key] = box;
    // Tab goes from box to box in their order, then on as the design has it.
    if (last) QWidget::setTabOrder(last, box);
    last = box;
  }
  if (last) QWidget::setTabOrder(last, CopiesBox);
  const int extra = kPitch * std::max(0, static_cast<int>((sheets.size() + 2) / 3) - 2);
  for (const auto& [widget, place] : Below) widget->setGeometry(place.translated(0, extra));
  resize(DesignSize.width(), DesignSize.height() + extra);
}

void TForm4::OfferMadeSheets(const TWorkbook& book) {
  for (const SheetRef sheet : book.Sheets()) {
    QCheckBox* box = BoxOf(Boxes_, book.Info(sheet).key);
    if (box == nullptr) continue;
    const bool made = sheet.IsAnswerTable() || book.Made(sheet.kind);
    box->setEnabled(made);
    box->setChecked(made);
  }
}

void TForm4::OkClicked() {
  close();
  PrintSelected = true;
}

void TForm4::CancelClicked() {
  close();
  PrintSelected = false;
}

}  // namespace tamariko
