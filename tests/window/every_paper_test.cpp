// Every paper the program has, and the contest paper with a kind added as the README says:
// each sheet has a tab, a preview, its boxes and its place in the print run, each answer a
// cell of an answer page; a paper built wrong is refused when it is laid out.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <set>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "core/random.h"
#include "tests/support/own_paper.h"
#include "tests/window/app_fixture.h"

namespace tamariko::testing {
namespace {

// The program's papers, a paper of the tests' own and the contest paper with a kind added.
std::vector<const TPaper*> EveryPaper() {
  static const TPaper* const contest = &DefaultPaper();  // before any test stands in for it
  std::vector<const TPaper*> papers = {contest};
  const std::vector<const TPaper*> exams = ExamPapers();
  papers.insert(papers.end(), exams.begin(), exams.end());
  papers.push_back(&QuizPaper());
  papers.push_back(&ScopedQuizOnContest::Paper());
  return papers;
}

// Each answer of each kind in one cell of one answer page, no cell twice: read from the
// laid-out runs and the kinds themselves, not from how the layout was computed.
void ExpectEveryAnswerPlacedOnce(const TPaper& paper) {
  const TPaperLayout& layout = LayoutOf(paper);
  std::set<std::tuple<std::size_t, int, int>> cells;
  for (std::size_t k = 0; k < paper.kinds.size(); ++k) {
    const auto kind = paper.kinds[k].make();
    std::vector<int> placed(static_cast<std::size_t>(kind->AnswerCount()));
    for (std::size_t p = 0; p < layout.answerSheets.size(); ++p) {
      const AnswerPageEntry& entry = paper.answerPages[layout.answerSheets[p].entry];
      for (const AnswerRun& run : layout.answerSheets[p].runs) {
        if (run.kind != static_cast<int>(k)) continue;
        EXPECT_GE(run.column, 0);
        EXPECT_LT(run.column, entry.columns);
        EXPECT_LE(run.firstRow + run.count, entry.rows) << run.key.toStdString();
        for (int i = 0; i < run.count; ++i) {
          EXPECT_TRUE(cells.insert({p, run.column, run.firstRow + i}).second)
              << run.key.toStdString() << " row " << run.firstRow + i;
          ++placed.at(static_cast<std::size_t>(run.firstAnswer + i));
        }
      }
    }
    EXPECT_EQ(std::count(placed.begin(), placed.end(), 1), kind->AnswerCount())
        << kind->Sheets().front().key.toStdString();
  }
}

TEST(EveryPaper, IsLaidOutWithUniqueKeysAndEveryAnswerInACell) {
  for (const TPaper* paper : EveryPaper()) {
    SCOPED_TRACE(paper->key.toStdString());
    ASSERT_NO_THROW(LayoutOf(*paper));
    const std::vector<SheetInfo> sheets = SheetsWithAnswerTable(*paper);
    std::set<QString> keys;
    for (const SheetInfo& sheet : sheets) {
      EXPECT_TRUE(keys.insert(sheet.key).second) << sheet.key.toStdString();
      EXPECT_FALSE(sheet.Label().isEmpty());
    }
    // The answer pages come after every problem sheet.
    EXPECT_EQ(sheets.size(), ProblemSheets(*paper).size() + LayoutOf(*paper).answerSheets.size());
    ExpectEveryAnswerPlacedOnce(*paper);
  }
}

// The contest's answer table is full: a kind added to the paper gets a page of its own,
// ticked with the table, and the kinds before it keep their historic places.
TEST(EveryPaper, AKindAddedToTheContestPaperGoesOnAnAnswerPageAfterTheTable) {
  const TPaperLayout& contest = LayoutOf(DefaultPaper());
  const TPaperLayout& added = LayoutOf(ScopedQuizOnContest::Paper());
  const auto onPage = std::find_if(
      added.answerSheets.begin() + 1, added.answerSheets.end(), [](const AnswerSheet& page) {
        return std::any_of(page.runs.begin(), page.runs.end(),
                           [](const AnswerRun& run) { return run.key == QStringLiteral("quiz"); });
      });
  ASSERT_NE(onPage, added.answerSheets.end()) << "on a page after the table";
  EXPECT_TRUE(onPage->sheet.key.startsWith(QStringLiteral("kaitou")));
  EXPECT_EQ(onPage->sheet.tickedWith, QStringLiteral("kaitou"));
  for (std::size_t r = 0; r < contest.answerSheets[0].runs.size(); ++r) {
    const AnswerRun& was = contest.answerSheets[0].runs[r];
    const AnswerRun& is = added.answerSheets[0].runs[r];
    EXPECT_EQ(std::tie(was.key, was.column, was.firstRow),
              std::tie(is.key, is.column, is.firstRow));
  }
  // On a table of its own the kind takes the first free cells.
  const AnswerRun& quiz = LayoutOf(QuizPaper()).answerSheets.at(0).runs.at(0);
  EXPECT_EQ(quiz.column, 0);
  EXPECT_EQ(quiz.firstRow, 0);
}

// A kind of `answers` answers in runs of `runs` counts (from answer 0 on), of one sheet.
class ShapedKind : public TQuizKind {
 public:
  ShapedKind(QString key, std::vector<AnswerRun> runs, int answers)
      : sheets_{{std::move(key), QStringLiteral("形"), {}}},
        runs_(std::move(runs)),
        answers_(answers) {}
  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  std::vector<AnswerRun> AnswerRuns() const override { return runs_; }
  int AnswerCount() const override { return answers_; }

