#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "app_fixture.h"
#include "core/print_target.h"
#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "window/form3.h"
#include "window/help_window.h"
#include "window/message_box.h"
#include "window/preview_zoom.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

const QColor kPanelColor(239, 239, 222);
const QString kFace = QStringLiteral("ＭＳ Ｐゴシック");

// A control as the teacher meets it: its kind, its text and whether it is ticked.
struct Control {
  const char* name;
  const char* kind;
  const char* text;  // nullptr: no text of its own
  bool checked;
};

QString TextOf(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  return {};
}

// Each control is there, enabled, in the window's face, with its text and tick; and none of
// them overlaps another of the same parent or sticks out of it.
void ExpectControls(QWidget* window, std::initializer_list<Control> controls) {
  std::vector<QWidget*> found;
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(w, nullptr);
    found.push_back(w);
    EXPECT_TRUE(w->inherits(c.kind)) << w->metaObject()->className();
    if (c.text) {
      EXPECT_EQ(TextOf(w), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(w->font().family(), kFace);
    EXPECT_TRUE(w->isEnabled());
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
      EXPECT_EQ(box->isChecked(), c.checked);
    }
    EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << "outside its parent";
  }
  for (QWidget* a : found) {
    for (QWidget* b : found) {
      if (a == b || a->parentWidget() != b->parentWidget()) continue;
      // The picture buttons share their edge column.
      const QRect common = a->geometry().intersected(b->geometry());
      EXPECT_TRUE(common.width() <= 1 || common.height() <= 1)
          << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
    }
  }
}

