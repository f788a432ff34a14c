#include "app/input_limits.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>
#include <QToolTip>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <utility>

#include "core/contest_header.h"
#include "core/error.h"
#include "platform/qpainter_canvas.h"

namespace tamariko {
namespace {

QString LineName(HeadingLine line) {
  switch (line) {
    case HeadingLine::First:
      return QStringLiteral("上の見出し");
    case HeadingLine::Second:
      return QStringLiteral("大きな見出し");
    case HeadingLine::Organizer:
      break;
  }
  return QStringLiteral("教室名");
}

// A page of the preview's density to measure on; the ink is measured as printed, whatever
// the device.
QImage MeasuringPage() {
  QImage page(1, 1, QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(std::lround(kPreviewDpi / 0.0254));
  page.setDotsPerMeterX(dotsPerMeter);
  page.setDotsPerMeterY(dotsPerMeter);
  return page;
}

// Runs `measure` on a canvas of the measuring page.
template <typename Measure>
auto Measured(Measure measure) {
  if (QGuiApplication::instance() == nullptr)
    throw Error("見出しの幅は測れません (no application)");
  QImage page = MeasuringPage();
  QPainterCanvas canvas(&page);
  return measure(canvas);
}

QString HeadingRule(const TeacherPlaces& places, HeadingLine line) {
  const HeadingPlace& place = PlaceOf(places, line);
  if (line == HeadingLine::Organizer) {
    return QStringLiteral(
               "教室名は、%1 (%2) に収まる長さまでです。長い名前は %3 ポイントまで小さくして"
               "印刷します。空なら印刷しません。")
        .arg(QString::fromUtf16(place.room), HeadingRoom(places, line))
        .arg(place.smallestPoints);
  }
  return QStringLiteral("%1は、%2 (%3) に収まる長さまでです。")
      .arg(LineName(line), QString::fromUtf16(place.room), HeadingRoom(places, line));
}

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
    const HeadingPlace& place = PlaceOf(places, line_);
    refused_ = Measured([&](TCanvas& c) { return RefusedCharacter(c, place, input); });
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

QString RoundRule() {
  return QStringLiteral("第○回の回数は、数字%1桁まで (0〜99) です。").arg(kRoundDigits);
}

std::optional<QString> RoundOfText(const QString& text) {
  if (text.size() > kRoundDigits) return std::nullopt;
  QString round;
  for (const QChar c : text) {
    if (c >= u'0' && c <= u'9') {
      round += c;
    } else if (c >= u'０' && c <= u'９') {
      round += QChar(u'0' + (c.unicode() - u'０'));
    } else {
      return std::nullopt;
    }
  }
  return round;
}

const HeadingPlace& PlaceOf(const TeacherPlaces& places, HeadingLine line) {
  switch (line) {
    case HeadingLine::First:
      return places.heading1;
    case HeadingLine::Second:
      return places.heading2;
    case HeadingLine::Organizer:
      break;
  }
  return places.organizer;
}

bool HeadingFits(const TeacherPlaces& places, HeadingLine line, const QString& text) {
  const HeadingPlace& place = PlaceOf(places, line);
  return Measured([&](TCanvas& c) {
    return RefusedCharacter(c, place, text).isEmpty() && FittingPoints(c, place, text) > 0;
  });
}

QString FittingHeading(const TeacherPlaces& places, HeadingLine line, const QString& text) {
  const HeadingPlace& place = PlaceOf(places, line);
  return Measured([&](TCanvas& c) { return FittingText(c, place, text); });
}

QString HeadingRoom(const TeacherPlaces& places, HeadingLine line) {
  const HeadingPlace& place = PlaceOf(places, line);
  const QString points = place.smallestPoints < place.points
                             ? QStringLiteral("%1〜%2").arg(place.points).arg(place.smallestPoints)
                             : QString::number(place.points);
  return QStringLiteral("幅 %1 mm、%2 ポイント%3")
      .arg(static_cast<int>(place.endX - place.x))
      .arg(points)
      .arg(place.bold ? QStringLiteral("太字") : QString());
}

QString CleanedHeading(const TeacherPlaces& places, HeadingLine line, const QString& text,
                       QString* why) {
  const HeadingPlace& place = PlaceOf(places, line);
  QStringList said;
  QString kept = text;
  Measured([&](TCanvas& c) {
    if (const QString refused = RefusedCharacter(c, place, kept); !refused.isEmpty()) {
      said << refused + QStringLiteral("。使えない文字を除きました");
      kept = WithoutRefused(c, place, kept);
    }
    if (FittingPoints(c, place, kept) == 0) {
      kept = FittingText(c, place, kept);
      said << QStringLiteral("入りきらない部分を切りました");
    }
    return 0;
  });
  if (why) {
    *why = said.isEmpty() ? QString()
                          : QStringLiteral("設定ファイルの%1: %2。")
                                .arg(LineName(line), said.join(QStringLiteral("。")));
  }
  return kept;
}

std::optional<QString> RefusedHeading(const TeacherPlaces& places, const QString& heading1,
                                      const QString& heading2, const QString& organizer) {
  const struct {
    const char* option;
    const QString& text;
    HeadingLine line;
  } headings[] = {{"--heading1", heading1, HeadingLine::First},
                  {"--heading2", heading2, HeadingLine::Second},
                  {"--organizer", organizer, HeadingLine::Organizer}};
  for (const auto& h : headings) {
    const HeadingPlace& place = PlaceOf(places, h.line);
    const QString refused =
        Measured([&](TCanvas& c) { return RefusedCharacter(c, place, h.text); });
    if (!refused.isEmpty()) {
      return QStringLiteral("%1: %2 (a character that cannot be printed there)")
          .arg(QLatin1String(h.option), refused);
    }
    if (HeadingFits(places, h.line, h.text)) continue;
    const bool heading = h.line != HeadingLine::Organizer;
    return QStringLiteral(
               "%1: %2が長すぎます。%3入るのは「%4」までです (too long: the %5 "
               "must fit the %6 mm %7 at %8 pt)")
        .arg(QLatin1String(h.option), heading ? QStringLiteral("見出し") : LineName(h.line),
             HeadingRule(places, h.line), FittingHeading(places, h.line, h.text),
             heading ? QStringLiteral("heading") : QStringLiteral("organizer"))
        .arg(static_cast<int>(place.endX - place.x))
        .arg(heading ? QStringLiteral("before the boxes") : QStringLiteral("at the foot"))
        .arg(place.smallestPoints);
  }
  return std::nullopt;
}

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
