#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

const QPoint kWindowCorner(100, 50);
const QPoint kAnchor(400, 500);
const QPoint kStartPosition(20, 100);  // horizontal, vertical: room to move either way

class ScrollingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateWindows();
    form->show();
    QCoreApplication::processEvents();
    // Moved after the first activation, which keeps the window on the (small) screen.
    form->move(kWindowCorner);
    QCoreApplication::processEvents();
    form->PreviewArea().PointerPosition = [this] { return pointer; };
    // The sheet a little larger than the window, so that it scrolls either way.
    form->PreviewArea().SetZoom({PreviewZoom::Fit::None, 110});
    QCoreApplication::processEvents();
    ASSERT_EQ(form->frameGeometry().topLeft(), kWindowCorner);
    ASSERT_GE(Box()->horizontalScrollBar()->maximum(), kStartPosition.x() + 8);
    ASSERT_GE(Box()->verticalScrollBar()->maximum(), kStartPosition.y() + 8);
  }

  QScrollArea* Box() const { return Child<QScrollArea>(form, "ScrollBox3"); }
  TImage* Preview() const { return Child<TImage>(form, "Preview3"); }
  QPoint Position(QScrollArea* box) const {
    return {box->horizontalScrollBar()->value(), box->verticalScrollBar()->value()};
  }
  QPoint Position() const { return Position(Box()); }
  void SetPosition(QScrollArea* box, QPoint position) {
    box->horizontalScrollBar()->setValue(position.x());
    box->verticalScrollBar()->setValue(position.y());
  }

  // A press as the window system sends it to a picture.
  void Press(TImage* image, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(pointer), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(image, &press);
  }
  void Release(TImage* image, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(pointer), button,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(image, &release);
  }
  // A wheel turn over the given widget; positive angles turn it away from the user.
  void Wheel(QWidget* over, int angle, QPoint pixels = {}) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(pointer), pixels, QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
  }

  void ExpectIdle() {
    EXPECT_FALSE(form->PreviewArea().Scrolling);
    EXPECT_EQ(form->PreviewArea().PressCount, 0);
    EXPECT_FALSE(form->PreviewArea().ScrollTimer->isActive());
    EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
    EXPECT_FALSE(form->PreviewArea().Marker()->isVisible());
  }

  QPoint pointer = kAnchor;
};

TEST_F(ScrollingTest, PressWithTheStillPointerShowsTheIndicatorAndScrollsNothing) {
  ExpectIdle();
  const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
  for (Qt::MouseButton button : buttons) {
    SCOPED_TRACE(button);
    SetPosition(Box(), kStartPosition);
    Press(Preview(), button);
    EXPECT_TRUE(form->PreviewArea().Scrolling);
    EXPECT_EQ(form->PreviewArea().PressCount, 1);
    EXPECT_EQ(QPoint(form->PreviewArea().AnchorX, form->PreviewArea().AnchorY), kAnchor);
    EXPECT_TRUE(form->PreviewArea().ScrollTimer->isActive());
    EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
    EXPECT_TRUE(form->PreviewArea().Marker()->isVisible());
    // 400 - 100 - 20, 500 - 50 - 33
    EXPECT_EQ(form->PreviewArea().Marker()->pos(), QPoint(280, 417));
    // Over the preview, not under it.
    EXPECT_EQ(form->childAt(form->PreviewArea().Marker()->geometry().center()),
              form->PreviewArea().MarkerImage());
    for (int tick = 0; tick < 3; ++tick) form->PreviewArea().ScrollTick();
    EXPECT_EQ(Position(), kStartPosition);
    EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
    EXPECT_TRUE(form->PreviewArea().Scrolling);
    form->PreviewArea().StopScroll();
  }
}

struct StepCase {
  const char* name;
  QPoint offset;  // pointer from the anchor
  QPoint moved;   // preview movement in one tick
  int interval;   // timer interval after the tick, from 200 at the press
};

