#include "window/preview_area.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <utility>

#include "app/papers.h"
#include "core/paper.h"
#include "window/design.h"
#include "window/message_box.h"
#include "window/timage.h"

namespace tamariko {
namespace {

constexpr int kNotch = 120;         // one notch of an ordinary mouse wheel, in eighths of a degree
constexpr int kSettleDelay = 150;   // ms a resized window waits before the pages are drawn
constexpr int kStep = 8;            // pixels per timer tick and per wheel notch
constexpr int kSlowInterval = 200;  // milliseconds
constexpr int kMediumInterval = 100;
constexpr int kFastInterval = 10;

QToolButton* ZoomButton(QWidget* parent, const char* name, const QString& text,
                        const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setText(text);
  button->setToolTip(tip);
  button->setCheckable(true);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

void ScrollBy(QScrollBar* bar, int pixels) {
  // The scroll bar keeps the value within its range.
  bar->setValue(bar->value() + pixels);
}

void SetInterval(QTimer* timer, int milliseconds) {
  // Setting a running timer restarts it: leave it alone when nothing changes.
  if (timer->interval() != milliseconds) timer->setInterval(milliseconds);
}

}  // namespace

// A scroll box that changes size (the window resized) fits the page again.
class TPreviewArea::ZoomFilter : public QObject {
 public:
  explicit ZoomFilter(TPreviewArea* area) : QObject(area), Area(area) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize && Area->Zoom.fit != PreviewZoom::Fit::None) {
      Guarded(Area->Parts_.window, [this] { Area->ApplyZoom(std::nullopt, kSettleDelay); });
    }
    return false;
  }

 private:
  TPreviewArea* Area;
};

// Sees every wheel event meant for a widget of the main window before that widget does, so
// that the scroll boxes and the tab bar do not scroll by steps of their own.
class TPreviewArea::WheelFilter : public QObject {
 public:
  explicit WheelFilter(TPreviewArea* area) : QObject(area), Area(area) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != Area->Parts_.window) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    // A sideways tilt is no turn up or down: the widget under the pointer deals with it.
    if (wheel->angleDelta().y() == 0 && wheel->pixelDelta().y() == 0) return false;
    // With Ctrl held the wheel zooms the previews.
    if (wheel->modifiers() & Qt::ControlModifier) {
      Area->ZoomWheel(wheel->angleDelta().y(), wheel->globalPosition().toPoint());
    } else {
      Area->MouseWheel(wheel->angleDelta().y());
    }
    wheel->accept();
    return true;
  }

 private:
  TPreviewArea* Area;
};

TPreviewArea::TPreviewArea(const Parts& parts, std::function<void()> redraw,
                           std::function<void(bool)> answersTicked)
    : Parts_(parts),
      Redraw(std::move(redraw)),
      AnswersTicked(std::move(answersTicked)),
      Previews(parts.window) {
  ScrollTimer = new QTimer(this);
  ScrollTimer->setObjectName(QStringLiteral("ScrollTimer"));
  ScrollTimer->setInterval(kSlowInterval);
  RedrawTimer = new QTimer(this);
  RedrawTimer->setSingleShot(true);
  connect(RedrawTimer, &QTimer::timeout, this, [this] { Guarded(Parts_.window, Redraw); });
  BuildZoomControls();
  ZoomWatch = new ZoomFilter(this);
  // (Each preview starts the scrolling as its tab is built.)
  connect(Parts_.markerImage, &TImage::mouseDown, this, [this] { StopScroll(); });
  connect(ScrollTimer, &QTimer::timeout, this, [this] { ScrollTick(); });
  connect(Parts_.tabs, &QTabWidget::currentChanged, this, [this] { StopScroll(); });
  qApp->installEventFilter(new WheelFilter(this));
}

