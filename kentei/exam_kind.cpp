#include "kentei/exam_kind.h"

#include <algorithm>

#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

// A section's run: the answer page holding it gives it a column, answers from its first
// problem down.
const QString kSectionKey = QStringLiteral("section");
QString SectionKey(std::size_t section) { return kSectionKey + QString::number(section + 1); }
std::size_t SectionOfKey(const QString& key) {
  return static_cast<std::size_t>(key.mid(kSectionKey.size()).toInt() - 1);
}

class TExamAnswerPage : public TAnswerPage {
 public:
  TExamAnswerPage(const TExamGrade& grade, std::size_t page, std::vector<AnswerRun> runs,
                  int columns, int rows)
      : TAnswerPage(columns, rows, std::move(runs)), paper_(grade), page_(page) {
    // The batch's previews have always shown the exam's answers; the window says.
    SetAnswersShown(true);
  }

  void DrawSheet(TCanvas& image, const PageMapping& mapping) override {
    SheetDrawer d = PreparePreview(image, mapping);
    Draw(d, AnswersShown());
  }
  void PrintSheet(TPrintTarget& printer) override {
    const std::size_t problemPages = paper_.Layout().pages.size();
    PrintPage(printer, JobTitle(paper_.Pages().at(problemPages + page_).jobTitle), 10,
              [&](SheetDrawer& d) { Draw(d, true); });
  }

 private:
  void Draw(SheetDrawer& d, bool withAnswers) {
    TExamAnswerTexts texts;
    texts.sections.resize(paper_.Grade().sections.size());
    for (const AnswerRun& run : Runs()) {
      if (!withAnswers) break;
      QStringList& list = texts.sections.at(SectionOfKey(run.key));
      list.resize(run.firstRow + run.count);
      for (int row = run.firstRow; row < run.firstRow + run.count; ++row) {
        if (const auto& cell = At(run.column, row)) list[row - run.firstRow] = cell->Printed();
      }
    }
    const TExamPageContent content{paper_.Grade(), paper_.Layout(),     nullptr,
                                   SheetTexts(),   GetOrganizerLabel(), &texts};
    DrawExamPage(d, content, {true, page_});
  }

  TExamPaper paper_;  // never made: its grade, layout and page titles
  std::size_t page_;
};

}  // namespace

TExamKind::TExamKind(const TExamGrade& grade) : paper_(grade) {
  const auto& pages = paper_.Pages();
  for (const TExamPage& page : pages) {
    if (page.ref.answers) continue;
    sheets_.push_back({page.key, page.jobTitle, ExamPageTitle(grade, paper_.Layout(), page.ref),
                       paper_.Layout().pages[page.ref.index].label});
  }
}

void TExamKind::Make(const ShowPreview& show) {
  paper_.Make();
  if (!show) return;
  for (int i = 0; i < static_cast<int>(sheets_.size()); ++i) {
    show(i, [&](TCanvas& image, const PageMapping& mapping) {
      paper_.DrawPreview(i, image, mapping);
    });
  }
}

void TExamKind::PrintSheet(int sheet, TPrintTarget& printer) { paper_.PrintPage(sheet, printer); }

void TExamKind::DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const {
  paper_.DrawPreview(sheet, image, mapping);
}

std::vector<AnswerRun> TExamKind::AnswerRuns() const {
  std::vector<AnswerRun> runs;
  int first = 0;
  const TExamGrade& g = paper_.Grade();
  for (std::size_t i = 0; i < g.sections.size(); ++i) {
    runs.push_back({g.sections[i].title, first, g.sections[i].Count(), SectionKey(i)});
    first += g.sections[i].Count();
  }
  return runs;
}

int TExamKind::AnswerCount() const {
  int count = 0;
  for (const TExamSection& s : paper_.Grade().sections) count += s.Count();
  return count;
}

TAnswer TExamKind::Answer(int index) const {
  const TExamProblems* made = paper_.Problems();
  if (!made) return {};
  const TExamGrade& g = paper_.Grade();
  for (std::size_t i = 0; i < g.sections.size(); ++i) {
    const int count = g.sections[i].Count();
    if (index < count) {
      const auto at = static_cast<std::size_t>(index);
      const TSectionProblems& problems = made->sections.at(i);
      return g.sections[i].subject == TExamSubject::Abacus
                 ? problems.additions.at(at).answer.Answer()
                 : problems.pairs.at(at).answer.Answer();
    }
    index -= count;
  }
  return {};
}

QByteArray TExamKind::Json() const {
  const TExamGrade& g = paper_.Grade();
  return "\"exam\": " + JsonText(g.shipped ? g.key : g.paperName) + ", " + paper_.JsonMembers();
}

std::vector<AnswerPageEntry> ExamAnswerPages(const TExamGrade& grade) {
  const TExamPaper paper(grade);
  std::vector<AnswerPageEntry> entries;
  const std::size_t problemPages = paper.Layout().pages.size();
  for (std::size_t a = 0; a < paper.Layout().answers.size(); ++a) {
    const TExamPage& page = paper.Pages().at(problemPages + a);
    const std::vector<std::size_t>& sections = paper.Layout().answers[a].sections;
    AnswerPageEntry entry{{page.key, page.jobTitle, ExamPageTitle(grade, paper.Layout(), page.ref),
                           a == 0 ? QStringLiteral("解答") : QStringLiteral("解答%1").arg(a + 1)},
                          static_cast<int>(sections.size()),
                          1};
    for (std::size_t c = 0; c < sections.size(); ++c) {
      entry.rows = std::max(entry.rows, grade.sections[sections[c]].Count());
      // A section's column holds its answers from its first problem down.
      entry.places.push_back({SectionKey(sections[c]), static_cast<int>(c), 0});
    }
    const int columns = entry.columns, rows = entry.rows;
    entry.make = [&grade, a, columns,
                  rows](std::vector<AnswerRun> runs) -> std::unique_ptr<TAnswerPage> {
      return std::make_unique<TExamAnswerPage>(grade, a, std::move(runs), columns, rows);
    };
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tamariko
