#include "app/papers.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "kaitou/kaitou.h"
#include "kake/kake_kind.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_kind.h"
#include "kentei/exam_sheet.h"
#include "mitori/abacus_kind.h"
#include "mitori1_1/mental_kind.h"
#include "wari/wari_kind.h"
#ifdef TAMARIKO_RECIPE_CHECK
#include "tests/recipe/recipe_kind.h"
#endif

namespace tamariko {
namespace {

// 大会問題: the contest's five sheets and its answer table.
const TPaper& ContestPaper() {
  static const TPaper paper{
      QStringLiteral("contest"),
      QStringLiteral("大会問題"),
      {
          {[] { return std::make_unique<TMentalKind>(); }, true},
          {[] { return std::make_unique<TKakeKind>(); }, true},
          {[] { return std::make_unique<TWariKind>(); }},
          {[] { return std::make_unique<TAbacusKind>(); }},
#ifdef TAMARIKO_RECIPE_CHECK
          {[] { return std::make_unique<TRecipeKind>(); }},
#endif
      },
      {Tkaitou::Entry(kAnswerSheet)},
      {QStringLiteral("mitori"), QStringLiteral("kake"), kAnswerSheet.key},
      // The abacus sides on the first row, the other sheets on the second.
      {{8, 37, 137, 24},
       {152, 37, 177, 24},
       {8, 61, 137, 24},
       {152, 61, 93, 24},
       {248, 61, 85, 24}},
      {QStringLiteral("omote"), QStringLiteral("ura"), QStringLiteral("mitori"),
       QStringLiteral("kake"), QStringLiteral("wari")},
  };
  return paper;
}

// An exam-practice paper: its problem pages and its answer page, every page ticked at first.
TPaper ExamPaper(const TExamGrade& grade) {
  TPaper paper{grade.key,
               grade.ladder + QStringLiteral("検定練習 ") +
                   (grade.passMarks.size() > 1 ? grade.paperName : grade.name),
               {{[&grade] { return std::make_unique<TExamKind>(grade); }}},
               {ExamAnswerPage(grade)},
               {},
               {},
               {},
               kExamPlaces};
  const TExamKind kind(grade);
  for (const SheetInfo& sheet : kind.Sheets()) paper.firstTicked << sheet.key;
  paper.firstTicked << paper.answerPages.front().sheet.key;
  return paper;
}

// Every grade's paper, the window's own ones too.
const std::vector<TPaper>& AllExamPapers() {
  static const std::vector<TPaper> papers = [] {
    std::vector<TPaper> made;
    for (const TExamGrade& grade : ExamGrades()) made.push_back(ExamPaper(grade));
    return made;
  }();
  return papers;
}

}  // namespace

const std::vector<const TPaper*>& ExamPapers() {
  static const std::vector<const TPaper*> pointers = [] {
    std::vector<const TPaper*> list;
    for (std::size_t i = 0; i < ExamGrades().size(); ++i) {
      if (ExamGrades()[i].batchKey) list.push_back(&AllExamPapers()[i]);
    }
    return list;
  }();
  return pointers;
}

const TPaper* ExamPaperNamed(const QString& key) {
  for (const TPaper* paper : ExamPapers()) {
    if (paper->key == key) return paper;
  }
  return nullptr;
}

std::vector<const TPaper*>& Papers() {
  static std::vector<const TPaper*> papers = {&ContestPaper()};
  return papers;
}

const TPaper& DefaultPaper() { return *Papers().front(); }

const TPaper* PaperNamed(const QString& key) {
  for (const TPaper* paper : Papers()) {
    if (paper->key == key) return paper;
  }
  for (const TPaper& paper : AllExamPapers()) {
    if (paper.key == key) return &paper;
  }
  return nullptr;
}

const TPaper* PaperOfSheet(const QString& key) {
  for (const TPaper* paper : Papers()) {
    for (const SheetInfo& sheet : SheetsWithAnswerTable(*paper)) {
      if (sheet.key == key) return paper;
    }
  }
  return nullptr;
}

const TPaperLayout& LayoutOf(const TPaper& paper) {
  // Papers live as long as the program (a test's for as long as it runs): laid out once.
  static std::mutex guard;
  static std::map<const TPaper*, std::unique_ptr<TPaperLayout>> layouts;
  const std::lock_guard lock(guard);
  auto& layout = layouts[&paper];
  if (!layout) layout = std::make_unique<TPaperLayout>(LayOutPaper(paper));
  return *layout;
}

std::vector<SheetInfo> ProblemSheets(const TPaper& paper) { return LayoutOf(paper).problemSheets; }

std::vector<SheetInfo> SheetsWithAnswerTable(const TPaper& paper) {
  std::vector<SheetInfo> sheets = ProblemSheets(paper);
  for (const AnswerSheet& page : LayoutOf(paper).answerSheets) sheets.push_back(page.sheet);
  return sheets;
}

const std::vector<SheetInfo>& ProblemSheets() { return LayoutOf(DefaultPaper()).problemSheets; }

}  // namespace tamariko
