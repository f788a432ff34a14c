// The main window as a person meets it: on an X display (Xvfb) with and without a window
// manager, at a device pixel ratio of 2, and moved between offscreen screens of ratios 1, 2
// and 1.5. Each test case runs in a process of its own with a display of its own.
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "app_fixture.h"
#include "mitori1_1/mitori_sheet.h"
#include "tests/support/render_fixtures.h"
#include "tests/window/test_display.h"
#include "window/form3.h"
#include "window/preview_zoom.h"
#include "window/settings.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

using test::Dark;

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QTest::qWait(10);
  return done();
}

// A thin vertical rule of a preview drawn at ratio 1: a column dark over 40 rows whose
// neighbours are light over the same rows.
struct Rule {
  int x, top;
};
std::optional<Rule> ThinRule(const QImage& image) {
  for (int x = 1; x + 1 < image.width(); ++x) {
    for (int top = 0; top + 40 < image.height(); top += 20) {
      bool rule = true;
      for (int y = top; y < top + 40 && rule; ++y) {
        rule = Dark(image, x, y) && !Dark(image, x - 1, y) && !Dark(image, x + 1, y);
      }
      if (rule) return Rule{x, top};
    }
  }
  return std::nullopt;
}

// How many dark pixels run across `row` through the first dark one within two of `near`.
int DarkRun(const QImage& image, int row, int near) {
  int x = near - 2;
  while (x <= near + 2 && !Dark(image, x, row)) ++x;
  int width = 0;
  while (x < image.width() && Dark(image, x, row)) ++x, ++width;
  return width;
}

// Where the rule found at ratio 1 falls on a picture of `ratio`: as wide as the ratio.
void ExpectRuleScaled(const QImage& picture, const Rule& rule, int ratio) {
  const int row = (rule.top + 20) * ratio;
  EXPECT_EQ(DarkRun(picture, row, rule.x * ratio), ratio) << "rule at x " << rule.x;
}

// The mental addition preview drawn the way every preview was drawn before the screen's
// ratio counted, and the way --batch --png still draws it: a plain 865 x 1300 page.
QImage PlainMentalPreview(const TForm1* form) {
  return DrawPreviewImage(
      [&](TCanvas& canvas, const PageMapping& mapping) {
        DrawMentalPreview(MentalOf(form), canvas, mapping);
      },
      PreviewMappingOf(QxPrinter()));
}

class WindowTest : public AppTest {
 protected:
  void SetUp() override {
    if (!TestDisplay::Missing().empty()) GTEST_SKIP() << TestDisplay::Missing();
    AppTest::SetUp();
    Startup().Seed = 20261207;
  }

  // The window shown and active, under a window manager.
  void ShowManaged() {
    const std::string why = TestDisplay::StartWindowManager();
    if (!why.empty()) GTEST_SKIP() << why;
    CreateWindows();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }

  // Runs `act` and closes the modal window it opens.
  static bool ClosesModal(const std::function<void()>& act) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        opened = true;
        modal->close();
      }
    });
    act();
    return opened;
  }
};

TEST_F(WindowTest, SplashIsOnTheScreenBeforeItsPauseWithAndWithoutAWindowManager) {
  for (const bool managed : {false, true}) {
    SCOPED_TRACE(managed ? "with a window manager" : "without a window manager");
    if (managed) {
      const std::string why = TestDisplay::StartWindowManager();
      if (!why.empty()) GTEST_SKIP() << why;
    }
    QImage screen;
    QRect splash;
    Startup().Sleep = [&](int) {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TForm3*>(window) && window->isVisible()) splash = window->geometry();
      }
      // What the display shows, not what the widget would paint.
      screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    };
    CreateWindows();
    ASSERT_FALSE(splash.isEmpty());
    int panel = 0, navy = 0;
    for (int y = splash.top(); y <= splash.bottom(); ++y) {
      for (int x = splash.left(); x <= splash.right(); ++x) {
        const QColor c = screen.pixelColor(x, y);
        panel += c == QColor(239, 239, 222);
        navy += c.red() < 60 && c.green() < 60 && c.blue() > 100;
      }
    }
    const int area = splash.width() * splash.height();
    EXPECT_GT(panel, area / 2) << "the splash's colour is not on the screen";
    EXPECT_GT(navy, 200) << "the splash's titles are not on the screen";
    DestroyForms();
    form = nullptr;
  }
}