TEST_F(AppTest, MainWindowControlsAreThereWithTheirTextsAndTicks) {
  CreateWindows();
  form->show();
  ExpectControls(form,
                 {{"CommandPanel", "QFrame", nullptr, false},
                  {"MakeButton", "tamariko::TImage", nullptr, false},
                  {"PrintButton", "tamariko::TImage", nullptr, false},
                  {"PrinterSetupButton", "tamariko::TImage", nullptr, false},
                  {"RoundLabel", "QLabel", "第", false},
                  {"RoundBox", "QLineEdit", "1", false},
                  {"RoundUnitLabel", "QLabel", "回", false},
                  {"SheetPanel", "QFrame", nullptr, false},
                  {"SheetPanelLabel", "QLabel", "チェックの入ってる項目をケリモします", false},
                  {"SheetBox1", "QCheckBox", "みとり算（表）", false},
                  {"SheetBox2", "QCheckBox", "みとり算（裏）", false},
                  {"SheetBox3", "QCheckBox", "みとり暗算", true},
                  {"SheetBox4", "QCheckBox", "かけ算", true},
                  {"SheetBox5", "QCheckBox", "わり算", false},
                  {"Heading1Box", "QLineEdit", "タマリコ", false},
                  {"Heading2Box", "QLineEdit", "タマリコ練習問題", false},
                  {"SchoolLabel", "QLabel", "教室名", false},
                  {"SchoolBox", "QLineEdit", "ORVぽろね教室", false},
                  {"PreviewTabs", "QTabWidget", nullptr, false}});
  EXPECT_EQ(form->windowTitle(), QStringLiteral("タマリコ"));
  for (QWidget* panel :
       {static_cast<QWidget*>(form->CommandPanel), static_cast<QWidget*>(form->SheetPanel)}) {
    EXPECT_EQ(panel->palette().color(QPalette::Window), kPanelColor);
  }
  for (QWidget* image : {form->MakeButton, form->PrintButton, form->PrinterSetupButton}) {
    EXPECT_EQ(image->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(static_cast<TImage*>(image)->Picture().isNull());
  }
}

TEST_F(AppTest, MainWindowTabsHoldOnePreviewEachAndOpenOnTheMentalSheet) {
  CreateWindows();
  // The contest's own tabs in their order; a kind added comes before the answer table.
  const char* captions[] = {"みとり算（表）", "みとり算（裏）", "みとり暗算",
                            "かけ算",         "わり算",         "解答"};
  const std::vector<SheetInfo> sheets = SheetsWithAnswerTable(DefaultPaper());
  ASSERT_EQ(form->PreviewTabs->count(), static_cast<int>(sheets.size()));
  QStringList shown;
  for (int i = 0; i < form->PreviewTabs->count(); ++i) shown << form->PreviewTabs->tabText(i);
  for (int c = 0; c < 6; ++c)
    EXPECT_EQ(shown.value(c < 5 ? c : shown.indexOf(QStringLiteral("解答"))),
              QString::fromUtf8(captions[c]));
  EXPECT_EQ(shown.indexOf(QStringLiteral("解答")), static_cast<int>(ProblemSheets().size()));
  for (int i = 0; i < form->PreviewTabs->count(); ++i) {
    auto* box = form->PreviewTabs->widget(i)->findChild<QScrollArea*>();
    ASSERT_NE(box, nullptr);
    ASSERT_NE(qobject_cast<TImage*>(box->widget()), nullptr);
    EXPECT_EQ(box->widget()->size(), PreviewSizeAt(100)) << "the B4 sheet at 75 dpi, in grey";
  }
  EXPECT_EQ(form->PreviewTabs->currentWidget(), Child<QWidget>(form, "SheetTab3"));
  EXPECT_TRUE(form->PreviewArea().Marker()->isHidden());
  EXPECT_FALSE(form->PreviewArea().ScrollTimer->isActive());
}

TEST_F(AppTest, TabsFillTheWindowBetweenTheCommandPanelAndTheStatusLine) {
  CreateWindows();
  form->show();
  form->resize(1000, 800);
  const int line = form->StatusLine->height();
  EXPECT_GT(line, 0);
  // 205 as designed; taller by the rows of boxes a paper of more sheets needs.
  const int panel = form->CommandPanel->height();
  EXPECT_EQ(panel == 205, ProblemSheets().size() <= 5) << panel;
  EXPECT_EQ(form->CommandPanel->geometry(), QRect(0, 0, 1000, panel));
  EXPECT_EQ(form->PreviewTabs->geometry(), QRect(0, panel, 1000, 800 - panel - line));
  EXPECT_EQ(form->StatusLine->geometry(), QRect(0, 800 - line, 1000, line));
}

TEST_F(AppTest, SplashWindowShowsItsTitles) {
  TForm3 splash(nullptr);
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  ExpectControls(&splash, {{"SeriesLabel", "QLabel", "ケリモシリーズ", false},
                           {"TitleLabel", "QLabel", "タマリコ", false},
                           {"MakerLabel", "QLabel", "タマリコ開発チーム", false}});
}

TEST_F(AppTest, ProgressWindowStaysOnTopWithoutBlockingAndCountsToAHundred) {
  CreateWindows();
  EXPECT_EQ(Form2->windowTitle(), QStringLiteral("ケリモ中...."));
  EXPECT_TRUE(Form2->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Form2->isModal());
  ExpectControls(Form2, {{"ProgressLabel", "QLabel", "ケリモ中.....", false},
                         {"ProgressBar", "QProgressBar", nullptr, false}});
  EXPECT_EQ(Form2->ProgressBar->minimum(), 0);
  EXPECT_EQ(Form2->ProgressBar->maximum(), 100);
  EXPECT_EQ(Form2->ProgressBar->value(), 0);
}

TEST_F(AppTest, PrintSelectionWindowOffersEverySheetAndOneToNinetyNineCopies) {
  CreateWindows();
  EXPECT_EQ(Form4->windowTitle(), QStringLiteral("確認"));
  EXPECT_FALSE(Form4->PrintSelected);
  // The answer table's box comes after every problem sheet's, a kind added or not.
  const QByteArray answers = PrintBox(Form4, "kaitou")->objectName().toLatin1();
  ExpectControls(Form4,
                 {{"PrintSheetsLabel", "QLabel", "チェックの入ってる項目を印刷します", false},
                  {"SheetBox1", "QCheckBox", "みとり算（表）", false},
                  {"SheetBox2", "QCheckBox", "みとり算（裏）", false},
                  {"SheetBox3", "QCheckBox", "みとり暗算", true},
                  {"SheetBox4", "QCheckBox", "かけ算", true},
                  {"SheetBox5", "QCheckBox", "わり算", false},
                  {answers.constData(), "QCheckBox", "解答", true},
                  {"CopiesLabel", "QLabel", "部数", false},
                  {"CopiesBox", "QSpinBox", nullptr, false},
                  {"OkButton", "QPushButton", "OK", false},
                  {"CancelButton", "QPushButton", "キャンセル", false}});
  EXPECT_EQ(Form4->CopiesBox->minimum(), 1);
  EXPECT_EQ(Form4->CopiesBox->maximum(), 99);
  EXPECT_EQ(Form4->Copies(), 1);
}

// The window face must come out as Japanese glyphs, not empty boxes: the labels leave ink.
TEST_F(AppTest, MainWindowDrawsItsJapaneseTexts) {
  CreateWindows();
  form->show();
  const QImage shot = form->SheetPanelLabel->grab().toImage();
  int ink = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (qBlue(shot.pixel(x, y)) > 100 && qRed(shot.pixel(x, y)) < 60) ++ink;
    }
  }
  EXPECT_GT(ink, 200);
  EXPECT_GT(QFontInfo(form->SheetPanelLabel->font()).pixelSize(), 0);
}

