#pragma once

// The problem sets of one window or one batch run and the two runs made of them, so that
// both make and print exactly the same way.

#include <QByteArray>
#include <QImage>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/answer_page.h"
#include "core/problem_kind.h"
#include "core/sheet_texts.h"

namespace tamariko {

// One sheet of a workbook: sheet `sheet` of kind `kind`, or the answer table (kind -1).
struct SheetRef {
  int kind = -1;
  int sheet = 0;
  bool IsAnswerTable() const { return kind < 0; }
  bool operator==(const SheetRef&) const = default;
};

// The sheets a run makes or prints, by key ("mitori", "kake", "kaitou", ...). A kind is made
// when any of its sheets is chosen; the answer table is always made.
using SheetChoice = QSet<QString>;
// Every sheet of the list and the answer table.
SheetChoice EverySheet();

class TWorkbook {
 public:
  using PreviewDraw = TProblemKind::PreviewDraw;
  // Gives a sheet's preview drawing its image: the window's tab, a PNG file. It may leave a
  // sheet undrawn; the sets are made all the same.
  using ShowPreview = std::function<void(const SheetInfo& sheet, const PreviewDraw& draw)>;

  explicit TWorkbook(const TSheetTexts* texts);

  // Every page of this workbook, preview and paper, carries the set's seed as a small label
  // (see DrawSetMark); none without.
  void SetMark(std::optional<std::uint32_t> seed) { mark_ = seed; }

  // The kinds, in the order a run makes them.
  int KindCount() const { return static_cast<int>(kinds_.size()); }
  TProblemKind& Kind(int index) const { return *kinds_[static_cast<std::size_t>(index)]; }
  // The kind that draws the sheet named `key`; nullptr for none.
  TProblemKind* KindOf(const QString& key) const;
  // Whether the last make-problems run made kind `index`.
  bool Made(int index) const { return made_[static_cast<std::size_t>(index)]; }
  // The answer table.
  TAnswerPage& Answers() { return *answers_; }
  const TAnswerPage& Answers() const { return *answers_; }

  // Every sheet in tab order, the answer table last.
  std::vector<SheetRef> Sheets() const;
  const SheetInfo& Info(SheetRef sheet) const;

  // The make-problems run: the organizer label to every set and the answer table emptied;
  // for each kind with a chosen sheet, in the list's order, a step, the set made (its
  // previews drawn as its problems are accepted when there is a preview to show) and its
  // answers copied into the answer table; last a step and the answer table's preview.
  void MakeProblems(const SheetChoice& choice, const ShowPreview& show,
                    const std::function<void()>& step = {});
  // The print run: one job for each chosen sheet, in tab order, the answer table last.
  // `print` sends one.
  void PrintRun(const SheetChoice& choice, const std::function<void(SheetRef)>& print) const;
  void PrintSheets(const SheetChoice& choice, TPrintTarget& printer);
  void PrintSheet(SheetRef sheet, TPrintTarget& printer);
  // Draws a sheet's preview again from what the sets hold, as the make-problems run drew it.
  void DrawPreview(SheetRef sheet, TCanvas& image, const PageMapping& mapping);
  // The sheet named `key` ("mitori", "kaitou", ...); none for a name no sheet has.
  std::optional<SheetRef> SheetNamed(const QString& key) const;

  // The last set as one line of JSON: its seed, then each kind's part in the list's order
  // (a kind added later only when it was made), ending in a newline. Runs of many sets
  // write one such line after another (JSON Lines).
  QByteArray JsonLine(std::uint32_t seed) const;

 private:
  std::vector<std::unique_ptr<TProblemKind>> kinds_;
  std::vector<bool> made_;
  std::unique_ptr<TAnswerPage> answers_;
  std::optional<std::uint32_t> mark_;
};

// A fresh preview page (white, the preview's size and density) with `draw` drawn on it, at
// `devicePixelRatio` device pixels to each of the mapping's pixels.
QImage DrawPreviewImage(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping,
                        qreal devicePixelRatio = 1);

}  // namespace tamariko
