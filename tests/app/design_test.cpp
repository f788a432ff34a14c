#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialog>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

#include "app/form3.h"
#include "app/timage.h"
#include "app_fixture.h"

namespace tamariko::testing {
namespace {

const QColor kPanelColor(239, 239, 222);
const QString kFace = QStringLiteral("ＭＳ Ｐゴシック");

struct Control {
  const char* name;
  const char* kind;
  int x, y, width, height;  // width/height 0: sized by its text
  const char* text;
  int fontHeight;
  bool bold;
  bool enabled;
  bool checked;
};

void ExpectControl(QWidget* window, const Control& c) {
  SCOPED_TRACE(c.name);
  QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(c.name));
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->inherits(c.kind)) << w->metaObject()->className();
  EXPECT_EQ(w->pos(), QPoint(c.x, c.y));
  if (c.width) {
    EXPECT_EQ(w->size(), QSize(c.width, c.height));
  }
  QString text;
  if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
  if (c.text) {
    EXPECT_EQ(text, QString::fromUtf8(c.text));
  }
  if (c.fontHeight) {
    EXPECT_EQ(w->font().pixelSize(), -c.fontHeight);
  }
  EXPECT_EQ(w->font().bold(), c.bold);
  EXPECT_EQ(w->font().family(), kFace);
  EXPECT_EQ(w->isEnabled(), c.enabled);
  if (auto* box = qobject_cast<QCheckBox*>(w)) {
    EXPECT_EQ(box->isChecked(), c.checked);
  }
}

TEST_F(AppTest, MainWindowControlsAreAsDesigned) {
  CreateWindows();
  const Control controls[] = {
      {"Panel1", "QFrame", 0, 0, 825, 177, nullptr, 0, false, true, false},
      {"Image4", "tamariko::TImage", 0, 5, 153, 73, nullptr, 0, false, true, false},
      {"Image8", "tamariko::TImage", 152, 5, 153, 73, nullptr, 0, false, true, false},
      {"Image9", "tamariko::TImage", 304, 5, 153, 73, nullptr, 0, false, true, false},
      {"Label1", "QLabel", 624, 38, 0, 0, "第", -37, false, true, false},
      {"Edit1", "QLineEdit", 664, 21, 73, 56, "1", -48, false, true, false},
      {"Label2", "QLabel", 741, 38, 0, 0, "回", -37, false, true, false},
      {"Panel2", "QFrame", 0, 85, 337, 92, nullptr, 0, false, true, false},
      {"Label3", "QLabel", 8, 5, 0, 0, "チェックの入ってる項目をケリモします", -19, true, true,
       false},
      {"CheckBox1", "QCheckBox", 8, 37, 0, 0, "みとり算（表）", -21, true, true, false},
      {"CheckBox2", "QCheckBox", 152, 37, 0, 0, "みとり算（裏）", -21, true, true, false},
      {"CheckBox3", "QCheckBox", 8, 61, 0, 0, "みとり暗算", -21, true, true, true},
      {"CheckBox4", "QCheckBox", 152, 61, 0, 0, "かけ算", -21, true, true, true},
      {"CheckBox5", "QCheckBox", 248, 61, 0, 0, "わり算", -21, true, true, false},
      {"Edit2", "QLineEdit", 344, 85, 441, 37, "タマリコ", -29, false, true, false},
      {"Edit3", "QLineEdit", 344, 139, 441, 37, "タマリコ練習問題", -29, false, true, false},
      {"PageControl1", "QTabWidget", 0, 177, 825, 474, nullptr, -19, true, true, false},
  };
  for (const Control& c : controls) ExpectControl(form, c);

  EXPECT_EQ(form->size(), QSize(825, 651));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("タマリコ"));
  EXPECT_EQ(form->font().family(), kFace);
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(form->Label3->palette().color(QPalette::WindowText), QColor(0, 0, 128));
  for (QWidget* panel : {static_cast<QWidget*>(form->Panel1), static_cast<QWidget*>(form->Panel2),
                         static_cast<QWidget*>(form->Panel3)}) {
    EXPECT_TRUE(panel->autoFillBackground()) << panel->objectName().toStdString();
    EXPECT_EQ(panel->palette().color(QPalette::Window), kPanelColor);
  }
  for (QWidget* image : {form->Image4, form->Image8, form->Image9}) {
    EXPECT_EQ(image->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(static_cast<TImage*>(image)->Picture().size(), QSize(153, 67));
  }
}

TEST_F(AppTest, MainWindowTabsHoldOnePreviewEach) {
  CreateWindows();
  const char* captions[] = {"みとり算（表）", "みとり算（裏）", "みとり暗算",
                            "かけ算",         "わり算",         "解答"};
  const char* images[] = {"Image1", "Image2", "Image3", "Image5", "Image6", "Image7"};
  ASSERT_EQ(form->PageControl1->count(), 6);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(images[i]);
    QWidget* page = form->PageControl1->widget(i);
    EXPECT_EQ(page->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
    EXPECT_EQ(form->PageControl1->tabText(i), QString::fromUtf8(captions[i]));
    auto* box = page->findChild<QScrollArea*>(QStringLiteral("ScrollBox%1").arg(i + 1));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->viewport()->palette().color(QPalette::Window), kPanelColor);
    ASSERT_NE(box->widget(), nullptr);
    EXPECT_EQ(box->widget()->objectName(), QString::fromLatin1(images[i]));
    EXPECT_EQ(box->widget()->geometry(), QRect(0, 0, 865, 1300));
  }
  EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet3);

  EXPECT_TRUE(form->Panel3->isHidden());
  EXPECT_EQ(form->Panel3->size(), QSize(34, 31));
  EXPECT_EQ(form->Image10->Picture().size(), QSize(34, 31));
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_EQ(form->Timer1->interval(), 200);
}

