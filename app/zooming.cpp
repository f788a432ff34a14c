// The zoom of the sheet previews of the main window: the controls at the right of the
// status line, Ctrl++, Ctrl+-, Ctrl+0 and Ctrl+wheel.

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "app/form1.h"
#include "app/message_box.h"
#include "app/timage.h"

namespace tamariko {
namespace {

constexpr int kNotch = 120;        // one notch of an ordinary mouse wheel
constexpr int kSettleDelay = 150;  // ms a resized window waits before the pages are drawn

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

}  // namespace

// A scroll box that changes size (the window resized) fits the page again.
class TForm1::ZoomFilter : public QObject {
 public:
  explicit ZoomFilter(TForm1* form) : QObject(form), Form(form) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize && Form->Zoom.fit != PreviewZoom::Fit::None) {
      Guarded(Form, [this] { Form->ApplyZoom(std::nullopt, kSettleDelay); });
    }
    return false;
  }

 private:
  TForm1* Form;
};

void TForm1::ConnectZoom() {
  RedrawTimer = new QTimer(this);
  RedrawTimer->setSingleShot(true);
  connect(RedrawTimer, &QTimer::timeout, this,
          [this] { Guarded(this, [this] { FollowScreen(); }); });

  auto* controls = new QWidget(StatusLine);
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
  StatusLine->addPermanentWidget(controls);
  connect(ZoomPageButton, &QToolButton::clicked, this, [this] {
    SetZoom({PreviewZoom::Fit::Page, 100});
  });
  connect(ZoomWidthButton, &QToolButton::clicked, this, [this] {
    SetZoom({PreviewZoom::Fit::Width, 100});
  });
  connect(ZoomActualButton, &QToolButton::clicked, this, [this] { SetZoom({}); });

  const auto key = [this](const QKeySequence& keys, const std::function<void()>& act) {
    auto* shortcut = new QShortcut(keys, this);
    // A key some keyboards give as two of these (Ctrl++ and Ctrl+=) is ambiguous between
    // them, and they do the same.
    connect(shortcut, &QShortcut::activated, this, [this, act] { Guarded(this, act); });
    connect(shortcut, &QShortcut::activatedAmbiguously, this, [this, act] { Guarded(this, act); });
  };
  // Ctrl++ is Ctrl+Shift+; or Ctrl+Shift+= on most keyboards: Ctrl+; and Ctrl+= too.
  for (const int plus : {Qt::Key_Plus, Qt::Key_Equal, Qt::Key_Semicolon}) {
    key(QKeySequence(Qt::CTRL | plus), [this] { ZoomIn(); });
  }
  key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), [this] { ZoomIn(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { ZoomOut(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { SetZoom({}); });

  ZoomWatch = new ZoomFilter(this);
  for (const SheetView& view : Views) view.box->installEventFilter(ZoomWatch);
  ApplyZoom(std::nullopt, 0);
}

void TForm1::ZoomIn(std::optional<QPoint> anchor) {
  SetZoom(PreviewZoom::In(ZoomPercent()), anchor);
}

void TForm1::ZoomOut(std::optional<QPoint> anchor) {
  SetZoom(PreviewZoom::Out(ZoomPercent()), anchor);
}

void TForm1::SetZoom(const PreviewZoom& zoom, std::optional<QPoint> anchor) {
  Zoom = zoom;
  ApplyZoom(anchor, 0);
}

void TForm1::ApplyZoom(std::optional<QPoint> anchor, int redrawDelay) {
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

void TForm1::ZoomWheel(int angleDelta, QPoint global) {
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

}  // namespace tamariko