void TPreviewArea::BuildTabs(const TPaper& paper, bool answers) {
  const QSize size = PreviewSizeAt(Previews.Zoom());
  QWidget* opening = nullptr;
  const std::vector<SheetInfo> sheets = SheetsWithAnswerTable(paper);
  const std::size_t problemSheets = ProblemSheets(paper).size();
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const SheetInfo& sheet = sheets[i];
    const int place = static_cast<int>(i) + 1;  // the names of its controls
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("SheetTab%1").arg(place));
    auto* layout = new QVBoxLayout(tab);
    layout->setObjectName(QStringLiteral("SheetTab%1Layout").arg(place));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* box = new QScrollArea(tab);
    box->setObjectName(QStringLiteral("ScrollBox%1").arg(place));
    box->setProperty("color", QColor(239, 239, 222));
    box->setFrameShape(QFrame::NoFrame);
    box->setWidgetResizable(false);
    auto* image = new TImage;
    image->setObjectName(QStringLiteral("Preview%1").arg(place));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setGeometry(0, 0, size.width(), size.height());
    // A blank sheet until one is drawn, where a printer of no offsets puts it.
    image->ShowAsSheet(PageInPreview(PreviewMapping({300, 300}, {0, 0})));
    box->setWidget(image);
    layout->addWidget(box);
    ApplyDesign(tab);
    // The grey the sheet lies on, also around it where the box is larger.
    QPalette surround = box->viewport()->palette();
    surround.setColor(QPalette::Window, QColor(128, 128, 128));
    box->viewport()->setPalette(surround);
    box->viewport()->setAutoFillBackground(true);
    Parts_.tabs->addTab(tab, sheet.Label());
    connect(image, &TImage::mouseDown, this, [this] { StartScroll(); });
    box->installEventFilter(ZoomWatch);
    QCheckBox* answersBox = nullptr;
    if (i >= problemSheets) {
      answersBox = new QCheckBox(QStringLiteral("答えを表示"), tab);
      answersBox->setObjectName(QStringLiteral("AnswersBox%1").arg(place));
      answersBox->setChecked(answers);
      answersBox->setToolTip(
          QStringLiteral("画面の見本に答えを書き込みます（印刷には関係しません）"));
      layout->insertWidget(0, answersBox);
      connect(answersBox, &QCheckBox::toggled, this, [this](bool shown) {
        Guarded(Parts_.window, [this, shown] { AnswersTicked(shown); });
      });
    }
    Views.push_back({sheet.key, tab, box, image, answersBox});
    // The window opens on the first sheet ticked at first.
    if (!opening && paper.firstTicked.contains(sheet.key)) opening = tab;
  }
  if (opening) Parts_.tabs->setCurrentWidget(opening);
  ApplyZoom(std::nullopt, 0);
}

void TPreviewArea::RemoveTabs() {
  StopScroll();
  Previews.Forget();
  // Out of reach before anything goes: deleting a tab shows the next one, whose pending
  // resize would reach the zoom (and a tab change the scrolling) on views half deleted.
  const std::vector<SheetView> gone = std::exchange(Views, {});
  const QSignalBlocker tabs(Parts_.tabs);
  for (const SheetView& view : gone) view.box->removeEventFilter(ZoomWatch);
  for (const SheetView& view : gone) delete view.tab;
}

TImage* TPreviewArea::Preview(const QString& key) const {
  for (const SheetView& view : Views) {
    if (view.key == key) return view.image;
  }
  return nullptr;
}

QCheckBox* TPreviewArea::AnswersBox(const QString& key) const {
  for (const SheetView& view : Views) {
    if (view.key == key) return view.answers;
  }
  return nullptr;
}

void TPreviewArea::TickAnswers(bool shown) {
  for (const SheetView& view : Views) {
    if (view.answers) {
      const QSignalBlocker block(view.answers);
      view.answers->setChecked(shown);
    }
  }
}