 private:
  std::vector<SheetInfo> sheets_;
  std::vector<AnswerRun> runs_;
  int answers_;
};

KindEntry Shaped(const QString& key, std::vector<AnswerRun> runs, int answers) {
  return {[=] { return std::make_unique<ShapedKind>(key, runs, answers); }};
}

TEST(EveryPaper, APaperBuiltWrongIsRefusedNamingTheFault) {
  const AnswerPageEntry table = QuizPaper().answerPages.front();
  AnswerPageEntry placed = table;
  placed.places = {{QStringLiteral("a"), 2, 50}};
  AnswerPageEntry fixed = table;
  fixed.takesOthers = false;
  const struct {
    const char* fault;
    TPaper paper;
    const char* said;
  } cases[] = {
      {"two sheets, one key",
       {"p", "p", {Shaped("a", {{"A", 0, 3}}, 3), Shaped("a", {{"B", 0, 3}}, 3)}, {table}, {}},
       "二つ"},
      {"an answer left out", {"p", "p", {Shaped("a", {{"A", 0, 2}}, 3)}, {table}, {}}, "0 回"},
      {"an answer twice",
       {"p", "p", {Shaped("a", {{"A", 0, 3}, {"B", 2, 1}}, 3)}, {table}, {}},
       "2 回"},
      {"a run longer than the page",
       {"p", "p", {Shaped("a", {{"A", 0, 61}}, 61)}, {table}, {}},
       "収まりません"},
      {"a place off the page",
       {"p", "p", {Shaped("a", {{"A", 0, 20}}, 20)}, {placed}, {}},
       "はみ出す"},
      {"no page takes a run",
       {"p", "p", {Shaped("a", {{"A", 0, 3}}, 3)}, {fixed}, {}},
       "解答欄がありません"},
      {"an answer page ordered among the problems",
       {"p", "p", {Shaped("a", {{"A", 0, 3}}, 3)}, {table}, {}, {}, {"quizkaitou", "a"}},
       "問題の用紙にありません"},
      {"a first tick of no sheet",
       {"p", "p", {Shaped("a", {{"A", 0, 3}}, 3)}, {table}, {"b"}},
       "「b」"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    try {
      LayOutPaper(c.paper);
      ADD_FAILURE() << "built";
    } catch (const Error& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(c.said))) << e.what();
    }
  }
}

// The window over every paper: each sheet has its tab and preview, each problem sheet its
// box whole inside the panel, each sheet with a box of its own its print choice; ケリモ with
// every box ticked draws every preview, and the print run prints every sheet once, in the
// order of the tabs.
TEST_F(AppTest, EveryPaperGivesEachSheetItsTabPreviewBoxesAndPrint) {
  const std::vector<const TPaper*> papers = EveryPaper();
  const ScopedQuizOnContest quizOnContest;
  CreateWindows();
  for (const TPaper* paper : papers) {
    SCOPED_TRACE(paper->key.toStdString());
    form->UsePaper(*paper);
    const std::vector<SheetInfo> sheets = SheetsWithAnswerTable(*paper);
    ASSERT_EQ(form->PreviewTabs->count(), static_cast<int>(sheets.size()));
    QStringList every;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      const SheetInfo& sheet = sheets[i];
      EXPECT_EQ(form->PreviewTabs->tabText(static_cast<int>(i)), sheet.Label());
      EXPECT_NE(form->Preview(sheet.key), nullptr) << sheet.key.toStdString();
      if (i < ProblemSheets(*paper).size()) {
        QCheckBox* box = form->SheetBox(sheet.key);
        ASSERT_NE(box, nullptr) << sheet.key.toStdString();
        EXPECT_TRUE(form->SheetPanel->rect().contains(box->geometry())) << sheet.key.toStdString();
        box->setChecked(true);
      }
      // A page that goes with another sheet is made and printed with it (the window's
      // recording folds it into that sheet's operation).
      if (sheet.tickedWith.isEmpty()) {
        ASSERT_NE(BoxOf(Form4->Boxes(), sheet.key), nullptr) << sheet.key.toStdString();
        every << QStringLiteral("Print ") + sheet.key;
      }
    }
    form->calls.clear();
    form->MakeButton->Click();
    for (const SheetInfo& sheet : sheets) {
      if (sheet.tickedWith.isEmpty()) {
        EXPECT_TRUE(Operations().contains(QStringLiteral("Make ") + sheet.key))
            << sheet.key.toStdString();
      } else {
        EXPECT_FALSE(form->Preview(sheet.key)->Picture().isNull()) << sheet.key.toStdString();
      }
    }
    form->calls.clear();
    boxes.answers = {IDYES};
    PrintAnswering([] { Form4->OkButton->click(); });
    EXPECT_EQ(Operations(), every);
    QStringList printed;
    form->Workbook()->PrintRun(
        EverySheet(*paper), [&](SheetRef sheet) { printed << form->Workbook()->Info(sheet).key; });
    EXPECT_EQ(printed.size(), static_cast<qsizetype>(sheets.size()));
  }
}

}  // namespace
}  // namespace tamariko::testing