TEST_F(WindowTest, TheKeyboardReachesAndPressesTheCommands) {
  ShowManaged();
  EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == form->CommandPanel; }));
  auto* help = form->findChild<QToolButton*>(QStringLiteral("HelpButton"));
  ASSERT_NE(help, nullptr);
  // The sheet boxes in the sheets' order, however many the paper has.
  std::vector<QWidget*> order = {form->MakeButton, form->PrintButton, form->PrinterSetupButton,
                                 form->SchoolBox,  form->RoundBox,    form->PaperBox};
  for (const SheetInfo& sheet : ProblemSheets()) order.push_back(form->SheetBox(sheet.key));
  for (QWidget* w :
       {static_cast<QWidget*>(form->Heading1Box), static_cast<QWidget*>(form->Heading2Box),
        static_cast<QWidget*>(help), Child<QWidget>(form, "PupilsButton"),
        static_cast<QWidget*>(form->PreviewTabs->tabBar())}) {
    order.push_back(w);
  }
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }

  // A focused picture button shows a frame, and Space, Enter and the keypad's Enter press it.
  form->MakeButton->setFocus();
  const QImage focused = form->MakeButton->grab().toImage();
  form->PrintButton->setFocus();
  EXPECT_NE(form->MakeButton->grab().toImage(), focused) << "no focus frame";
  form->MakeButton->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(Operations().count(QStringLiteral("Make mitori")), 3);

  // Enter in a text box and F5 make problems; Ctrl+P and Ctrl+Shift+P open the print
  // selection and the printer set-up; the tooltips name the keys.
  QTest::keyClick(form->Heading2Box, Qt::Key_Return);
  QTest::keyClick(form, Qt::Key_F5);
  EXPECT_EQ(Operations().count(QStringLiteral("Make mitori")), 5);
  EXPECT_TRUE(ClosesModal([&] { QTest::keyClick(form, Qt::Key_P, Qt::ControlModifier); }));
  EXPECT_TRUE(ClosesModal(
      [&] { QTest::keyClick(form, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier); }));
  EXPECT_TRUE(ClosesModal([&] { QTest::keyClick(form, Qt::Key_L, Qt::ControlModifier); }))
      << "Ctrl+L opens the pupils' list";
  EXPECT_TRUE(form->MakeButton->toolTip().contains(QStringLiteral("F5")));
  EXPECT_TRUE(form->PrintButton->toolTip().contains(QStringLiteral("Ctrl+P")));
  EXPECT_TRUE(form->PrinterSetupButton->toolTip().contains(QStringLiteral("Ctrl+Shift+P")));

  // While a print is sent the keys meet the same checks as the clicks.
  boxes.answers = {IDYES};
  bool pressed = false;
  form->during = [&] {
    if (!pressed && !form->MakeButton->isEnabled()) {
      pressed = true;
      QTest::keyClick(form, Qt::Key_F5);
      QTest::keyClick(form, Qt::Key_P, Qt::ControlModifier);
    }
  };
  PrintAnswering([] { Form4->OkButton->click(); });
  EXPECT_EQ(Operations().count(QStringLiteral("Make mitori")), 5) << "F5 made problems";
  EXPECT_TRUE(std::any_of(boxes.shown.begin(), boxes.shown.end(), [](const ShownMessage& m) {
    return m.text.contains(QStringLiteral("印刷中"));
  })) << "Ctrl+P while printing is told, as a click is";

  // F1 opens the guide.
  QTest::keyClick(form, Qt::Key_F1);
  auto* guide = form->findChild<QDialog*>(QStringLiteral("GuideWindow"));
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  const QString text = guide->findChild<QTextBrowser*>()->toPlainText();
  for (const char* sheet :
       {"みとり算（表）", "みとり算（裏）", "みとり暗算", "かけ算", "わり算", "解答表", "「PDF」",
        "珠算検定練習", "暗算検定練習", "10級・9級", "段位", "問題番号", "版数", "両面",
        "答えを表示", "全体", "幅に合わせる", "教室名", "8 ポイント"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(sheet))) << sheet;
  }
  // It scrolls over its text and no further.
  // A long guide is laid out a part at a time, the scroll range estimated meanwhile.
  auto* browser = guide->findChild<QTextBrowser*>();
  EXPECT_TRUE(WaitFor([&] {
    const int textHeight = static_cast<int>(std::ceil(browser->document()->size().height()));
    return browser->verticalScrollBar()->maximum() <=
           std::max(0, textHeight - browser->viewport()->height()) + 1;
  })) << "scrolls past its text";
  EXPECT_GT(browser->verticalScrollBar()->maximum(), 0) << "more than a window of it";
}