TEST_F(ScrollingTest, EachTickMovesEightPixelsTowardThePointerFasterFartherAway) {
  const StepCase cases[] = {
      {"10 right", {10, 0}, {8, 0}, 200},
      {"30 right", {30, 0}, {8, 0}, 200},
      {"60 right", {60, 0}, {8, 0}, 100},
      {"80 right", {80, 0}, {8, 0}, 10},
      {"30 left", {-30, 0}, {-8, 0}, 200},
      {"60 left", {-60, 0}, {-8, 0}, 100},
      {"80 left", {-80, 0}, {-8, 0}, 10},
      {"30 down", {0, 30}, {0, 8}, 200},
      {"60 down", {0, 60}, {0, 8}, 100},
      {"80 down", {0, 80}, {0, 8}, 10},
      {"60 up", {0, -60}, {0, -8}, 100},
      {"80 up", {0, -80}, {0, -8}, 10},
      {"80 right 30 down: vertical rule last", {80, 30}, {8, 8}, 200},
      {"30 right 80 down", {30, 80}, {8, 8}, 10},
      {"80 left 60 up", {-80, -60}, {-8, -8}, 100},
      {"80 right 10 down: only horizontal rules", {80, 10}, {8, 8}, 10},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetPosition(Box(), kStartPosition);
    pointer = kAnchor;
    Press(Preview());
    pointer = kAnchor + c.offset;
    form->PreviewArea().ScrollTick();
    EXPECT_EQ(Position() - kStartPosition, c.moved);
    EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), c.interval);
    form->PreviewArea().ScrollTick();
    EXPECT_EQ(Position() - kStartPosition, c.moved * 2);
    EXPECT_TRUE(form->PreviewArea().ScrollTimer->isActive());
    form->PreviewArea().StopScroll();
  }
}

TEST_F(ScrollingTest, TheFastPaceStaysWhenThePointerComesBackNearTheAnchor) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  pointer = kAnchor + QPoint(0, 80);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 10);
  pointer = kAnchor + QPoint(0, 10);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 10);
  pointer = kAnchor;
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 10);
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 16));
  // Another rule firing sets the pace again.
  pointer = kAnchor + QPoint(0, -30);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
  // Only a stop brings back the slow pace otherwise.
  pointer = kAnchor + QPoint(0, 80);
  form->PreviewArea().ScrollTick();
  form->PreviewArea().StopScroll();
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
}

TEST_F(ScrollingTest, TimerTicksScrollTheActivePreview) {
  SetPosition(Box(), kStartPosition);
  // Due at once, so that handling pending events runs one tick without waiting.
  form->PreviewArea().ScrollTimer->setInterval(0);
  Press(Preview());
  pointer = kAnchor + QPoint(0, 30);
  QCoreApplication::processEvents();
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 200);
}

TEST_F(ScrollingTest, ThePointerIsReadAgainBeforeEveryTest) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  // Right of the anchor at the first look, far left of it from then on.
  int reads = 0;
  form->PreviewArea().PointerPosition = [&reads] {
    return kAnchor + QPoint(reads++ == 0 ? 80 : -80, 0);
  };
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), kStartPosition);  // 8 right, then 8 left
  EXPECT_EQ(form->PreviewArea().ScrollTimer->interval(), 10);
  EXPECT_GT(reads, 2);
}

TEST_F(ScrollingTest, ReleasingTheButtonChangesNothing) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  Release(Preview());
  EXPECT_TRUE(form->PreviewArea().Scrolling);
  EXPECT_EQ(form->PreviewArea().PressCount, 1);
  EXPECT_TRUE(form->PreviewArea().ScrollTimer->isActive());
  EXPECT_TRUE(form->PreviewArea().Marker()->isVisible());
  pointer = kAnchor + QPoint(0, 30);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
}

TEST_F(ScrollingTest, SecondPressStopsAtTheNextTickAndAThirdStartsAgain) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  pointer = kAnchor + QPoint(40, 60);
  Press(Preview());
  EXPECT_EQ(form->PreviewArea().PressCount, 2);
  EXPECT_EQ(QPoint(form->PreviewArea().AnchorX, form->PreviewArea().AnchorY), pointer);
  EXPECT_EQ(form->PreviewArea().Marker()->pos(), QPoint(320, 477));
  EXPECT_TRUE(form->PreviewArea().Marker()->isVisible());
  pointer += QPoint(0, 80);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), kStartPosition);
  ExpectIdle();

  Press(Preview());
  EXPECT_TRUE(form->PreviewArea().Scrolling);
  EXPECT_EQ(form->PreviewArea().PressCount, 1);
  EXPECT_TRUE(form->PreviewArea().ScrollTimer->isActive());
  EXPECT_TRUE(form->PreviewArea().Marker()->isVisible());
  pointer += QPoint(0, 30);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
}

TEST_F(ScrollingTest, PressOnTheIndicatorStopsAtOnce) {
  Press(Preview());
  pointer = kAnchor + QPoint(0, 80);
  form->PreviewArea().ScrollTick();
  Press(form->PreviewArea().MarkerImage());
  ExpectIdle();
  const QPoint stopped = Position();
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), stopped);
}

TEST_F(ScrollingTest, ChangingTabsStopsAndTheNewPreviewStaysPut) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  pointer = kAnchor + QPoint(80, 80);
  form->PreviewArea().ScrollTick();
  form->PreviewTabs->setCurrentWidget(Child<QWidget>(form, "SheetTab4"));
  ExpectIdle();
  const QPoint before = Position(Child<QScrollArea>(form, "ScrollBox4"));
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(Child<QScrollArea>(form, "ScrollBox4")), before);
  EXPECT_EQ(Position(), kStartPosition + QPoint(8, 8));
}

