#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>

#include "app/versions.h"
#include "platform/cups_spooler.h"
#include "tests/support/pdf_support.h"
#include "tests/window/app_fixture.h"

namespace tamariko::testing {
namespace {

TEST(VersionsTest, LabelsNumbersAndTheRunsOrder) {
  // Ａ to Ｚ in full-width letters, then numbers: a class of 40 gets 40 marks.
  EXPECT_EQ(VersionLabel(0), QStringLiteral("Ａ版"));
  EXPECT_EQ(VersionLabel(25), QStringLiteral("Ｚ版"));
  EXPECT_EQ(VersionLabel(26), QStringLiteral("27版"));
  EXPECT_EQ(PaperMark(20261207u, 1), QStringLiteral("問題番号 20261207　Ｂ版"));
  EXPECT_EQ(VersionsFileStem(*ExamPaperNamed(QStringLiteral("shuzan-4")), 6),
            QStringLiteral("珠算検定練習4級_A-F"));
  EXPECT_EQ(VersionsFileStem(DefaultPaper(), 40), QStringLiteral("大会問題_A-40"));
  // A shared paper printing every grade's mark is named as its title.
  EXPECT_EQ(VersionsFileStem(*ExamPaperNamed(QStringLiteral("anzan-8")), 2),
            QStringLiteral("暗算検定練習10級〜7級_A-B"));
  // Full-width digits are digits; past 32 bits or not digits is no number.
  EXPECT_EQ(ReadPaperNumber(QStringLiteral("４２")), 42u);
  EXPECT_EQ(ReadPaperNumber(QStringLiteral("4294967295")), 4294967295u);
  EXPECT_EQ(ReadPaperNumber(QStringLiteral("4294967296")), std::nullopt);
  EXPECT_EQ(ReadPaperNumber(QStringLiteral("-1")), std::nullopt);
  // Every version's problems, then every version's answers.
  const SheetRef mental{0, 0}, table{-1, 0};
  std::vector<std::pair<int, bool>> order;
  for (const VersionPage& page : VersionOrder({mental, table}, 3)) {
    order.emplace_back(page.version, page.sheet.IsAnswerTable());
  }
  EXPECT_EQ(order, (std::vector<std::pair<int, bool>>{
                       {0, false}, {1, false}, {2, false}, {0, true}, {1, true}, {2, true}}));
  // On both sides each version's problems share sheets, and so do its answers.
  const std::vector<VersionPage> two = VersionOrder({mental, {1, 0}, table}, 2);
  std::vector<QString> jobs;
  for (std::size_t i = 0; i < two.size(); ++i) {
    if (StartsJob(two, i)) jobs.push_back(JobTitle(DefaultPaper(), two[i], 2));
  }
  EXPECT_EQ(jobs, (std::vector<QString>{"大会問題（Ａ版）", "大会問題（Ｂ版）",
                                        "大会問題 解答（Ａ版）", "大会問題 解答（Ｂ版）"}));
}

class VersionsWindowTest : public AppTest {
 protected:
  void CreateWindowsWithRealSheets() {
    CreateForms([this] {
      window = new TForm1;
      return window;
    });
  }
  void Print(int versions) {
    Form4->SetVersions(versions);
    boxes.answers = {IDYES};
    QTimer::singleShot(0, Form4, [] { Form4->OkButton->click(); });
    window->PrintButton->Click();
  }
  TForm1* window = nullptr;
};

// A typed number makes that paper again, the batch's paper of that seed; ケリモ alone takes
// a fresh one, not the next (the next is version B).
TEST_F(VersionsWindowTest, ATypedNumberMakesThePaperAgainAndEachKerimoAFreshOne) {
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  const std::uint32_t first = *window->PaperNumber();
  EXPECT_EQ(window->NumberBox->text(), QString::number(first));
  EXPECT_EQ(window->MadeSheetsLabel->text(), QStringLiteral("みとり暗算・かけ算"));
  const std::int64_t multiplicand = MultiplicationOf(window).GetMultiplicand(59);
  window->MakeButton->Click();
  const std::uint32_t second = *window->PaperNumber();
  EXPECT_NE(second, first);
  EXPECT_NE(second, first + 1);
  TypePaperNumber(window, first);
  window->MakeButton->Click();
  EXPECT_EQ(*window->PaperNumber(), first);
  EXPECT_EQ(MultiplicationOf(window).GetMultiplicand(59), multiplicand);
  const TDefaultSheetTexts texts;
  const auto batch =
      MakePaper(&texts, DefaultPaper(), first, {QStringLiteral("mitori"), QStringLiteral("kake")});
  EXPECT_EQ(window->Workbook()->JsonLine(first), batch->JsonLine(first));
  // Not a number: said, and the paper on screen stays.
  window->NumberBox->selectAll();
  window->NumberBox->insert(QStringLiteral("9999999999"));
  window->MakeButton->Click();
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_EQ(boxes.shown.back().caption, QStringLiteral("問題番号"));
  EXPECT_EQ(*window->PaperNumber(), first);
}

// Two versions to the PDF printer: one file, named after the paper and versions, every
// version's problems then every version's answers, each page marked with its number and
// version, each answer page holding its own version's answers; version A is the preview.
TEST_F(VersionsWindowTest, TwoVersionsGoToOnePdfInOrderEachWithItsMarkAndAnswers) {
  QTemporaryDir folder;
  auto pdf = std::make_shared<CupsSpooler>();
  pdf->SetPdfOutputFolder(folder.path());
  UsePrinters(pdf);
  QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  const std::uint32_t n = *window->PaperNumber();
  Print(2);
  ASSERT_EQ(pdf->PdfFilesWritten().size(), 1);
  const QString file = pdf->PdfFilesWritten().front();
  EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("大会問題_A-B.pdf"));
  EXPECT_TRUE(boxes.shown.back().text.contains(file)) << boxes.shown.back().text.toStdString();
  // The question said so: one file, not a file a sheet.
  EXPECT_TRUE(std::any_of(boxes.shown.begin(), boxes.shown.end(), [](const ShownMessage& m) {
    return m.text.endsWith(QStringLiteral("（1つのPDFファイル（大会問題_A-B.pdf）に保存）"));
  }));
  const QStringList pages = test::PdfPageTexts(file);
  if (pages.isEmpty()) GTEST_SKIP() << "pdftotext missing";
  // mitori, kake of A and B, then the answer table of A and B (each with the pages that go
  // with it, where a kind added to the paper fills it).
  const int answerPages = 1 + PagesTickedWithOthers();
  ASSERT_EQ(pages.size(), 4 + 2 * answerPages);
  const TDefaultSheetTexts texts;
  const SheetChoice made{QStringLiteral("mitori"), QStringLiteral("kake")};
  for (int p = 0; p < pages.size(); ++p) {
    SCOPED_TRACE(p);
    const int v = p < 4 ? p / 2 : (p - 4) / answerPages;
    const QString page = QString(pages[p]).simplified();
    EXPECT_TRUE(page.contains(PaperMark(n + static_cast<std::uint32_t>(v), v).simplified()))
        << page.right(200).toStdString();
    if (p < 4 || (p - 4) % answerPages != 0) continue;
    const auto version = MakePaper(&texts, DefaultPaper(), n + static_cast<std::uint32_t>(v), made);
    const auto other =
        MakePaper(&texts, DefaultPaper(), n + static_cast<std::uint32_t>(1 - v), made);
    if (v == 0) {
      EXPECT_EQ(version->JsonLine(n), window->Workbook()->JsonLine(n)) << "A is the preview";
    }
    int own = 0, others = 0;
    for (int row = 50; row < 60; ++row) {
      own += page.contains(version->Answers().At(0, row)->Printed());
      others += page.contains(other->Answers().At(0, row)->Printed());
    }
    EXPECT_EQ(own, 10);
    EXPECT_LT(others, 3);
  }
  // Written again: a new name, never over the first.
  Print(2);
  ASSERT_EQ(pdf->PdfFilesWritten().size(), 2);
  EXPECT_EQ(QFileInfo(pdf->PdfFilesWritten().back()).fileName(),
            QStringLiteral("大会問題_A-B (2).pdf"));
  // 版数 is remembered.
  DestroyForms();
  CreateWindowsWithRealSheets();
  EXPECT_EQ(Form4->Versions(), 2);
}

// A printer failing part-way: the report says which versions' sheets went and which did
// not; sheets in a row that fared alike share a line, so forty versions fit one box.
TEST_F(VersionsWindowTest, APartWayFailureSaysWhichVersionsAndSheetsWereSent) {
  // The sixth page is version Ｃ's かけ算.
  int sent = 0;
  spooler->sending = [&](const ScriptedSpooler::Job&) {
    if (++sent == 6) throw EOSError("紙詰まり (jam)");
  };
  CreateWindowsWithRealSheets();
  window->MakeButton->Click();
  Print(5);
  const int answerPages = 1 + PagesTickedWithOthers();
  EXPECT_EQ(spooler->Jobs().size(), 5u * (2 + answerPages));
  // The print queue tells the versions apart too.
  EXPECT_EQ(spooler->Jobs()[5].title, QStringLiteral("かけ算（Ｃ版）"));
  EXPECT_EQ(boxes.shown.back().caption, QStringLiteral("印刷の結果"));
  const QStringList told = boxes.shown.back().text.split(u'\n');
  EXPECT_TRUE(told.contains(
      QStringLiteral("　・みとり暗算１（Ａ版）からみとり暗算１（Ｃ版）まで5枚: 送りました")))
      << told.join(u'\n').toStdString();
  EXPECT_TRUE(told.contains(QStringLiteral("　・かけ算（Ｃ版）: 送れませんでした。紙詰まり")));
  EXPECT_TRUE(
      told.contains(QStringLiteral("　・みとり暗算１（Ｄ版）から%1（Ｅ版）まで%2枚: 送りました")
                        .arg(SheetsWithAnswerTable(DefaultPaper()).back().jobTitle)
                        .arg(4 + 5 * answerPages)))
      << told.join(u'\n').toStdString();
}

// 答えを表示 draws the answers on the answer page's preview and takes them off again; the
// contest's table starts blank, the exam's answer page too.
TEST_F(VersionsWindowTest, ShowAnswersDrawsThemOnTheAnswerPreviewOnly) {
  CreateWindowsWithRealSheets();
  for (const char* paper : {"", "shuzan-6"}) {
    SCOPED_TRACE(paper);
    if (*paper) window->UsePaper(*ExamPaperNamed(QString::fromLatin1(paper)));
    window->MakeButton->Click();
    const SheetInfo& sheet = window->Paper().answerPages.front().sheet;
    QCheckBox* box = window->AnswersBox(sheet.key);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    TImage* preview = window->Preview(sheet.key);
    ASSERT_NE(preview, nullptr);
    const QImage blank = preview->Picture();
    box->setChecked(true);
    const QImage shown = preview->Picture();
    EXPECT_GT(test::InkBox(shown).height(), 0);
    EXPECT_NE(shown, blank);
    box->setChecked(false);
    EXPECT_EQ(preview->Picture(), blank);
  }
}

}  // namespace
}  // namespace tamariko::testing