TEST_F(WindowTest, VersionWindowShowsTheCarriedFontsLicence) {
  ShowManaged();
  auto* help = form->findChild<QToolButton*>(QStringLiteral("HelpButton"));
  ASSERT_NE(help, nullptr);
  const QList<QAction*> entries = help->menu()->actions();
  ASSERT_EQ(entries.size(), 2);
  entries[1]->trigger();
  auto* version = form->findChild<QDialog*>(QStringLiteral("VersionWindow"));
  ASSERT_NE(version, nullptr);
  EXPECT_TRUE(version->findChild<QLabel*>()->text().contains(QStringLiteral("バージョン")));
  EXPECT_TRUE(
      version->findChild<QPlainTextEdit*>()->toPlainText().contains(QStringLiteral("VL Gothic")));
}

TEST_F(WindowTest, SmallestWindowKeepsEveryControlWholeAndAWideOneCentresThePreview) {
  ShowManaged();
  form->resize(500, 200);
  ASSERT_TRUE(WaitFor([&] { return form->size() == form->minimumSize(); }))
      << form->width() << "x" << form->height() << " for " << form->minimumWidth() << "x"
      << form->minimumHeight();
  for (QWidget* control : form->CommandPanel->findChildren<QWidget*>()) {
    if (!control->isVisible()) continue;
    const QRect place(control->mapTo(form, QPoint()), control->size());
    EXPECT_TRUE(form->rect().contains(place)) << control->objectName().toStdString();
  }
  QTabBar* tabs = form->PreviewTabs->tabBar();
  EXPECT_LE(tabs->sizeHint().width(), tabs->width()) << "the tab row does not fit";
  EXPECT_GT(Child<QScrollArea>(form, "ScrollBox3")->viewport()->height(), 50);
  EXPECT_TRUE(Child<QScrollArea>(form, "ScrollBox3")->horizontalScrollBar()->isVisible());

  form->resize(1400, 800);
  ASSERT_TRUE(WaitFor([&] { return form->width() == 1400; }));
  const QWidget* viewport = Child<QScrollArea>(form, "ScrollBox3")->viewport();
  EXPECT_EQ(Child<TImage>(form, "Preview3")->size(), PreviewSizeAt(100));
  EXPECT_NEAR(Child<TImage>(form, "Preview3")->x(),
              (viewport->width() - PreviewSizeAt(100).width()) / 2, 1);
}

// Enter means OK, with the focus on the first box.
TEST_F(WindowTest, EnterInThePrintSelectionPrints) {
  ShowManaged();
  boxes.answers = {IDYES};
  QWidget* focus = nullptr;
  PrintAnswering([&] {
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form4));
    focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_Return);
  });
  EXPECT_EQ(focus, Child<QCheckBox>(Form4, "SheetBox1"));
  EXPECT_TRUE(Form4->PrintSelected);
  EXPECT_EQ(Operations(), QStringList({"Print mitori", "Print kake", "Print kaitou"}));
}

