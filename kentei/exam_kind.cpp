#include "kentei/exam_kind.h"

#include <algorithm>

#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

// The answer page's columns: one a subject, in the order of TExamSubject.
constexpr int kSubjects = 3;

struct SubjectPart {
  TExamSubject subject;
  QString heading;
  int count;
};

// A subject's run, as the answer page places it in the subject's column.
QString SubjectKey(TExamSubject subject) {
  static const QString keys[] = {QStringLiteral("abacus"), QStringLiteral("multiplication"),
                                 QStringLiteral("division")};
  return keys[static_cast<int>(subject)];
}

std::vector<SubjectPart> PartsOf(const TExamGrade& g) {
  std::vector<SubjectPart> parts;
  const int counts[] = {g.abacus.Count(), g.multiplication.Count(), g.division.Count()};
  for (int s = 0; s < kSubjects; ++s) {
    if (counts[s] > 0)
      parts.push_back({static_cast<TExamSubject>(s), ExamSubjectName(g, s), counts[s]});
  }
  return parts;
}

QString SheetLabel(const TExamGrade& g, TExamPageKind kind) {
  switch (kind) {
    case TExamPageKind::Front:
      return QStringLiteral("かけ算・わり算（表）");
    case TExamPageKind::Back:
      return QStringLiteral("みとり算（裏）");
    case TExamPageKind::MentalAddition:
      return QStringLiteral("みとり暗算（表）");
    case TExamPageKind::MentalPairs:
      return QStringLiteral("かけ暗算・わり暗算（裏）");
    case TExamPageKind::DanMultiplication:
      return ExamSubjectName(g, 1);
    case TExamPageKind::DanDivision:
      return ExamSubjectName(g, 2);
    case TExamPageKind::DanAdditionFirst:
      return ExamSubjectName(g, 0) + QStringLiteral("１");
    case TExamPageKind::DanAdditionSecond:
      return ExamSubjectName(g, 0) + QStringLiteral("２");
    default:
      return QStringLiteral("問題");
  }
}

class TExamAnswerPage : public TAnswerPage {
 public:
  TExamAnswerPage(const TExamGrade& grade, std::vector<AnswerRun> runs, int rows)
      : TAnswerPage(kSubjects, rows, std::move(runs)), paper_(grade) {
    // The batch's previews have always shown the exam's answers; the window says.
    SetAnswersShown(true);
  }

  void DrawSheet(TCanvas& image, const PageMapping& mapping) override {
    SheetDrawer d = PreparePreview(image, mapping);
    Draw(d, AnswersShown());
  }
  void PrintSheet(TPrintTarget& printer) override {
    PrintPage(printer, JobTitle(paper_.Pages().back().jobTitle), 10,
              [&](SheetDrawer& d) { Draw(d, true); });
  }

 private:
  void Draw(SheetDrawer& d, bool withAnswers) {
    TExamAnswerTexts texts;
    QStringList* columns[kSubjects] = {&texts.abacus, &texts.multiplication, &texts.division};
    for (const AnswerRun& run : Runs()) {
      if (!withAnswers) break;
      QStringList& list = *columns[run.column];
      // A subject's column holds its answers from its problem No.1 down.
      list.resize(run.firstRow + run.count);
      for (int row = run.firstRow; row < run.firstRow + run.count; ++row) {
        if (const auto& cell = At(run.column, row)) list[row] = cell->Printed();
      }
    }
    const TExamPageContent content{paper_.Grade(), nullptr, SheetTexts(), GetOrganizerLabel(),
                                   &texts};
    DrawExamPage(d, content, TExamPageKind::Answers);
  }

  TExamPaper paper_;  // never made: its grade and page titles
};

}  // namespace

TExamKind::TExamKind(const TExamGrade& grade) : paper_(grade) {
  const auto& pages = paper_.Pages();
  for (std::size_t i = 0; i + 1 < pages.size(); ++i) {
    sheets_.push_back({pages[i].key, pages[i].jobTitle, ExamPageTitle(grade, pages[i].kind),
                       SheetLabel(grade, pages[i].kind)});
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
  for (const SubjectPart& part : PartsOf(paper_.Grade())) {
    runs.push_back({part.heading, first, part.count, SubjectKey(part.subject)});
    first += part.count;
  }
  return runs;
}

int TExamKind::AnswerCount() const {
  int count = 0;
  for (const SubjectPart& part : PartsOf(paper_.Grade())) count += part.count;
  return count;
}

TAnswer TExamKind::Answer(int index) const {
  const TExamProblems* made = paper_.Problems();
  if (!made) return {};
  for (const SubjectPart& part : PartsOf(paper_.Grade())) {
    if (index < part.count) {
      const auto at = static_cast<std::size_t>(index);
      switch (part.subject) {
        case TExamSubject::Abacus:
          return made->abacus.at(at).answer.Answer();
        case TExamSubject::Multiplication:
          return made->multiplication.at(at).answer.Answer();
        case TExamSubject::Division:
          return made->division.at(at).answer.Answer();
      }
    }
    index -= part.count;
  }
  return {};
}

QByteArray TExamKind::Json() const {
  const TExamGrade& g = paper_.Grade();
  return "\"exam\": " + JsonText(g.shipped ? g.key : g.paperName) + ", " + paper_.JsonMembers();
}

AnswerPageEntry ExamAnswerPage(const TExamGrade& grade) {
  const TExamPaper paper(grade);
  const TExamPage& page = paper.Pages().back();
  AnswerPageEntry entry{
      {page.key, page.jobTitle, ExamPageTitle(grade, page.kind), QStringLiteral("解答")},
      kSubjects,
      1};
  for (const SubjectPart& part : PartsOf(grade)) {
    entry.rows = std::max(entry.rows, part.count);
    // A subject's column holds its answers from its problem No.1 down.
    entry.places.push_back({SubjectKey(part.subject), static_cast<int>(part.subject), 0});
  }
  const int rows = entry.rows;
  entry.make = [&grade, rows](std::vector<AnswerRun> runs) -> std::unique_ptr<TAnswerPage> {
    return std::make_unique<TExamAnswerPage>(grade, std::move(runs), rows);
  };
  return entry;
}

}  // namespace tamariko