void TPreviewArea::BuildZoomControls() {
  QStatusBar* line = Parts_.statusLine;
  auto* controls = new QWidget(line);
  auto* row = new QHBoxLayout(controls);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  ZoomPageButton = ZoomButton(controls, "ZoomPageButton", QStringLiteral("全体"),
                              QStringLiteral("用紙の全体を表示します"));
  ZoomWidthButton = ZoomButton(controls, "ZoomWidthButton", QStringLiteral("幅に合わせる"),
                               QStringLiteral("用紙の幅に合わせて表示します"));
  ZoomActualButton = ZoomButton(controls, "ZoomActualButton", QStringLiteral("100%"),
                                QStringLiteral("100% で表示します (Ctrl+0)"));
  ZoomLabel = new QLabel(controls);
  ZoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
  ZoomLabel->setToolTip(
      QStringLiteral("表示の倍率：Ctrl++ で拡大、Ctrl+- で縮小、"
                     "Ctrl+ホイールでも変えられます"));
  // Wide enough for "200%", so the buttons do not move as the number changes.
  ZoomLabel->setMinimumWidth(ZoomLabel->fontMetrics().horizontalAdvance(QStringLiteral("200% ")));
  ZoomLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(ZoomLabel);
  row->addSpacing(6);
  row->addWidget(ZoomPageButton);
  row->addWidget(ZoomWidthButton);
  row->addWidget(ZoomActualButton);
  line->addPermanentWidget(controls);
  connect(ZoomPageButton, &QToolButton::clicked, this, [this] {
    SetZoom({PreviewZoom::Fit::Page, 100});
  });
  connect(ZoomWidthButton, &QToolButton::clicked, this, [this] {
    SetZoom({PreviewZoom::Fit::Width, 100});
  });
  connect(ZoomActualButton, &QToolButton::clicked, this, [this] { SetZoom({}); });

  QWidget* window = Parts_.window;
  const auto key = [this, window](const QKeySequence& keys, const std::function<void()>& act) {
    auto* shortcut = new QShortcut(keys, window);
    // A key some keyboards give as two of these (Ctrl++ and Ctrl+=) is ambiguous between
    // them, and they do the same.
    connect(shortcut, &QShortcut::activated, this, [window, act] { Guarded(window, act); });
    connect(shortcut, &QShortcut::activatedAmbiguously, this,
            [window, act] { Guarded(window, act); });
  };
  // Ctrl++ is Ctrl+Shift+; or Ctrl+Shift+= on most keyboards: Ctrl+; and Ctrl+= too.
  for (const int plus : {Qt::Key_Plus, Qt::Key_Equal, Qt::Key_Semicolon}) {
    key(QKeySequence(Qt::CTRL | plus), [this] { ZoomIn(); });
  }
  key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), [this] { ZoomIn(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { ZoomOut(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { SetZoom({}); });
}

void TPreviewArea::ZoomIn(std::optional<QPoint> anchor) {
  SetZoom(PreviewZoom::In(ZoomPercent()), anchor);
}

void TPreviewArea::ZoomOut(std::optional<QPoint> anchor) {
  SetZoom(PreviewZoom::Out(ZoomPercent()), anchor);
}

void TPreviewArea::SetZoom(const PreviewZoom& zoom, std::optional<QPoint> anchor) {
  Zoom = zoom;
  ApplyZoom(anchor, 0);
}

void TPreviewArea::ApplyZoom(std::optional<QPoint> anchor, int redrawDelay) {
  if (Views.empty()) return;
  QScrollArea* shown = ActiveScrollBox() ? ActiveScrollBox() : Views.front().box;
  const int bar = shown->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, shown);
  const int percent = Zoom.PercentIn(shown->contentsRect().size(), bar);
  ZoomLabel->setText(QStringLiteral("%1%").arg(percent));
  ZoomPageButton->setChecked(Zoom.fit == PreviewZoom::Fit::Page);
  ZoomWidthButton->setChecked(Zoom.fit == PreviewZoom::Fit::Width);
  ZoomActualButton->setChecked(Zoom == PreviewZoom{});
  const QSize size = PreviewSizeAt(percent);
  if (percent == Previews.Zoom() && Views.front().image->size() == size) return;
  Previews.SetZoom(percent);
  for (const SheetView& built : Views) {
    QScrollArea* box = built.box;
    TImage* image = built.image;
    // The point of the page at the anchor (the middle of the box) stays there.
    const QSize view = box->viewport()->size();
    const QPoint at =
        anchor && box == shown ? *anchor : QPoint(view.width() / 2, view.height() / 2);
    // (The scroll box moves the page: its position holds the scrolling.)
    const QSize old = image->size();
    const QPointF page((at.x() - image->x()) / double(old.width()),
                       (at.y() - image->y()) / double(old.height()));
    image->resize(size);
    box->horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(page.x() * size.width() - at.x())));
    box->verticalScrollBar()->setValue(
        static_cast<int>(std::lround(page.y() * size.height() - at.y())));
  }
  RedrawTimer->start(redrawDelay);
}

