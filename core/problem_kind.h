#pragma once

// A kind of problem set as the window, the batch mode and the printer see it: how a run
// makes it, the sheets it draws, where its answers go on its paper's answer page and its
// part of a set's JSON.
//
// What a new kind provides: its sheets (SheetInfo: key, job title, summary, label), Make,
// PrintSheet and DrawPreview for each sheet, its answers as printed (TAnswer) and their
// runs, each a heading and a count (AnswerRun), and its JSON member. A paper
// (core/paper.h) lists it; nothing else names it.

#include <QByteArray>
#include <QString>
#include <concepts>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/answer.h"
#include "core/canvas.h"
#include "core/keisan.h"
#include "core/page_mapping.h"
#include "core/print_target.h"

namespace tamariko {

// A run of a kind's answers: the heading that names them on the answer page and how many of
// the kind's answers it holds, from which one. The answer page of the kind's paper places
// it (core/paper.h): its page, column and first row are filled in then, not by the kind.
// A run that starts below a column's top row is named by its heading written downwards
// beside its rows.
struct AnswerRun {
  QString heading;
  int firstAnswer = 0;  // index of the kind's answer in its first row
  int count = 0;
  // Names it to an answer page's places by hand; when empty, the key of the kind's first
  // sheet, then "#2", "#3", ... for its further runs.
  QString key = {};
  // Filled in when the paper is laid out.
  int kind = -1;     // the index of its kind in the paper
  int page = 0;      // the answer page, from 0
  int column = 0;    // column of that page, from 0
  int firstRow = 0;  // row of the column its first answer fills, from 0
};

// One sheet: how it is named to the batch mode, in the window and in the print queue. Its
// place among its paper's sheets is the paper's (core/paper.h), not its own.
struct SheetInfo {
  QString key;       // --sheets name, PNG file stem and settings key; unique within its paper
  QString jobTitle;  // print job title
  // What the sheet holds and how it is graded, for --help: a line in Japanese, then one in
  // English.
  QString summary;
  QString label = {};  // its tab and check boxes; the job title when empty
  // A page that goes with another sheet (an answer page's overflow): no box of its own,
  // chosen, made and printed whenever that sheet is.
  QString tickedWith = {};
  const QString& Label() const { return label.isEmpty() ? jobTitle : label; }
};

class TProblemKind {
 public:
  // Draws a sheet's preview on a canvas with the preview mapping.
  using PreviewDraw = std::function<void(TCanvas& image, const PageMapping& mapping)>;
  // Puts the preview of sheet `sheet` (an index into Sheets()) on view by handing `draw` a
  // fresh page; it may leave a sheet undrawn.
  using ShowPreview = std::function<void(int sheet, const PreviewDraw& draw)>;

  TProblemKind() = default;
  virtual ~TProblemKind() = default;
  TProblemKind(const TProblemKind&) = delete;
  TProblemKind& operator=(const TProblemKind&) = delete;

  // In tab order.
  virtual const std::vector<SheetInfo>& Sheets() const = 0;
  // The problem set the kind's sheets share: its organizer label and texts.
  virtual TKeisan& Set() = 0;

  // A fresh set from the run's generator, whatever `show` draws: with it, each sheet's
  // preview is drawn (a problem as soon as it is accepted where the sheet allows); without
  // it the same draws are made without drawing.
  virtual void Make(const ShowPreview& show) = 0;
  // Prints sheet `sheet` with the problems the set holds, as one job of one page.
  virtual void PrintSheet(int sheet, TPrintTarget& printer) = 0;
  // Draws sheet `sheet`'s preview as Make left it, from the problems the set holds, without
  // drawing a random number: a preview drawn again at another density shows the same set.
  virtual void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const = 0;

  // The answers in runs, each under its heading; together they hold each answer once.
  virtual std::vector<AnswerRun> AnswerRuns() const = 0;
  virtual int AnswerCount() const = 0;
  // Answer `index` as the sheet prints it.
  virtual TAnswer Answer(int index) const = 0;

  // The kind's member of a set's JSON object: "\"name\": {...}".
  virtual QByteArray Json() const = 0;
};

// A set of the usual shape: a problem set with a fixed number of problems, whose MakeSheet
// draws the form and then each problem as it is accepted, whose Generate makes the same draws
// without drawing, which prints its one sheet and hands out one whole-number answer a problem.
template <typename SetType>
concept OneSheetSet = std::derived_from<SetType, TKeisan> && std::default_initializable<SetType> &&
    requires(SetType set, const SetType& made, TCanvas& canvas, const PageMapping& mapping,
             TPrintTarget& printer) {
  { SetType::kProblemCount } -> std::convertible_to<int>;
  set.MakeSheet(canvas, mapping);
  set.Generate();
  set.PrintSheet(printer);
  { made.GetAnswer(std::int32_t{0}) } -> std::convertible_to<std::int64_t>;
};

// A kind of one sheet over a set of the usual shape.
template <OneSheetSet SetType>
class TOneSheetKind : public TProblemKind {
 public:
  // All its answers go in one run, under `answerHeading`.
  TOneSheetKind(SheetInfo sheet, QString answerHeading)
      : sheets_{std::move(sheet)}, answers_{std::move(answerHeading), 0, SetType::kProblemCount} {}

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  TKeisan& Set() override { return set_; }
  const SetType& Problems() const { return set_; }
  SetType& Problems() { return set_; }

  void Make(const ShowPreview& show) override {
    bool made = false;
    if (show) {
      show(0, [&](TCanvas& image, const PageMapping& mapping) {
        set_.MakeSheet(image, mapping);
        made = true;
      });
    }
    if (!made) set_.Generate();
  }
  void PrintSheet(int, TPrintTarget& printer) override { set_.PrintSheet(printer); }
  std::vector<AnswerRun> AnswerRuns() const override { return {answers_}; }
  int AnswerCount() const override { return SetType::kProblemCount; }
  TAnswer Answer(int index) const override { return TAnswer::Whole(set_.GetAnswer(index)); }

 private:
  std::vector<SheetInfo> sheets_;
  AnswerRun answers_;
  SetType set_;
};

inline QByteArray JsonValue(const TAnswer& answer) { return answer.Json(); }
inline QByteArray JsonValue(std::int64_t number) {
  return QByteArray::number(static_cast<qlonglong>(number));
}

// "[1, 2, 3]": `count` values of `get` (numbers or answers), as a set's JSON writes its
// arrays.
template <typename Get>
QByteArray JsonArray(int count, Get get) {
  QByteArray out("[");
  for (int i = 0; i < count; ++i) {
    if (i) out += ", ";
    out += JsonValue(get(static_cast<std::int32_t>(i)));
  }
  return out + "]";
}

}  // namespace tamariko