// Ctrl++, Ctrl+-, Ctrl+0 and Ctrl+wheel change the size of the previews, and the pages are
// drawn again at the density of that size; press-and-hold still scrolls; the choice comes
// back in the next run.
TEST_F(WindowTest, ZoomKeysAndTheWheelDrawThePreviewsAtTheZoomsDensity) {
  ShowManaged();
  form->MakeButton->Click();
  // The keys go to the window once the progress window has gone.
  ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form; }));
  const QImage plain = Child<TImage>(form, "Preview3")->Picture();
  ASSERT_EQ(plain.size(), QSize(865, 1300));
  // Drawn at `density` as a bitmap of `size` (to the pixel the density rounds to), shown as
  // the sheet at that zoom.
  const auto drawnAt = [&](qreal density, QSize size) {
    return WaitFor([&] {
      const QImage picture = Child<TImage>(form, "Preview3")->Picture();
      return qFuzzyCompare(picture.devicePixelRatio(), density) &&
             std::abs(picture.width() - size.width()) <= 1 &&
             std::abs(picture.height() - size.height()) <= 1 &&
             Child<TImage>(form, "Preview3")->size() ==
                 PreviewSizeAt(static_cast<int>(std::lround(density * 100)));
    });
  };
  QTest::keyClick(form, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_TRUE(drawnAt(0.9, QSize(779, 1170))) << form->PreviewArea().ZoomPercent();
  QTest::keyClick(form, Qt::Key_Plus, Qt::ControlModifier);
  QTest::keyClick(form, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_TRUE(drawnAt(1.1, QSize(952, 1430))) << form->PreviewArea().ZoomPercent();
  QTest::keyClick(form, Qt::Key_0, Qt::ControlModifier);
  EXPECT_TRUE(drawnAt(1.0, QSize(865, 1300)));
  EXPECT_EQ(Child<TImage>(form, "Preview3")->Picture(), plain);
  QWheelEvent wheel(QPointF(5, 5),
                    QPointF(Child<TImage>(form, "Preview3")->mapToGlobal(QPoint(5, 5))), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Child<TImage>(form, "Preview3"), &wheel);
  EXPECT_TRUE(drawnAt(1.1, QSize(952, 1430))) << form->PreviewArea().ZoomPercent();
  EXPECT_EQ(form->PreviewArea().ZoomLabel->text(), QStringLiteral("110%"));

  QScrollBar* down = Child<QScrollArea>(form, "ScrollBox3")->verticalScrollBar();
  const int before = down->value();
  const QPoint anchor = form->mapToGlobal(QPoint(300, 400));
  QPoint pointer = anchor;
  form->PreviewArea().PointerPosition = [&] { return pointer; };
  form->PreviewArea().StartScroll();
  pointer += QPoint(0, 30);
  form->PreviewArea().ScrollStep(Child<QScrollArea>(form, "ScrollBox3"));
  form->PreviewArea().StopScroll();
  EXPECT_EQ(down->value(), before + 8);

  form->PreviewArea().ZoomPageButton->click();
  EXPECT_TRUE(WaitFor([&] {
    return Child<TImage>(form, "Preview3")->size() ==
               PreviewSizeAt(form->PreviewArea().ZoomPercent()) &&
           qFuzzyCompare(Child<TImage>(form, "Preview3")->Picture().devicePixelRatio(),
                         form->PreviewArea().ZoomPercent() / 100.0);
  }));
  const QSize view = Child<QScrollArea>(form, "ScrollBox3")->viewport()->size();
  EXPECT_LE(Child<TImage>(form, "Preview3")->height(), view.height());
  EXPECT_LE(Child<TImage>(form, "Preview3")->width(), view.width());
  EXPECT_EQ(down->maximum(), 0);
  DestroyForms();
  CreateWindows();
  EXPECT_EQ(form->PreviewArea().ZoomChoice().fit, PreviewZoom::Fit::Page);
}

// The first start takes a good share of the screen, so that a whole page can be read; the
// place remembered wins afterwards.
TEST_F(WindowTest, TheFirstStartTakesAShareOfTheScreenAndARememberedSizeWinsAfter) {
  ShowManaged();
  const QRect available = form->screen()->availableGeometry();
  EXPECT_GE(form->width(), available.width() * 3 / 5) << form->width();
  EXPECT_GE(form->frameGeometry().height(), available.height() * 4 / 5) << form->height();
  form->showNormal();
  form->resize(900, 700);
  ASSERT_TRUE(WaitFor([&] { return form->size() == QSize(900, 700); }));
  DestroyForms();
  CreateWindows();
  EXPECT_EQ(form->size(), QSize(900, 700));
}

// Changing paper rebuilds the tabs under a zoom that refits them as they come and go: every
// paper and grade, there and back, from the keyboard, in each zoom, leaves working previews.
TEST_F(WindowTest, EveryPaperAndGradeChosenFromTheKeyboardInEachZoomKeepsThePreviewsWhole) {
  ShowManaged();
  QTest::keyClick(form, Qt::Key_F5);
  ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form; }));
  const auto press = [&](QWidget* box, Qt::Key key) {
    box->setFocus();
    QTest::keyClick(box, key);
    QTest::qWait(1);  // the resizes and redraws of the new tabs come in between
  };
  for (QToolButton* zoom : {form->PreviewArea().ZoomPageButton, form->PreviewArea().ZoomWidthButton,
                            form->PreviewArea().ZoomActualButton}) {
    zoom->click();
    for (const Qt::Key way : {Qt::Key_Down, Qt::Key_Up}) {
      for (int paper = 1; paper < form->PaperBox->count(); ++paper) {
        press(form->PaperBox, way);
        QTest::keyClick(form->PreviewTabs, Qt::Key_Tab, Qt::ControlModifier);  // next tab
        for (int grade = 1; grade < form->GradeBox->count(); ++grade) press(form->GradeBox, way);
        for (int grade = 1; grade < form->GradeBox->count(); ++grade) {
          press(form->GradeBox, way == Qt::Key_Down ? Qt::Key_Up : Qt::Key_Down);
        }
      }
    }
    EXPECT_EQ(form->PaperBox->currentIndex(), 0) << zoom->text().toStdString();
    EXPECT_TRUE(zoom->isChecked());
  }
  QTest::keyClick(form, Qt::Key_F5);
  auto* shown = form->PreviewArea().ActiveScrollBox();
  ASSERT_NE(shown, nullptr);
  auto* image = qobject_cast<TImage*>(shown->widget());
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(WaitFor([&] { return !image->Picture().isNull(); }));
  EXPECT_EQ(image->size(), PreviewSizeAt(form->PreviewArea().ZoomPercent()));
}

