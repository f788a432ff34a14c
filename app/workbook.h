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
#include "core/paper.h"
#include "core/problem_kind.h"
#include "core/sheet_texts.h"

namespace tamariko {

// One sheet of a workbook: sheet `sheet` of kind `kind`, or answer page `sheet` (kind -1).
struct SheetRef {
  int kind = -1;
  int sheet = 0;
  bool IsAnswerTable() const { return kind < 0; }
  bool operator==(const SheetRef&) const = default;
};

// The sheets a run makes or prints, by key ("mitori", "kake", "kaitou", ...). A kind is made
// when any of its sheets is chosen; the answer pages are always made.
using SheetChoice = QSet<QString>;
// Whether `choice` chooses `sheet`: by its key, or by the sheet it goes with.
bool Chosen(const SheetChoice& choice, const SheetInfo& sheet);
// Every sheet of a paper (the default one) and its answer pages.
SheetChoice EverySheet(const TPaper& paper);
SheetChoice EverySheet();

class TWorkbook {
 public:
  using PreviewDraw = TProblemKind::PreviewDraw;
  // Gives a sheet's preview drawing its image: the window's tab, a PNG file. It may leave a
  // sheet undrawn; the sets are made all the same.
  using ShowPreview = std::function<void(const SheetInfo& sheet, const PreviewDraw& draw)>;

  // The sets of `paper`, the default one when none is given.
  explicit TWorkbook(const TSheetTexts* texts, const TPaper* paper = nullptr);
  const TPaper& Paper() const { return *paper_; }

  // Every page of this workbook, preview and paper, carries the set's seed as a small label
  // (see DrawSetMark); none without.
  void SetMark(std::optional<std::uint32_t> seed);
  // The same place with the window's label (「問題番号 20261207」); empty for none.
  void SetMarkText(const QString& text);
  // Added to the print jobs' titles, so that the print queue tells versions apart:
  // 「（Ｂ版）」.
  void SetJobTitleSuffix(const QString& suffix) { titleSuffix_ = suffix; }
  // Whether the answer pages' previews show the answers (see TAnswerPage::SetAnswersShown).
  void SetAnswersShown(bool shown);

  // The kinds, in the order a run makes them.
  int KindCount() const { return static_cast<int>(kinds_.size()); }
  TProblemKind& Kind(int index) const { return *kinds_[static_cast<std::size_t>(index)]; }
  // The kind that draws the sheet named `key`; nullptr for none.
  TProblemKind* KindOf(const QString& key) const;
  // Whether the last make-problems run made kind `index`.
  bool Made(int index) const { return made_[static_cast<std::size_t>(index)]; }
  // The paper's first answer page, and every one.
  TAnswerPage& Answers() { return *pages_.front(); }
  const TAnswerPage& Answers() const { return *pages_.front(); }
  int AnswerPageCount() const { return static_cast<int>(pages_.size()); }
  const TAnswerPage& AnswerPage(int page) const { return *pages_[static_cast<std::size_t>(page)]; }

  // Every sheet in tab order, the answer pages last.
  std::vector<SheetRef> Sheets() const;
  const SheetInfo& Info(SheetRef sheet) const;

  // The make-problems run: the organizer label to every set and the answer pages emptied;
  // for each kind with a chosen sheet, in the paper's order, a step, the set made (its
  // previews drawn as its problems are accepted when there is a preview to show) and its
  // answers copied onto the answer pages; last a step and the answer pages' previews.
  void MakeProblems(const SheetChoice& choice, const ShowPreview& show,
                    const std::function<void()>& step = {});
  // The print run: one job for each chosen sheet, in tab order, the answer pages last.
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
  const TPaper* paper_;
  const TPaperLayout* layout_;
  std::vector<std::unique_ptr<TProblemKind>> kinds_;
  std::vector<bool> made_;
  std::vector<std::unique_ptr<TAnswerPage>> pages_;
  std::optional<QString> mark_;
  QString titleSuffix_;
};

// A fresh preview page (white, the preview's size and density) with `draw` drawn on it, at
// `devicePixelRatio` device pixels to each of the mapping's pixels.
QImage DrawPreviewImage(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping,
                        qreal devicePixelRatio = 1);

}  // namespace tamariko
