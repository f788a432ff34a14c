#pragma once

// An exam-practice paper as the window, the batch mode and the printer use it: made from the
// run's generator, a list of pages (problems, then answers), each drawn on a canvas with a
// mapping or printed as one job, its answers as printed text and its members of a set's JSON.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/canvas.h"
#include "core/keisan.h"
#include "core/page_mapping.h"
#include "core/print_target.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_layout.h"
#include "kentei/exam_problems.h"
#include "kentei/exam_sheet.h"

namespace tamariko {

struct TExamPage {
  // --sheets name and PNG file stem: the document's page keys (omote, ura; 段位 kake, wari,
  // mitori1, mitori2), else p1, p2, ...; kaitou, kaitou2, ... for the answers
  QString key;
  QString jobTitle;  // print job title
  TExamPageRef ref;
};

// The organizer label and the round and heading texts come from TKeisan, as for every set.
class TExamPaper : public TKeisan {
 public:
  explicit TExamPaper(const TExamGrade& grade);

  const TExamGrade& Grade() const { return grade_; }
  const TExamLayout& Layout() const { return layout_; }
  // The problem pages in order, then the answer pages.
  const std::vector<TExamPage>& Pages() const { return pages_; }

  // A fresh paper from the run's generator (MakeExamProblems).
  void Make();
  bool Made() const { return problems_.has_value(); }
  // Null before Make.
  const TExamProblems* Problems() const { return problems_ ? &*problems_ : nullptr; }

  // Page `page`'s preview: the image erased, the form, and the figures once made. Draws no
  // random number, so a preview drawn again shows the same paper.
  void DrawPreview(int page, TCanvas& image, const PageMapping& mapping) const;
  // Page `page` on an already started page of any target (a label font and heavy pen set).
  void DrawPage(int page, SheetDrawer& d) const;
  // Page `page` as one print job of one page under its job title.
  void PrintPage(int page, TPrintTarget& printer) const;

  // The subject's answers as printed, its sections' in printed order; empty for a subject
  // the paper lacks or before Make.
  QStringList Answers(TExamSubject subject) const;
  // One section's answers as printed.
  QStringList SectionAnswers(std::size_t section) const;
  // The paper's members of a set's JSON: "\"sections\": [...]", each section in printed
  // order with its subject, heading and problems; numbers as printed without commas or ¥. A
  // shipped paper writes before it "\"abacus\": {...}, \"multiplication\": {...}, ...", the
  // subjects it has (a 暗算 paper's "mental", "mental_multiplication" and "mental_division",
  // without yen lists).
  QByteArray JsonMembers() const;

 private:
  // One section's problems as JSON members.
  QByteArray SectionJson(std::size_t section) const;
  TExamPageContent Content() const;

  const TExamGrade& grade_;
  TExamLayout layout_;
  std::vector<TExamPage> pages_;
  std::optional<TExamProblems> problems_;
};

// `text` as a JSON string, quoted and escaped.
QByteArray JsonText(const QString& text);

}  // namespace tamariko