// Run with QT_SCALE_FACTOR=2: the test display is then 800 x 600, smaller than the window's
// design. The window opens inside it, a remembered place outside it is brought in, and a
// maximised window comes back maximised.
TEST_F(WindowTest, AtRatio2TheWindowOpensInsideTheScreen) {
  ShowManaged();
  const QRect available = form->screen()->availableGeometry();
  ASSERT_LT(available.height(), 651) << "run with QT_SCALE_FACTOR=2";
  const auto inside = [&] {
    return WaitFor([&] { return available.contains(form->frameGeometry()); });
  };
  EXPECT_TRUE(inside()) << "frame " << form->frameGeometry().y() << " + "
                        << form->frameGeometry().height();

  DestroyForms();
  {
    QWidget elsewhere;
    elsewhere.setGeometry(-300, -200, 1650, 1302);
    const auto settings = OpenSettings();
    settings->setValue(QStringLiteral("window/place"), elsewhere.saveGeometry());
  }
  CreateWindows();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  EXPECT_TRUE(inside());

  form->showMaximized();
  ASSERT_TRUE(WaitFor([&] { return form->isMaximized(); }));
  DestroyForms();
  CreateWindows();
  form->show();
  EXPECT_TRUE(WaitFor([&] { return form->isMaximized(); }));
}

