#pragma once

// The problem sets of one window or one batch run and the two runs made of them, so that
// both make and print exactly the same way.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/canvas.h"
#include "core/page_mapping.h"
#include "core/print_target.h"
#include "core/sheet_texts.h"
#include "kaitou/kaitou.h"
#include "kake/kake.h"
#include "mitori1_1/mitori1_1.h"

namespace tamariko {

// The organizer label every sheet carries.
inline const QString kOrganizerLabel = QStringLiteral("ORVぽろね教室");

enum class Sheet { Mental, Multiplication, Answers };

// The sheets a run makes (the answer table always follows) or prints.
struct SheetChoice {
  bool mental = true;
  bool multiplication = true;
  bool answers = true;
};

class TWorkbook {
 public:
  // Draws one sheet's preview on a canvas with the preview mapping.
  using PreviewDraw = std::function<void(TCanvas& image, const PageMapping& mapping)>;
  // Gives a sheet's preview drawing its image: the window's tab, a PNG file.
  using ShowPreview = std::function<void(Sheet sheet, const PreviewDraw& draw)>;

  explicit TWorkbook(const TSheetTexts* texts);

  // Every page of this workbook, preview and paper, carries the set's seed as a small label
  // (see DrawSetMark); none without.
  void SetMark(std::optional<std::uint32_t> seed) { mark_ = seed; }

  TMitori1_1& Mental() { return mental_; }
  Tkake& Multiplication() { return multiplication_; }
  Tkaitou& Answers() { return answers_; }

  // The make-problems run: the organizer label to the three sets; for each chosen problem
  // sheet a step, the sheet made (its problems drawn as they are accepted when there is a
  // preview to show, else only generated) and its answers copied into the answer table;
  // last a step and the answer table's preview.
  void MakeProblems(const SheetChoice& choice, const ShowPreview& show,
                    const std::function<void()>& step = {});
  // The print run: one job for each chosen sheet, in the order mental addition,
  // multiplication, answer table. `print` sends one; by default to `printer`.
  static void PrintRun(const SheetChoice& choice, const std::function<void(Sheet)>& print);
  void PrintSheets(const SheetChoice& choice, TPrintTarget& printer);
  void PrintSheet(Sheet sheet, TPrintTarget& printer);

 private:
  TMitori1_1 mental_;
  Tkake multiplication_;
  Tkaitou answers_;
  std::optional<std::uint32_t> mark_;
};

// A fresh preview page (white, the preview's size and density) with `draw` drawn on it.
QImage DrawPreviewImage(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping);

}  // namespace tamariko
