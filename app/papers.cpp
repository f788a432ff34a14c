#include "app/papers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <deque>
#include <map>
#include <mutex>

#include "core/error.h"
#include "kaitou/kaitou.h"
#include "kake/kake_kind.h"
#include "kentei/exam_kind.h"
#include "kentei/exam_sheet.h"
#include "kentei/paper_document.h"
#include "mitori/abacus_kind.h"
#include "mitori1_1/mental_kind.h"
#include "resources/resources.h"
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
               grade.ladder + u' ' + (grade.passMarks.size() > 1 ? grade.paperName : grade.name),
               {{[&grade] { return std::make_unique<TExamKind>(grade); }}},
               ExamAnswerPages(grade),
               {},
               {},
               {},
               kExamPlaces};
  const TExamKind kind(grade);
  for (const SheetInfo& sheet : kind.Sheets()) paper.firstTicked << sheet.key;
  for (const AnswerPageEntry& page : paper.answerPages) paper.firstTicked << page.sheet.key;
  return paper;
}

const QString kShippedPapers = kResourceRoot + QStringLiteral("/papers");

QByteArray ReadAll(const QString& path, const QString& shown) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Error(QStringLiteral("%1: 用紙のファイルを開けません（%2）")
                    .arg(shown, file.errorString())
                    .toStdString());
  // Read one byte past the limit, so a larger file is told as such and never read whole.
  return file.read(kMostDocumentBytes + 1);
}

// Grades and papers read during the run, which live as long as it (the papers' layouts and
// kinds keep pointers to them).
struct Registry {
  std::mutex guard;
  std::deque<TExamGrade> grades;
  std::deque<TPaper> papers;
  std::map<QString, const TPaper*> byPath;

  const TPaper& Add(TExamGrade grade) {
    grades.push_back(std::move(grade));
    papers.push_back(ExamPaper(grades.back()));
    return papers.back();
  }
};
Registry& Read() {
  static Registry registry;
  return registry;
}

TExamGrade GradeOfFile(const QString& path, const QString& key) {
  const QString shown = QDir::toNativeSeparators(path);
  return ExamGradeOf(ReadPaperDocument(ReadAll(path, shown), shown), key);
}

}  // namespace

const std::vector<TExamGrade>& ExamGrades() {
  static const std::vector<TExamGrade> grades = [] {
    QFile orderFile(kShippedPapers + QStringLiteral("/order.txt"));
    QStringList order;
    if (orderFile.open(QIODevice::ReadOnly)) {
      for (const QString& line : QString::fromUtf8(orderFile.readAll()).split(u'\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#')) order << line.trimmed();
      }
    }
    QStringList keys;
    for (const QString& file : QDir(kShippedPapers).entryList({QStringLiteral("*.json")}))
      keys << file.chopped(5);
    std::stable_sort(keys.begin(), keys.end(), [&](const QString& a, const QString& b) {
      const auto place = [&](const QString& k) {
        const qsizetype at = order.indexOf(k);
        return at < 0 ? order.size() : at;
      };
      return place(a) < place(b);
    });
    std::vector<TExamGrade> made;
    for (const QString& key : keys) {
      TExamGrade grade =
          GradeOfFile(kShippedPapers + u'/' + key + QStringLiteral(".json"), key + ".json");
      grade.key = key;
      grade.shipped = true;
      made.push_back(std::move(grade));
    }
    return made;
  }();
  return grades;
}

const TExamGrade* FindExamGrade(const QString& key) {
  for (const TExamGrade& grade : ExamGrades()) {
    if (grade.key == key) return &grade;
  }
  return nullptr;
}

QString OwnPapersFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/tamariko/papers");
}

bool NamesAFile(const QString& argument) {
  return argument.contains(u'/') || argument.endsWith(QLatin1String(".json"));
}

std::vector<const TPaper*> OwnExamPapers(QStringList* faults) {
  std::vector<const TPaper*> own;
  const QDir folder(OwnPapersFolder());
  for (const QString& file :
       folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
    const QString key = file.chopped(5);
    if (FindExamGrade(key) != nullptr) {
      if (faults)
        *faults << QStringLiteral(
                       "%1: 「%2」は付属の用紙の名前です。ファイルの名前を変えてください")
                       .arg(QDir::toNativeSeparators(folder.filePath(file)), key);
      continue;
    }
    try {
      own.push_back(&ExamPaperFromFile(folder.filePath(file)));
    } catch (const Error& e) {
      if (faults) *faults << QString::fromUtf8(e.what());
    }
  }
  return own;
}

const TPaper& ExamPaperFromFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  Registry& r = Read();
  {
    const std::lock_guard lock(r.guard);
    if (const auto it = r.byPath.find(absolute); it != r.byPath.end()) return *it->second;
  }
  // The key names its pages' files: the document's file name without .json.
  TExamGrade grade = GradeOfFile(path, QFileInfo(path).completeBaseName());
  const std::lock_guard lock(r.guard);
  const TPaper& paper = r.Add(std::move(grade));
  r.byPath[absolute] = &paper;
  return paper;
}

std::vector<const TPaper*> ExamPapers() {
  static const std::vector<const TPaper*> shipped = [] {
    std::vector<const TPaper*> list;
    for (const TExamGrade& grade : ExamGrades()) list.push_back(&ExamPaperOf(grade));
    return list;
  }();
  std::vector<const TPaper*> papers = shipped;
  for (const TPaper* own : OwnExamPapers()) papers.push_back(own);
  return papers;
}

std::vector<const TExamGrade*> AllExamGrades() {
  std::vector<const TExamGrade*> grades;
  for (const TExamGrade& grade : ExamGrades()) grades.push_back(&grade);
  const std::vector<const TPaper*> own = OwnExamPapers();
  Registry& r = Read();
  const std::lock_guard lock(r.guard);
  for (const TPaper* paper : own) {
    for (std::size_t i = 0; i < r.papers.size(); ++i) {
      if (&r.papers[i] == paper) grades.push_back(&r.grades[i]);
    }
  }
  return grades;
}

const TPaper& ExamPaperOf(const TExamGrade& grade) {
  static const std::vector<TPaper> papers = [] {
    std::vector<TPaper> made;
    for (const TExamGrade& g : ExamGrades()) made.push_back(ExamPaper(g));
    return made;
  }();
  if (grade.shipped) return papers.at(static_cast<std::size_t>(&grade - ExamGrades().data()));
  Registry& r = Read();
  const std::lock_guard lock(r.guard);
  for (const TPaper& paper : r.papers) {
    if (paper.key == grade.key) return paper;
  }
  return r.Add(grade);
}

const TPaper* ExamPaperNamed(const QString& key) {
  if (const TExamGrade* grade = FindExamGrade(key)) return &ExamPaperOf(*grade);
  for (const TPaper* paper : OwnExamPapers()) {
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
  return ExamPaperNamed(key);
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
