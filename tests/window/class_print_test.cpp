// 名簿で印刷 to the PDF printer: one file a day's name, never over an earlier one, each pupil's
// pages with their name and own 問題番号, the overview between problems and answers.
#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/class_print.h"
#include "app/versions.h"
#include "platform/cups_spooler.h"
#include "tests/support/pdf_support.h"
#include "tests/window/app_fixture.h"

namespace tamariko::testing {
namespace {

class ClassPrintTest : public AppTest {};

Pupil PupilOf(const char* name, const char* kana, const char* paper) {
  Pupil pupil;
  pupil.name = QString::fromUtf8(name);
  pupil.kana = QString::fromUtf8(kana);
  pupil.paper = QString::fromUtf8(paper);
  return pupil;
}

TEST_F(ClassPrintTest, TheClassGoesToOneDatedPdfPupilByPupil) {
  QTemporaryDir folder;
  auto pdf = std::make_shared<CupsSpooler>();
  pdf->SetPdfOutputFolder(folder.path());
  UsePrinters(pdf);
  QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
  TForm1* window = nullptr;
  CreateForms([&] { return window = new TForm1; });
  window->NumberBox->setText(QStringLiteral("9000"));
  emit window->NumberBox->textEdited(window->NumberBox->text());
  PupilList list;
  list.pupils = {PupilOf("山田 花子", "やまだ はなこ", "shuzan-8"),
                 PupilOf("青木 太郎", "あおき たろう", "shuzan-10-9"),
                 PupilOf("伊藤 次郎", "いとう じろう", "shuzan-8"),
                 PupilOf("休み 三郎", "やすみ さぶろう", "shuzan-8")};
  list.pupils.back().ticked = false;
  boxes.answers = {IDYES};
  window->PrintClass(list);
  ASSERT_EQ(pdf->PdfFilesWritten().size(), 1);
  const QString stem = ClassFileStem(QDate::currentDate());
  EXPECT_EQ(QFileInfo(pdf->PdfFilesWritten().front()).fileName(), stem + QStringLiteral(".pdf"));
  EXPECT_EQ(boxes.shown.back().caption, QStringLiteral("印刷の結果"));
  const QStringList pages = test::PdfPageTexts(pdf->PdfFilesWritten().front());
  if (pages.isEmpty()) GTEST_SKIP() << "pdftotext missing";
  const QStringList names = {"青木 太郎", "伊藤 次郎", "山田 花子"};
  // Every page but the overview names one pupil, with that pupil's number; the problem
  // pages in order, the overview, then the answers in the same order.
  QList<int> problems, answers;
  int overviews = 0;
  for (const QString& page : pages) {
    const QString text = page.simplified();
    if (text.contains(QStringLiteral("一覧"))) {
      ++overviews;
      EXPECT_TRUE(answers.isEmpty());
      continue;
    }
    int who = -1;
    for (int k = 0; k < 3; ++k) {
      if (text.contains(names[k])) who = k;
    }
    ASSERT_GE(who, 0) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(PaperMark(9000 + static_cast<std::uint32_t>(who)).simplified()));
    (text.contains(QStringLiteral("解答")) ? answers : problems) << who;
  }
  EXPECT_EQ(overviews, 1);
  EXPECT_EQ(answers, (QList<int>{0, 1, 2}));
  EXPECT_TRUE(std::is_sorted(problems.begin(), problems.end()));
  EXPECT_EQ(problems.first(), 0);
  EXPECT_EQ(problems.last(), 2);
  // Again the same day: a new name beside the first.
  boxes.answers = {IDYES};
  window->PrintClass(list);
  ASSERT_EQ(pdf->PdfFilesWritten().size(), 2);
  EXPECT_EQ(QFileInfo(pdf->PdfFilesWritten().back()).fileName(), stem + QStringLiteral(" (2).pdf"));
}

}  // namespace
}  // namespace tamariko::testing
