#include "window/heading_boxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>
#include <QValidator>
#include <algorithm>
#include <utility>

namespace tamariko {
namespace {

void ShowWhy(QLineEdit* box, const QString& why) {
  QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), why, box);
}

class RoundValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    const std::optional<QString> round = RoundOfText(input);
    if (!round) return Invalid;
    input = *round;  // one character for one: the cursor stays where it is
    return Acceptable;
  }
};

class HeadingValidator : public QValidator {
 public:
  HeadingValidator(QLineEdit* box, HeadingLine line, std::function<const TeacherPlaces&()> places)
      : QValidator(box), box_(box), line_(line), places_(std::move(places)) {}
  State validate(QString& input, int& pos) const override {
    const TeacherPlaces& places = places_();
    refused_ = RefusedIn(places, line_, input);
    if (!refused_.isEmpty()) return Invalid;
    if (HeadingFits(places, line_, input)) return Acceptable;
    input = FittingHeading(places, line_, input);
    pos = std::min(pos, static_cast<int>(input.size()));
    ShowHeadingNote(box_, Rule() + QStringLiteral("\n入りきらない部分を切りました。"));
    return Acceptable;
  }
  QString Rule() const { return HeadingRule(places_(), line_); }
  // Why the last text was refused.
  QString Refused() const { return refused_ + QStringLiteral("。"); }
  const TeacherPlaces& Places() const { return places_(); }

 private:
  QLineEdit* box_;
  HeadingLine line_;
  std::function<const TeacherPlaces&()> places_;
  mutable QString refused_;
};

}  // namespace

// The note of a heading box that cut a text: under the panel the boxes are on (so it covers
// neither heading box), over the preview, letting every click through, gone after a while.
void ShowHeadingNote(QLineEdit* box, const QString& why) {
  QWidget* window = box->window();
  QWidget* panel = box->parentWidget();
  auto* note = window->findChild<QLabel*>(QStringLiteral("HeadingNote"));
  if (!note) {
    note = new QLabel(window);
    note->setObjectName(QStringLiteral("HeadingNote"));
    note->setAttribute(Qt::WA_TransparentForMouseEvents);
    note->setForegroundRole(QPalette::ToolTipText);
    note->setBackgroundRole(QPalette::ToolTipBase);
    note->setPalette(QToolTip::palette());
    note->setAutoFillBackground(true);
    note->setFrameShape(QFrame::Box);
    note->setMargin(4);
    auto* timer = new QTimer(note);
    timer->setObjectName(QStringLiteral("HeadingNoteTimer"));
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, note, &QWidget::hide);
  }
  note->setText(why);
  note->adjustSize();
  const QPoint corner = box->mapTo(window, QPoint(0, 0));
  const int below = panel->mapTo(window, QPoint(0, panel->height())).y() + 2;
  note->move(std::max(0, std::min(corner.x(), window->width() - note->width())), below);
  note->raise();
  note->show();
  note->findChild<QTimer*>(QStringLiteral("HeadingNoteTimer"))->start(6000);
}

void LimitRoundBox(QLineEdit* box) {
  box->setValidator(new RoundValidator(box));
  box->setToolTip(RoundRule());
  QObject::connect(box, &QLineEdit::inputRejected, box, [box] { ShowWhy(box, RoundRule()); });
}

void LimitHeadingBox(QLineEdit* box, HeadingLine line,
                     std::function<const TeacherPlaces&()> places) {
  auto* validator = new HeadingValidator(box, line, std::move(places));
  box->setValidator(validator);
  box->setToolTip(validator->Rule());
  QObject::connect(box, &QLineEdit::inputRejected, box,
                   [box, validator] { ShowWhy(box, validator->Refused()); });
}

void RefitHeadingBox(QLineEdit* box, HeadingLine line) {
  const auto* validator = dynamic_cast<const HeadingValidator*>(box->validator());
  if (validator == nullptr) return;
  box->setToolTip(validator->Rule());
  QString why;
  const QString kept = CleanedHeading(validator->Places(), line, box->text(), &why);
  if (kept == box->text()) return;
  box->setText(kept);
  box->setCursorPosition(0);
  ShowHeadingNote(
      box, validator->Rule() + QStringLiteral("\nこの用紙には入りきらない部分を切りました。"));
}

}  // namespace tamariko