// A message such as 印刷の結果 is one face throughout, its Japanese lines and its Latin ones.
TEST_F(AppTest, AMessageBoxShowsItsWholeTextInTheSheetsFace) {
  const MessageBoxFunction recorded = SetMessageBoxFunction({});
  QStringList families;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) families << QFontInfo(label->font()).family();
    }
    box->accept();
  });
  ShowMessageBox(nullptr, QStringLiteral("印刷の結果です。\n　・問題: 保存しました (/tmp/a.pdf)"),
                 QStringLiteral("印刷の結果"), MB_OK);
  SetMessageBoxFunction(recorded);
  ASSERT_FALSE(families.isEmpty());
  for (const QString& family : families) EXPECT_EQ(family, kLabelSubstitute);
}

// The README's 先生方へ is the guide F1 shows, as scripts/splice-guide.sh puts it there.
TEST(Guide, TheReadmeCarriesTheGuideTheWindowShows) {
  QFile readme(QStringLiteral(TAMARIKO_SOURCE_DIR "/README.md"));
  ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(readme.readAll());
  const QString start = QStringLiteral("<!-- guide: resources/help/guide.md -->\n\n");
  const QString end = QStringLiteral("\n<!-- guide end -->");
  const qsizetype from = text.indexOf(start);
  const qsizetype to = text.indexOf(end);
  ASSERT_GE(from, 0);
  ASSERT_GT(to, from);
  const QString guide = GuideText();
  EXPECT_GT(guide.size(), 1000);
  EXPECT_EQ(text.mid(from + start.size(), to - from - start.size()), guide)
      << "run scripts/splice-guide.sh";
}

// The preview is the B4 sheet at 75 dpi on grey: white to its edge, the drawing where the
// page holds it, nothing of the bitmap beyond the page.
TEST_F(AppTest, ThePreviewShowsTheB4SheetOnAGreySurround) {
  ScriptedSpooler::Printer printer;  // every real printer is driven at 300 dpi
  printer.name = QStringLiteral("Scripted");
  printer.dpiX = printer.dpiY = 300;
  printer.offsetX = 30;
  printer.offsetY = 40;
  UsePrinters(std::make_shared<ScriptedSpooler>(std::vector<ScriptedSpooler::Printer>{printer}));
  CreateWindows();
  form->MakeButton->Click();
  TImage* image = Child<TImage>(form, "Preview3");
  ASSERT_EQ(image->size(), QSize(kSheetWidth + 2 * kSurround, kSheetHeight + 2 * kSurround));
  const QImage shown = image->grab().toImage();
  const QImage picture = image->Picture();
  const QRectF page = PageInPreview(PreviewMappingOf(QxPrinter()));
  const auto grey = [](QRgb c) { return qGray(c) > 100 && qGray(c) < 160; };
  EXPECT_TRUE(grey(shown.pixel(3, 3)));
  EXPECT_TRUE(grey(shown.pixel(shown.width() - 1, shown.height() / 2)));
  EXPECT_EQ(shown.pixel(kSurround + kSheetWidth - 3, kSurround + 3), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(kSurround + kSheetWidth - 3, kSurround + kSheetHeight - 3),
            qRgb(255, 255, 255));
  int dark = 0;
  for (int y = 0; y < picture.height(); y += 7) {
    for (int x = 0; x < picture.width(); x += 3) {
      const QPoint at = QPointF(kSurround + x - page.left(), kSurround + y - page.top()).toPoint();
      if (qGray(picture.pixel(x, y)) > 64 ||
          !QRect(kSurround, kSurround, kSheetWidth, kSheetHeight).contains(at)) {
        continue;
      }
      ++dark;
      EXPECT_EQ(shown.pixel(at), picture.pixel(x, y)) << x << ", " << y;
    }
  }
  EXPECT_GT(dark, 500);
}

}  // namespace
}  // namespace tamariko::testing