void TPreviewArea::ZoomWheel(int angleDelta, QPoint global) {
  if ((ZoomAngle > 0 && angleDelta < 0) || (ZoomAngle < 0 && angleDelta > 0)) ZoomAngle = 0;
  ZoomAngle += angleDelta;
  std::optional<QPoint> anchor;
  if (QScrollArea* box = ActiveScrollBox()) {
    const QPoint at = box->viewport()->mapFromGlobal(global);
    if (box->viewport()->rect().contains(at)) anchor = at;
  }
  while (ZoomAngle >= kNotch) {
    ZoomAngle -= kNotch;
    ZoomIn(anchor);
  }
  while (ZoomAngle <= -kNotch) {
    ZoomAngle += kNotch;
    ZoomOut(anchor);
  }
}

QPoint TPreviewArea::Pointer() const {
  return PointerPosition ? PointerPosition() : QCursor::pos();
}

QScrollArea* TPreviewArea::ActiveScrollBox() const {
  for (const SheetView& view : Views) {
    if (Parts_.tabs->currentWidget() == view.tab) return view.box;
  }
  return nullptr;
}

void TPreviewArea::ScrollTick() {
  if (QScrollArea* box = ActiveScrollBox()) ScrollStep(box);
}

void TPreviewArea::StartScroll() {
  const QPoint pointer = Pointer();
  AnchorX = pointer.x();
  AnchorY = pointer.y();
  Scrolling = true;
  // Measured from the window's outer corner, frame included, so the arrows sit by the
  // pointer.
  const QRect frame = Parts_.window->frameGeometry();
  Parts_.marker->move(AnchorX - frame.left() - 20, AnchorY - frame.top() - 33);
  // A second press keeps the tick schedule: the stop comes at the tick already due.
  if (!ScrollTimer->isActive()) ScrollTimer->start();
  ++PressCount;
  Parts_.marker->raise();
  Parts_.marker->show();
}

void TPreviewArea::ScrollStep(QScrollArea* box) {
  if (!Scrolling || PressCount != 1) {
    StopScroll();
    return;
  }
  // One axis at a time, the pointer read again before every test: the last threshold
  // passed sets the pace, vertical after horizontal.
  auto axis = [this](QScrollBar* bar, int anchor, auto coordinate) {
    if (coordinate(Pointer()) > anchor) {
      ScrollBy(bar, kStep);
      if (coordinate(Pointer()) - anchor > 25) SetInterval(ScrollTimer, kSlowInterval);
      if (coordinate(Pointer()) - anchor > 50) SetInterval(ScrollTimer, kMediumInterval);
      if (coordinate(Pointer()) - anchor > 75) SetInterval(ScrollTimer, kFastInterval);
    }
    if (coordinate(Pointer()) < anchor) {
      ScrollBy(bar, -kStep);
      if (coordinate(Pointer()) - anchor < -25) SetInterval(ScrollTimer, kSlowInterval);
      if (coordinate(Pointer()) - anchor < -50) SetInterval(ScrollTimer, kMediumInterval);
      if (coordinate(Pointer()) - anchor < -75) SetInterval(ScrollTimer, kFastInterval);
    }
  };
  axis(box->horizontalScrollBar(), AnchorX, [](QPoint p) { return p.x(); });
  axis(box->verticalScrollBar(), AnchorY, [](QPoint p) { return p.y(); });
}

void TPreviewArea::StopScroll() {
  ScrollTimer->setInterval(kSlowInterval);
  ScrollTimer->stop();
  PressCount = 0;
  Scrolling = false;
  Parts_.marker->hide();
}

// A wheel event here is one notch of the wheel. Qt may bring several notches in one event
// when the wheel spins fast, and fine-grained wheels and touchpads bring parts of a notch:
// every whole notch counts as one event, parts are kept until they make up a notch, and a
// turn the other way drops what was kept.
void TPreviewArea::MouseWheel(int angleDelta) {
  if ((WheelAngle > 0 && angleDelta < 0) || (WheelAngle < 0 && angleDelta > 0)) WheelAngle = 0;
  WheelAngle += angleDelta;
  while (WheelAngle >= kNotch) {
    WheelAngle -= kNotch;
    WheelUp();
  }
  while (WheelAngle <= -kNotch) {
    WheelAngle += kNotch;
    WheelDown();
  }
}

void TPreviewArea::WheelDown() {
  if (QScrollArea* box = ActiveScrollBox()) ScrollBy(box->verticalScrollBar(), kStep);
}

void TPreviewArea::WheelUp() {
  if (QScrollArea* box = ActiveScrollBox()) ScrollBy(box->verticalScrollBar(), -kStep);
}

}  // namespace tamariko
