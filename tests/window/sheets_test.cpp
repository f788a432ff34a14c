#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/workbook.h"
#include "core/random.h"
#include "kaitou/kaitou.h"
#include "kake/kake.h"
#include "mitori1_1/mitori1_1.h"
#include "platform/cups_spooler.h"
#include "tests/support/small_disk.h"
#include "tests/window/app_fixture.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

// The main window with its real sheets: drawn, printed, answers handed to the table.
class SheetsTest : public AppTest {
 protected:
  void CreateWindowsWithRealSheets() {
    CreateForms([this] {
      window = new TForm1;
      return window;
    });
  }

  void PrintEverything() {
    boxes.answers = {IDYES};
    QTimer::singleShot(0, Form4, [] { Form4->OkButton->click(); });
    window->PrintButton->Click();
  }

  // Makes the sheets and prints them all on the built-in PDF printer into the folder.
  std::shared_ptr<CupsSpooler> PrintEverythingToThePdfPrinter(const QString& folder) {
    auto pdf = std::make_shared<CupsSpooler>();
    pdf->SetPdfOutputFolder(folder);
    UsePrinters(pdf);
    QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
    CreateWindowsWithRealSheets();
    window->MakeButton->Click();
    PrintEverything();
    return pdf;
  }

  TForm1* window = nullptr;
};

// The scale is asked of the printer before a preview is touched or a problem drawn.
TEST_F(SheetsTest, WithoutAPrinterMakeProblemsLeavesThePreviewsAndProblemsAsTheyWere) {
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  const QImage mental = Child<TImage>(window, "Preview3")->Picture();
  const QImage multiplication = Child<TImage>(window, "Preview4")->Picture();
  const std::int32_t number = MentalOf(window).GetNumber(TMitori1_1::FirstIndex(18));
  const std::int64_t multiplicand = MultiplicationOf(window).GetMultiplicand(44);
  UsePrinters(std::make_shared<ScriptedSpooler>());
  window->MakeButton->Click();
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_EQ(boxes.shown.back().text, QStringLiteral("TQxPrinter.CheckNoPrinter: No Printer"));
  EXPECT_EQ(Child<TImage>(window, "Preview3")->Picture(), mental);
  EXPECT_EQ(Child<TImage>(window, "Preview4")->Picture(), multiplication);
  EXPECT_EQ(MentalOf(window).GetNumber(TMitori1_1::FirstIndex(18)), number);
  EXPECT_EQ(MultiplicationOf(window).GetMultiplicand(44), multiplicand);
}

// The window started with --seed makes at its first ケリモ the sets the batch mode makes
// from that seed, which generates them without drawing.
TEST_F(SheetsTest, AChosenSeedGivesTheBatchModesSets) {
  Startup().Seed = 3141592653u;
  CreateWindowsWithRealSheets();
  Child<QCheckBox>(window, "SheetBox3")
      ->setChecked(false);  // multiplication only, as --sheets kake
  window->MakeButton->Click();
  SetRandomSeed(3141592653u);
  const TDefaultSheetTexts texts;
  TWorkbook batch(&texts);
  batch.MakeProblems({QStringLiteral("kake")}, {});
  for (int i = 0; i < Tkake::kProblemCount; ++i) {
    ASSERT_EQ(MultiplicationOf(window).GetMultiplicand(i),
              MultiplicationOf(batch).GetMultiplicand(i))
        << i;
    ASSERT_EQ(MultiplicationOf(window).GetMultiplier(i), MultiplicationOf(batch).GetMultiplier(i))
        << i;
  }
}