// Run with QT_SCALE_FACTOR=2.
TEST_F(WindowTest, AtRatio2PreviewsAndPictureButtonsAreDrawnAtTwiceTheDensity) {
  CreateWindows();
  form->show();
  ASSERT_EQ(form->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
  form->MakeButton->Click();
  const QImage picture = Child<TImage>(form, "Preview3")->Picture();
  EXPECT_EQ(picture.devicePixelRatio(), 2.0);
  EXPECT_EQ(picture.size(), QSize(1730, 2600));
  const QImage plain = PlainMentalPreview(form);
  const auto rule = ThinRule(plain);
  ASSERT_TRUE(rule);
  ExpectRuleScaled(plain, *rule, 1);
  ExpectRuleScaled(picture, *rule, 2);

  // The button's picture is the double-density drawing, not the plain one enlarged.
  QImage twice(QStringLiteral(":/tamariko/bitmaps/kerimo@2x.png"));
  twice.setDevicePixelRatio(2);
  QImage expected(306, 146, QImage::Format_ARGB32_Premultiplied);
  expected.setDevicePixelRatio(2);
  expected.fill(form->CommandPanel->palette().color(QPalette::Window));
  QPainter(&expected).drawImage(0, 0, twice);
  const QImage drawn =
      form->MakeButton->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(drawn.copy(0, 0, 306, 134), expected.copy(0, 0, 306, 134));
}

// Run on offscreen screens A, B and C of ratios 1, 2 and 1.5, side by side.
TEST_F(AppTest, ScreensOfAnotherRatioRedrawThePreviewsFromTheSetsHeld) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() != 3) GTEST_SKIP() << "run on the three offscreen screens";
  Startup().Seed = 20261207;
  CreateWindows();
  const auto moveTo = [&](int screen, qreal ratio) {
    form->move(screens[screen]->geometry().topLeft() + QPoint(40, 40));
    return WaitFor(
        [&] { return Child<TImage>(form, "Preview3")->Picture().devicePixelRatio() == ratio; });
  };
  form->move(screens[0]->geometry().topLeft() + QPoint(40, 40));
  form->show();
  form->MakeButton->Click();
  const QByteArray sets = form->Workbook()->JsonLine(0);
  const QImage first = Child<TImage>(form, "Preview3")->Picture();
  const QImage multiplication = Child<TImage>(form, "Preview4")->Picture();
  // At ratio 1 the preview is what it always was.
  EXPECT_EQ(first.devicePixelRatio(), 1.0);
  EXPECT_EQ(first, PlainMentalPreview(form));
  const auto rule = ThinRule(first);
  ASSERT_TRUE(rule);

  ASSERT_TRUE(moveTo(1, 2.0));
  ExpectRuleScaled(Child<TImage>(form, "Preview3")->Picture(), *rule, 2);
  EXPECT_EQ(Child<TImage>(form, "Preview4")->Picture().size(), QSize(1730, 2600));
  // The wheel still moves the preview 8 of the window's pixels a notch.
  form->PreviewArea().WheelDown();
  EXPECT_EQ(Child<QScrollArea>(form, "ScrollBox3")->verticalScrollBar()->value(), 8);
  EXPECT_EQ(
      Child<QScrollArea>(form, "ScrollBox3")->verticalScrollBar()->maximum(),
      PreviewSizeAt(100).height() - Child<QScrollArea>(form, "ScrollBox3")->viewport()->height());

  ASSERT_TRUE(moveTo(2, 1.5));
  EXPECT_EQ(Child<TImage>(form, "Preview3")->Picture().size(), QSize(1298, 1950));

  ASSERT_TRUE(moveTo(0, 1.0));
  EXPECT_EQ(Child<TImage>(form, "Preview3")->Picture(), first);
  EXPECT_EQ(Child<TImage>(form, "Preview4")->Picture(), multiplication);
  EXPECT_EQ(form->Workbook()->JsonLine(0), sets) << "a move drew new problems";
  EXPECT_EQ(Operations().count(QStringLiteral("Make mitori")), 1);
}

}  // namespace
}  // namespace tamariko::testing
