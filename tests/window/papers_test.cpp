// The list of kinds drives the window, the print order, the JSON and the draw order: a kind
// added to it shows up everywhere without further wiring.
#include <QCheckBox>
#include <QTimer>
#include <algorithm>
#include <set>
#include <tuple>

#include "app/papers.h"
#include "app/workbook.h"
#include "core/random.h"
#include "tests/support/own_paper.h"
#include "tests/support/recording_print_target.h"
#include "tests/window/app_fixture.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

// A paper added in test code only: the window builds its tab, check box and print choices,
// makes and prints its sheets, puts its answers on its answer page as printed, and each
// paper keeps its ticks across switches (in the settings too).
TEST_F(AppTest, AnOwnPaperBuildsItsControlsAndEachPaperKeepsItsTicks) {
  const ScopedQuizPaper quiz;
  CreateWindows();
  Child<QCheckBox>(form, "SheetBox4")->setChecked(false);
  Child<QCheckBox>(form, "SheetBox5")->setChecked(true);
  form->UsePaper(QuizPaper());
  ASSERT_EQ(form->PreviewTabs->count(), 2);
  EXPECT_EQ(form->PreviewTabs->tabText(0), QStringLiteral("小数"));
  EXPECT_EQ(form->PreviewTabs->tabText(1), QStringLiteral("解答"));
  EXPECT_EQ(form->findChild<QCheckBox*>(QStringLiteral("SheetBox5")), nullptr);
  EXPECT_EQ(Child<QCheckBox>(form, "SheetBox1")->text(), QStringLiteral("小数"));
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox1")->isChecked());
  EXPECT_EQ(Child<QCheckBox>(Form4, "SheetBox2")->text(), QStringLiteral("解答"));
  EXPECT_EQ(Form4->findChildren<QCheckBox*>().size(), 2);

  form->calls.clear();
  form->MakeButton->Click();
  EXPECT_EQ(Operations(), QStringList({"Make quiz", "Make quizkaitou"}));
  EXPECT_FALSE(Child<TImage>(form, "Preview1")->Picture().isNull());
  test::RecordingPrintTarget answers;
  form->Workbook()->PrintSheet({-1, 0}, answers);
  QStringList printed;
  for (const auto& op : answers.jobs.back().page->OfKind(RecordingCanvas::Kind::TextOut)) {
    if (op.fontName == kCarriedFace) printed << op.text;
  }
  ASSERT_EQ(printed.size(), 3);
  EXPECT_EQ(printed.mid(0, 2), QStringList({"68.551", QString::fromUtf8("-¥1,234")}));
  EXPECT_NE(answers.jobs.back().page->FindText(QStringLiteral("小  数")), nullptr) << "heading";

  form->calls.clear();
  boxes.answers = {IDYES};
  PrintAnswering([] { Form4->OkButton->click(); });
  EXPECT_EQ(Operations(), QStringList({"Print quiz", "Print quizkaitou"}));

  Child<QCheckBox>(form, "SheetBox1")->setChecked(false);
  form->UsePaper(DefaultPaper());
  EXPECT_EQ(form->PreviewTabs->count(),
            static_cast<int>(SheetsWithAnswerTable(DefaultPaper()).size()));
  EXPECT_EQ(form->PreviewTabs->currentWidget(), Child<QWidget>(form, "SheetTab3"));
  EXPECT_FALSE(Child<QCheckBox>(form, "SheetBox4")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox5")->isChecked());
  form->SaveSettings();
  const auto settings = OpenSettings();
  EXPECT_FALSE(settings->value(QStringLiteral("window/quiz-paper/sheets/quiz")).toBool());
  EXPECT_TRUE(settings->value(QStringLiteral("window/sheets/wari")).toBool());
  form->UsePaper(QuizPaper());
  EXPECT_FALSE(Child<QCheckBox>(form, "SheetBox1")->isChecked());
}

// Each sheet alone: its boxes are offered, ケリモ draws its own tab and the answer table and
// offers to print its kind's sheets and the answer table only; 印刷 prints them.
TEST_F(AppTest, EverySheetOfTheListIsMadeAndPrintedFromItsOwnBoxes) {
  CreateWindows();
  for (const SheetInfo& sheet : ProblemSheets()) {
    SCOPED_TRACE(sheet.key.toStdString());
    for (const SheetInfo& other : ProblemSheets()) {
      QCheckBox* box = form->SheetBox(other.key);
      ASSERT_TRUE(box->isEnabled());
      box->setChecked(other.key == sheet.key);
    }
    form->calls.clear();
    form->MakeButton->Click();
    // Every sheet of its kind is drawn again: both sides of the abacus set, ticked or not.
    QStringList printed;
    for (const KindEntry& entry : DefaultPaper().kinds) {
      const auto kind = entry.make();
      const auto& sheets = kind->Sheets();
      if (std::none_of(sheets.begin(), sheets.end(),
                       [&](const SheetInfo& s) { return s.key == sheet.key; })) {
        continue;
      }
      for (const SheetInfo& same : sheets) {
        EXPECT_TRUE(Operations().contains(QStringLiteral("Make ") + same.key))
            << same.key.toStdString();
        printed << QStringLiteral("Print ") + same.key;
      }
    }
    for (const SheetInfo& other : ProblemSheets()) {
      QCheckBox* printBox = BoxOf(Form4->Boxes(), other.key);
      const bool offered = printed.contains(QStringLiteral("Print ") + other.key);
      EXPECT_EQ(printBox->isEnabled(), offered) << other.key.toStdString();
      EXPECT_EQ(printBox->isChecked(), offered) << other.key.toStdString();
    }
    EXPECT_EQ(Operations().last(), QStringLiteral("Make kaitou"));
    EXPECT_FALSE(form->Preview(sheet.key)->Picture().isNull());

    form->calls.clear();
    boxes.answers = {IDYES};
    PrintAnswering([] { Form4->OkButton->click(); });
    EXPECT_EQ(Operations(), printed + QStringList({"Print kaitou"}));
  }
}

// Every answer of every kind reaches the answer table once, in the rows of its run as laid
// out, and no two runs share a cell.
TEST(KindList, EveryKindsAnswersFillTheirRowsOfTheTable) {
  const TDefaultSheetTexts texts;
  SetRandomSeed(77u);
  TWorkbook book(&texts);
  book.MakeProblems(EverySheet(), {});
  std::set<std::tuple<int, int, int>> cells;
  for (int k = 0; k < book.KindCount(); ++k) {
    const TProblemKind& kind = book.Kind(k);
    std::vector<int> placed(static_cast<std::size_t>(kind.AnswerCount()));
    bool nonZero = false;
    for (int p = 0; p < book.AnswerPageCount(); ++p) {
      const TAnswerPage& page = book.AnswerPage(p);
      for (const AnswerRun& run : page.Runs()) {
        if (run.kind != k) continue;
        for (int i = 0; i < run.count; ++i) {
          const int row = run.firstRow + i;
          EXPECT_TRUE(cells.insert({p, run.column, row}).second) << run.column << ", " << row;
          ASSERT_TRUE(page.At(run.column, row).has_value());
          EXPECT_EQ(*page.At(run.column, row), kind.Answer(run.firstAnswer + i));
          ++placed.at(static_cast<std::size_t>(run.firstAnswer + i));
          nonZero = nonZero || kind.Answer(run.firstAnswer + i) != TAnswer::Whole(0);
        }
      }
    }
    EXPECT_EQ(std::count(placed.begin(), placed.end(), 1), kind.AnswerCount()) << "kind " << k;
    EXPECT_TRUE(nonZero) << "kind " << k;
  }
}

// A kind's problems depend only on the kinds before it in the list: ticking one further on
// never changes them. The JSON carries each kind's part in the list's order.
TEST(KindList, TickingALaterKindChangesNoProblemOfTheEarlierOnes) {
  const TDefaultSheetTexts texts;
  const auto partsOf = [&](const SheetChoice& choice) {
    SetRandomSeed(20261207u);
    TWorkbook book(&texts);
    book.MakeProblems(choice, {});
    std::vector<QByteArray> parts;
    for (int k = 0; k < book.KindCount(); ++k) parts.push_back(book.Kind(k).Json());
    EXPECT_TRUE(book.JsonLine(20261207u).startsWith("{\"seed\": 20261207, " + parts[0]));
    return parts;
  };
  const std::vector<QByteArray> every = partsOf(EverySheet());
  SheetChoice upTo{kAnswerSheet.key};
  const std::vector<KindEntry>& kinds = DefaultPaper().kinds;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const auto kind = kinds[k].make();
    for (const SheetInfo& sheet : kind->Sheets()) upTo.insert(sheet.key);
    const std::vector<QByteArray> parts = partsOf(upTo);
    for (std::size_t earlier = 0; earlier <= k; ++earlier) {
      EXPECT_EQ(parts[earlier], every[earlier]) << "kind " << earlier << " with kinds 0.." << k;
    }
  }
}

}  // namespace
}  // namespace tamariko::testing
