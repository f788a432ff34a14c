#pragma once

#include <QDialog>

#include "app/workbook.h"
#include "ui_form4.h"
#include "window/design.h"

namespace tamariko {

class TWorkbook;
struct TPaper;

// Chooses the sheets the print command prints. Lives for the whole run, so the boxes keep
// the user's choices from one use to the next.
class TForm4 : public QDialog, public Ui::Form4 {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  // Shows the window modally and returns when it is closed, by a button or the frame.
  void ShowModal();

  // Offers the sheets of `paper` and its answer pages, those of `ticked` ticked: three boxes
  // a row, the copies and the buttons below them.
  void UsePaper(const TPaper& paper, const SheetChoice& ticked);

  void OkClicked();
  void CancelClicked();
  // After each ケリモ the boxes start as the sheets it made (both sides of a kind of two,
  // and the answer table); a sheet not made is greyed, so no empty form goes out unasked.
  void OfferMadeSheets(const TWorkbook& book);
  // 部数: the copies every job of the run asks for.
  int Copies() const { return CopiesBox->value(); }
  // 版数: how many versions of the paper the run prints (1 to kMaxVersions).
  int Versions() const { return VersionBox->value(); }
  void SetVersions(int versions) { VersionBox->setValue(versions); }

  QLabel* VersionLabel = nullptr;
  QSpinBox* VersionBox = nullptr;

  // Written only by OK and キャンセル: closing through the frame keeps the last answer.
  bool PrintSelected = false;

  // The boxes of the sheets, by sheet key.
  const SheetBoxes& Boxes() const { return Boxes_; }

 private:
  SheetBoxes Boxes_;
  // Where the design puts what stands below two rows of boxes.
  std::vector<std::pair<QWidget*, QRect>> Below;
  QSize DesignSize;
};

}  // namespace tamariko