TEST_F(AppTest, TabsFillTheWindowBelowTheCommandPanel) {
  CreateWindows();
  form->show();
  form->resize(1000, 800);
  EXPECT_EQ(form->Panel1->geometry(), QRect(0, 0, 1000, 177));
  EXPECT_EQ(form->PageControl1->geometry(), QRect(0, 177, 1000, 623));
}

TEST_F(AppTest, SplashWindowIsAsDesigned) {
  TForm3 splash(nullptr);
  EXPECT_EQ(splash.size(), QSize(485, 216));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.palette().color(QPalette::Window), kPanelColor);
  const Control controls[] = {
      {"Panel1", "QFrame", 0, 0, 485, 216, nullptr, -12, false, true, false},
      {"Label1", "QLabel", 16, 16, 0, 0, "ケリモシリーズ", -29, true, true, false},
      {"Label2", "QLabel", 8, 56, 0, 0, "タマリコ", -35, true, true, false},
      {"Label4", "QLabel", 16, 184, 0, 0, "タマリコ開発チーム", -19, true, true, false},
  };
  for (const Control& c : controls) ExpectControl(&splash, c);
  EXPECT_EQ(splash.Panel1->lineWidth(), 4);
  EXPECT_EQ(splash.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 160));
  EXPECT_EQ(splash.Label2->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST_F(AppTest, ProgressWindowIsAsDesigned) {
  CreateWindows();
  EXPECT_EQ(Form2->size(), QSize(327, 135));
  EXPECT_EQ(Form2->windowTitle(), QStringLiteral("ケリモ中...."));
  EXPECT_TRUE(Form2->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Form2->isModal());
  ExpectControl(Form2, {"Label1", "QLabel", 32, 8, 0, 0, "ケリモ中.....", -19, false, true, false});
  ExpectControl(Form2,
                {"ProgressBar1", "QProgressBar", 16, 40, 281, 33, nullptr, 0, false, true, false});
  EXPECT_EQ(Form2->ProgressBar1->minimum(), 0);
  EXPECT_EQ(Form2->ProgressBar1->maximum(), 100);
  EXPECT_EQ(Form2->ProgressBar1->value(), 0);
}

TEST_F(AppTest, PrintSelectionWindowIsAsDesigned) {
  CreateWindows();
  EXPECT_EQ(Form4->size(), QSize(480, 226));
  EXPECT_EQ(Form4->windowTitle(), QStringLiteral("確認"));
  EXPECT_EQ(Form4->palette().color(QPalette::Window), kPanelColor);
  EXPECT_FALSE(Form4->PrintSelected);
  const Control controls[] = {
      {"Label1", "QLabel", 16, 8, 0, 0, "チェックの入ってる項目を印刷します", -27, true, true,
       false},
      {"CheckBox1", "QCheckBox", 24, 48, 0, 0, "みとり算（表）", -21, true, true, false},
      {"CheckBox2", "QCheckBox", 184, 48, 0, 0, "みとり算（裏）", -21, true, true, false},
      {"CheckBox3", "QCheckBox", 336, 48, 0, 0, "みとり暗算", -21, true, true, true},
      {"CheckBox4", "QCheckBox", 24, 80, 0, 0, "かけ算", -21, true, true, true},
      {"CheckBox5", "QCheckBox", 184, 80, 0, 0, "わり算", -21, true, true, false},
      {"CheckBox6", "QCheckBox", 336, 80, 0, 0, "解答", -21, true, true, true},
      {"Label2", "QLabel", 24, 116, 0, 0, "部数", -21, true, true, false},
      {"SpinEdit1", "QSpinBox", 88, 114, 72, 28, nullptr, -19, false, true, false},
      {"Button1", "QPushButton", 96, 152, 121, 33, "OK", -19, true, true, false},
      {"Button2", "QPushButton", 256, 152, 129, 33, "キャンセル", -19, true, true, false},
  };
  for (const Control& c : controls) ExpectControl(Form4, c);
  EXPECT_EQ(Form4->SpinEdit1->minimum(), 1);
  EXPECT_EQ(Form4->SpinEdit1->maximum(), 99);
  EXPECT_EQ(Form4->Copies(), 1);
  EXPECT_EQ(Form4->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

// The window face must come out as Japanese glyphs, not empty boxes: the labels leave ink.
TEST_F(AppTest, MainWindowDrawsItsJapaneseTexts) {
  CreateWindows();
  form->show();
  const QImage shot = form->Label3->grab().toImage();
  int ink = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (qBlue(shot.pixel(x, y)) > 100 && qRed(shot.pixel(x, y)) < 60) ++ink;
    }
  }
  EXPECT_GT(ink, 200);
  EXPECT_GT(QFontInfo(form->Label3->font()).pixelSize(), 0);
}

}  // namespace
}  // namespace tamariko::testing