TEST_F(ScrollingTest, EveryTabScrollsItsOwnPreview) {
  struct Tab {
    QWidget* sheet;
    QScrollArea* box;
    TImage* image;
  };
  // Each tab with its own scroll box and preview, by the names they carry.
  const char* const images[] = {"Preview1", "Preview2", "Preview3",
                                "Preview4", "Preview5", "Preview6"};
  std::vector<Tab> tabs;
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i + 1);
    tabs.push_back({Child<QWidget>(form, ("SheetTab" + n).c_str()),
                    Child<QScrollArea>(form, ("ScrollBox" + n).c_str()),
                    Child<TImage>(form, images[i])});
  }
  for (const Tab& tab : tabs) {
    SCOPED_TRACE(tab.sheet->objectName().toStdString());
    form->PreviewTabs->setCurrentWidget(tab.sheet);
    QCoreApplication::processEvents();
    std::vector<QPoint> before;
    for (const Tab& other : tabs) before.push_back(Position(other.box));
    pointer = kAnchor;
    Press(tab.image);
    EXPECT_TRUE(form->PreviewArea().Scrolling);
    pointer = kAnchor + QPoint(0, 30);
    form->PreviewArea().ScrollTick();
    for (size_t i = 0; i < tabs.size(); ++i) {
      const QPoint expected = before[i] + (tabs[i].box == tab.box ? QPoint(0, 8) : QPoint());
      EXPECT_EQ(Position(tabs[i].box), expected) << i;
    }
    form->PreviewArea().StopScroll();
  }
}

TEST_F(ScrollingTest, EachWheelNotchMovesTheActivePreviewEightPixelsWhereverThePointerIs) {
  QWidget* const places[] = {Box()->viewport(),
                             Preview(),
                             Box()->verticalScrollBar(),
                             form->PreviewTabs->tabBar(),
                             form->CommandPanel,
                             form->Heading1Box,
                             form};
  for (QWidget* place : places) {
    SCOPED_TRACE(place->metaObject()->className());
    SetPosition(Box(), kStartPosition);
    Wheel(place, -120);
    EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
    Wheel(place, 120);
    Wheel(place, 120);
    EXPECT_EQ(Position(), kStartPosition - QPoint(0, 8));
    EXPECT_EQ(form->PreviewTabs->currentWidget(), Child<QWidget>(form, "SheetTab3"));
  }
}

TEST_F(ScrollingTest, WheelMovesWhilePressAndHoldScrollingGoesOn) {
  SetPosition(Box(), kStartPosition);
  Press(Preview());
  Wheel(Box()->viewport(), -120);
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 8));
  EXPECT_TRUE(form->PreviewArea().Scrolling);
  EXPECT_EQ(form->PreviewArea().PressCount, 1);
  pointer = kAnchor + QPoint(0, 30);
  form->PreviewArea().ScrollTick();
  EXPECT_EQ(Position(), kStartPosition + QPoint(0, 16));
}

struct WheelCase {
  const char* name;
  std::vector<int> angles;  // one wheel event each
  int moved;
};

TEST_F(ScrollingTest, WheelCountsWholeNotches) {
  const WheelCase cases[] = {
      {"two notches in one event", {-240}, 16},
      {"half notches add up", {-60, -60}, 8},
      {"a part notch alone does nothing", {-60}, 0},
      {"a turn back drops the part kept", {-60, 60, -60}, 0},
      {"up by parts", {40, 40, 40, 40}, -8},
  };
  for (const WheelCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetPosition(Box(), kStartPosition);
    for (int angle : c.angles) Wheel(Box()->viewport(), angle);
    EXPECT_EQ(Position(), kStartPosition + QPoint(0, c.moved));
    // Leave no part notch behind for the next case.
    Wheel(Box()->viewport(), 120);
    Wheel(Box()->viewport(), -120);
  }
}

TEST_F(ScrollingTest, WheelMovesTheVisibleTabsPreviewOnly) {
  form->PreviewTabs->setCurrentWidget(Child<QWidget>(form, "SheetTab6"));
  QCoreApplication::processEvents();
  SetPosition(Box(), kStartPosition);
  SetPosition(Child<QScrollArea>(form, "ScrollBox6"), kStartPosition);
  Wheel(Child<QScrollArea>(form, "ScrollBox6")->viewport(), -120);
  EXPECT_EQ(Position(Child<QScrollArea>(form, "ScrollBox6")), kStartPosition + QPoint(0, 8));
  EXPECT_EQ(Position(), kStartPosition);
}

}  // namespace
}  // namespace tamariko::testing