TEST_F(SheetsTest, MakeProblemsFillsTheTableAndDrawsEveryTab) {
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  // The columns' contents: KindList.EveryKindsAnswersFillItsColumnOfTheTable.
  EXPECT_NE(*AnswersOf(window).At(0, 59), TAnswer::Whole(0));
  for (TImage* preview :
       {window->Preview(QStringLiteral("mitori")), window->Preview(QStringLiteral("kake")),
        window->Preview(QStringLiteral("kaitou"))}) {
    EXPECT_EQ(preview->Picture().size(), QSize(865, 1300)) << preview->objectName().toStdString();
  }
  EXPECT_TRUE(Child<TImage>(window, "Preview1")
                  ->Picture()
                  .isNull());  // the tabs without a sheet stay blank
}

TEST_F(SheetsTest, AnUntickedSheetLeavesNoAnswersInTheTable) {
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  EXPECT_TRUE(AnswersOf(window).At(2, 0).has_value()) << "mental sums";
  const TAnswer product = *AnswersOf(window).At(0, 59);
  Child<QCheckBox>(window, "SheetBox3")->setChecked(false);
  window->MakeButton->Click();
  EXPECT_FALSE(AnswersOf(window).At(2, 0).has_value()) << "mental sums";
  EXPECT_FALSE(AnswersOf(window).At(1, 0).has_value()) << "quotients";
  EXPECT_TRUE(AnswersOf(window).At(0, 0).has_value()) << "products";
  EXPECT_NE(*AnswersOf(window).At(0, 59), product);
}

TEST_F(SheetsTest, PrintSendsTheThreeSheetsAsThreeJobsInOrder) {
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  PrintEverything();
  QStringList titles;
  for (const auto& job : spooler->Jobs()) {
    titles << job.title;
    EXPECT_TRUE(job.ended);
  }
  QStringList expected = {"みとり暗算１", "かけ算"};
  for (const AnswerSheet& page : LayoutOf(DefaultPaper()).answerSheets) {
    expected << page.sheet.jobTitle;
  }
  EXPECT_EQ(titles, expected);
  EXPECT_TRUE(window->MakeButton->isEnabled());
}

TEST_F(SheetsTest, PrintingToThePdfPrinterSaysWhereTheFilesWent) {
  QTemporaryDir folder;
  auto pdf = PrintEverythingToThePdfPrinter(folder.path());
  ASSERT_EQ(pdf->PdfFilesWritten().size(), 3 + PagesTickedWithOthers());
  ASSERT_FALSE(boxes.shown.empty());
  const QString told = boxes.shown.back().text;
  for (const QString& file : pdf->PdfFilesWritten()) {
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(told.contains(file)) << told.toStdString();
  }
}

// A print command that fails part-way still names the files it saved.
TEST_F(SheetsTest, PdfPrinterFailurePartWayShowsTheReasonAndTheSavedFiles) {
  QTemporaryDir roomy;
  auto pdf = PrintEverythingToThePdfPrinter(roomy.path());
  const qsizetype written = 3 + PagesTickedWithOthers();  // a file a sheet
  ASSERT_EQ(pdf->PdfFilesWritten().size(), written);
  const qint64 first = test::PagesFor(QFileInfo(pdf->PdfFilesWritten().at(0)).size());

  test::SmallDisk disk(1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  pdf->SetPdfOutputFolder(disk.FilePath(QStringLiteral("pdf")));
  ASSERT_TRUE(QDir().mkdir(disk.FilePath(QStringLiteral("pdf"))));
  ASSERT_TRUE(disk.LeaveFree(first + test::SmallDisk::kPage));
  boxes.shown.clear();
  PrintEverything();
  ASSERT_EQ(pdf->PdfFilesWritten().size(), written + 1);
  ASSERT_FALSE(boxes.shown.empty());
  const QString told = boxes.shown.back().text;
  EXPECT_TRUE(told.contains(QStringLiteral("ディスクの空きが足りません"))) << told.toStdString();
  EXPECT_TRUE(told.contains(pdf->PdfFilesWritten().back())) << told.toStdString();
  EXPECT_EQ(test::AllEntries(disk.FilePath(QStringLiteral("pdf"))).size(), 1);
}

}  // namespace
}  // namespace tamariko::testing
