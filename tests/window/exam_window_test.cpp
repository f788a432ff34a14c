// The paper choice of the main window: an exam grade builds its tabs and boxes, ケリモ makes
// the paper the batch mode makes from the same seed, and the choice outlives the window.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "core/random.h"
#include "kentei/exam_kind.h"
#include "tests/support/recording_print_target.h"
#include "tests/window/app_fixture.h"
#include "window/settings.h"

namespace tamariko::testing {
namespace {

// The JSON line the batch mode writes for `key` and `seed`.
QByteArray BatchLine(const QString& key, std::uint32_t seed, const QString& folder) {
  const QString file = folder + QStringLiteral("/") + key + QStringLiteral(".json");
  std::vector<std::string> args = {"tamariko",        "--batch",         "--exam",
                                   key.toStdString(), "--seed",          std::to_string(seed),
                                   "--json",          file.toStdString()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  EXPECT_EQ(RunBatch(static_cast<int>(args.size()), argv.data()), 0);
  QFile json(file);
  EXPECT_TRUE(json.open(QIODevice::ReadOnly));
  return json.readAll();
}

// The control Tab moves to from `from`.
QWidget* NextTabStop(QWidget* from) {
  for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(from->window())) {
      return w;
    }
  }
  return nullptr;
}

void Choose(TForm1* form, int paper, const QString& grade = {}) {
  form->PaperBox->setCurrentIndex(paper);
  form->PaperBoxChange();  // the grade box now holds that ladder's grades
  if (grade.isEmpty()) return;
  form->GradeBox->setCurrentIndex(form->GradeBox->findText(grade));
  form->PaperBoxChange();
}

QStringList GradeTexts(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
  return texts;
}

TEST_F(AppTest, AnExamGradeBuildsItsPagesMakesTheBatchsPaperAndIsRemembered) {
  CreateWindows();
  Child<QCheckBox>(form, "SheetBox5")->setChecked(true);  // a contest tick of the user's
  EXPECT_FALSE(form->GradeBox->isEnabled());

  Choose(form, 1, QStringLiteral("8級"));
  EXPECT_EQ(form->Paper().key, QStringLiteral("shuzan-8"));
  EXPECT_TRUE(form->GradeBox->isEnabled());
  ASSERT_EQ(form->PreviewTabs->count(), 2);
  EXPECT_EQ(form->PreviewTabs->tabText(0), QStringLiteral("問題"));
  EXPECT_EQ(form->PreviewTabs->tabText(1), QStringLiteral("解答"));
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox1")->isChecked());
  EXPECT_EQ(form->findChild<QCheckBox*>(QStringLiteral("SheetBox2")), nullptr);
  // Tab goes from the round box through the choice to the boxes.
  EXPECT_EQ(NextTabStop(form->RoundBox), form->PaperBox);
  EXPECT_EQ(NextTabStop(form->PaperBox), form->GradeBox);
  EXPECT_EQ(NextTabStop(form->GradeBox), Child<QCheckBox>(form, "SheetBox1"));

  const std::uint32_t seed = 4242;
  SetRandomSeed(seed);
  form->MakeButton->Click();
  EXPECT_FALSE(Child<TImage>(form, "Preview1")->Picture().isNull());
  // The answer page holds every answer of the paper, a subject a column.
  const auto& kind = static_cast<const TExamKind&>(form->Workbook()->Kind(0));
  const TAnswerPage& answers = AnswersOf(form);
  const QStringList division = kind.Paper().Answers(TExamSubject::Division);
  ASSERT_EQ(division.size(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(answers.At(2, i)->Printed(), division[i]);
  EXPECT_EQ(answers.At(0, 9)->Printed(), kind.Paper().Answers(TExamSubject::Abacus)[9]);

  // Every grade the window offers makes the batch's paper from the same seed.
  QTemporaryDir folder;
  ASSERT_EQ(form->GradeBox->count(), 13) << "10級・9級 to 段位";
  for (int g = 0; g < form->GradeBox->count(); ++g) {
    Choose(form, 1, form->GradeBox->itemText(g));
    SCOPED_TRACE(form->Paper().key.toStdString());
    // Every sheet box shows whole inside its panel.
    for (const QCheckBox* box : form->SheetPanel->findChildren<QCheckBox*>()) {
      EXPECT_TRUE(form->SheetPanel->rect().contains(box->geometry())) << box->text().toStdString();
      EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
    }
    TypePaperNumber(form, seed + static_cast<std::uint32_t>(g));
    form->MakeButton->Click();
    // 10級・9級 is the problems of either key; its paper alone prints both pass marks.
    const bool shared = form->Paper().key == QStringLiteral("shuzan-10-9");
    const QString key = shared ? QStringLiteral("shuzan-10") : form->Paper().key;
    EXPECT_EQ(form->Workbook()
                  ->JsonLine(seed + static_cast<std::uint32_t>(g))
                  .replace("shuzan-10-9", "shuzan-10"),
              BatchLine(key, seed + static_cast<std::uint32_t>(g), folder.path()));
    if (!shared) continue;
    test::RecordingPrintTarget page;
    form->Workbook()->PrintSheet({0, 0}, page);
    bool bothMarks = false;
    for (const auto& op : page.jobs.back().page->OfKind(RecordingCanvas::Kind::TextOut))
      bothMarks |= op.text.endsWith(QStringLiteral("合格点 10級 60点 9級 120点"));
    EXPECT_TRUE(bothMarks);
  }

  // 印刷 prints the ticked pages in order, the answer page last.
  Choose(form, 1, QStringLiteral("6級"));
  EXPECT_EQ(form->PreviewTabs->count(), 3);
  form->MakeButton->Click();
  form->calls.clear();
  boxes.answers = {IDYES};
  PrintAnswering([] { Form4->OkButton->click(); });
  EXPECT_EQ(Operations(), QStringList({"Print omote", "Print ura", "Print kaitou"}));
  Child<QCheckBox>(form, "SheetBox2")->setChecked(false);
  form->SaveSettings();
  DestroyForms();
  CreateWindows();
  EXPECT_EQ(form->Paper().key, QStringLiteral("shuzan-6"));
  EXPECT_EQ(form->PaperBox->currentIndex(), 1);
  EXPECT_EQ(form->GradeBox->currentText(), QStringLiteral("6級"));
  EXPECT_FALSE(Child<QCheckBox>(form, "SheetBox2")->isChecked());

  Choose(form, 0);
  EXPECT_EQ(form->PreviewTabs->count(),
            static_cast<int>(SheetsWithAnswerTable(DefaultPaper()).size()));
  EXPECT_FALSE(form->GradeBox->isEnabled());
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox5")->isChecked());
  EXPECT_EQ(form->GradeBox->currentText(), QStringLiteral("6級")) << "kept for next time";
}

// The third choice: the 暗算 ladder's grades, its pages, the batch's paper, remembered.
TEST_F(AppTest, TheMentalLadderIsTheThirdChoiceWithItsOwnGrades) {
  CreateWindows();
  EXPECT_EQ(form->PaperBox->itemText(2), QStringLiteral("暗算検定練習"));
  Choose(form, 2, QStringLiteral("段位"));
  EXPECT_EQ(form->Paper().key, QStringLiteral("anzan-dan"));
  EXPECT_EQ(GradeTexts(form->GradeBox).join(u' '),
            QStringLiteral("10級〜7級 6級 5級 4級 準3級 3級 準2級 2級 準1級 1級 段位"));
  EXPECT_EQ(form->PreviewTabs->count(), 5);
  for (const QCheckBox* box : form->SheetPanel->findChildren<QCheckBox*>()) {
    EXPECT_TRUE(form->SheetPanel->rect().contains(box->geometry())) << box->text().toStdString();
  }
  QTemporaryDir folder;
  TypePaperNumber(form, 808);
  form->MakeButton->Click();
  EXPECT_EQ(form->Workbook()->JsonLine(808),
            BatchLine(QStringLiteral("anzan-dan"), 808, folder.path()));

  // The other ladder offers its own grades, a grade of the same name kept.
  Choose(form, 1);
  EXPECT_EQ(form->Paper().key, QStringLiteral("shuzan-dan"));
  EXPECT_EQ(form->GradeBox->count(), 13);
  Choose(form, 2, QStringLiteral("10級〜7級"));
  EXPECT_EQ(form->Paper().key, QStringLiteral("anzan-10"));
  ASSERT_EQ(form->PreviewTabs->count(), 2);
  Choose(form, 2, QStringLiteral("3級"));
  form->SaveSettings();
  DestroyForms();
  CreateWindows();
  EXPECT_EQ(form->Paper().key, QStringLiteral("anzan-3"));
  EXPECT_EQ(form->PaperBox->currentIndex(), 2);
  EXPECT_EQ(form->GradeBox->currentText(), QStringLiteral("3級"));
  EXPECT_EQ(form->PreviewTabs->count(), 3);
}

// A window that last had 「10級・9級」 remembered it as shuzan-10: it opens on that entry.
TEST_F(AppTest, TheSharedGradeRememberedByAnOlderVersionOpensOnItsEntry) {
  {
    const auto settings = OpenSettings();
    settings->setValue(QStringLiteral("window/paper"), QStringLiteral("shuzan-10"));
    settings->setValue(QStringLiteral("window/grade"), QStringLiteral("shuzan-10"));
    ASSERT_TRUE(WriteSettings(*settings));
  }
  CreateWindows();
  EXPECT_EQ(form->Paper().key, QStringLiteral("shuzan-10-9"));
  EXPECT_EQ(form->GradeBox->currentText(), QStringLiteral("10級・9級"));
}

}  // namespace
}  // namespace tamariko::testing
