#include "app/input_limits.h"

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <QToolTip>
#include <QValidator>
#include <cmath>
#include <vector>

#include "core/contest_header.h"
#include "core/error.h"
#include "platform/cups_spooler.h"
#include "platform/qpainter_canvas.h"

namespace tamariko {
namespace {

const HeadingPlace& PlaceOf(HeadingLine line) {
  switch (line) {
    case HeadingLine::First:
      return kHeading1Place;
    case HeadingLine::Second:
      return kHeading2Place;
    case HeadingLine::Organizer:
      break;
  }
  return kOrganizerPlace;
}

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

// Every printer is driven at kPrinterDpi, so the preview always has this scale; the page
// offsets only move the whole sheet.
PageMapping MeasuringMapping() { return PreviewMapping({kPrinterDpi, kPrinterDpi}, {0, 0}); }

// A page of the preview's density to measure on.
QImage MeasuringPage() {
  QImage page(1, 1, QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(std::lround(kPreviewDpi / 0.0254));
  page.setDotsPerMeterX(dotsPerMeter);
  page.setDotsPerMeterY(dotsPerMeter);
  return page;
}

QString HeadingRule(HeadingLine line) {
  if (line == HeadingLine::Organizer) {
    return QStringLiteral(
               "教室名は、用紙の下の枠外 (%1) に収まる長さまでです。空なら印刷しません。")
        .arg(HeadingRoom(line));
  }
  return QStringLiteral("%1は、用紙の「参加部門」の枠の手前まで (%2) に収まる長さまでです。")
      .arg(LineName(line), HeadingRoom(line));
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
  HeadingValidator(QLineEdit* box, HeadingLine line) : QValidator(box), box_(box), line_(line) {}
  State validate(QString& input, int& pos) const override {
    if (HeadingFits(line_, input)) return Acceptable;
    input = FittingHeading(line_, input);
    pos = std::min(pos, static_cast<int>(input.size()));
    ShowWhy(box_, HeadingRule(line_) + QStringLiteral("\n入りきらない部分を切りました。"));
    return Acceptable;
  }

 private:
  QLineEdit* box_;
  HeadingLine line_;
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

bool HeadingFits(HeadingLine line, const QString& text) {
  if (QGuiApplication::instance() == nullptr)
    throw Error("見出しの幅は測れません (no application)");
  QImage page = MeasuringPage();
  QPainterCanvas canvas(&page);
  return HeadingFits(canvas, MeasuringMapping(), PlaceOf(line), text);
}

QString FittingHeading(HeadingLine line, const QString& text) {
  if (HeadingFits(line, text)) return text;
  // Cut only between characters as the reader sees them, never inside one.
  std::vector<qsizetype> ends{0};
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  while (finder.toNextBoundary() > 0) ends.push_back(finder.position());
  std::size_t fits = 0;  // ends[fits] fits, ends.back() does not
  std::size_t over = ends.size() - 1;
  while (over - fits > 1) {
    const std::size_t middle = (fits + over) / 2;
    (HeadingFits(line, text.left(ends[middle])) ? fits : over) = middle;
  }
  return text.left(ends[fits]);
}

QString HeadingRoom(HeadingLine line) {
  const HeadingPlace& place = PlaceOf(line);
  return QStringLiteral("幅 %1 mm、%2 ポイント%3")
      .arg(static_cast<int>(place.endX - place.x))
      .arg(place.points)
      .arg(place.bold ? QStringLiteral("太字") : QString());
}

std::optional<QString> RefusedHeading(const QString& heading1, const QString& heading2,
                                      const QString& organizer) {
  const struct {
    const char* option;
    const QString& text;
    HeadingLine line;
  } headings[] = {{"--heading1", heading1, HeadingLine::First},
                  {"--heading2", heading2, HeadingLine::Second},
                  {"--organizer", organizer, HeadingLine::Organizer}};
  for (const auto& h : headings) {
    if (HeadingFits(h.line, h.text)) continue;
    const HeadingPlace& place = PlaceOf(h.line);
    const bool heading = h.line != HeadingLine::Organizer;
    return QStringLiteral(
               "%1: %2が長すぎます。%3入るのは「%4」までです (too long: the %5 "
               "must fit the %6 mm %7 at %8 pt)")
        .arg(QLatin1String(h.option), heading ? QStringLiteral("見出し") : LineName(h.line),
             HeadingRule(h.line), FittingHeading(h.line, h.text),
             heading ? QStringLiteral("heading") : QStringLiteral("organizer"))
        .arg(static_cast<int>(place.endX - place.x))
        .arg(heading ? QStringLiteral("before the division box")
                     : QStringLiteral("under the frame"))
        .arg(place.points);
  }
  return std::nullopt;
}

void LimitRoundBox(QLineEdit* box) {
  box->setValidator(new RoundValidator(box));
  box->setToolTip(RoundRule());
  QObject::connect(box, &QLineEdit::inputRejected, box, [box] { ShowWhy(box, RoundRule()); });
}

void LimitHeadingBox(QLineEdit* box, HeadingLine line) {
  box->setValidator(new HeadingValidator(box, line));
  box->setToolTip(HeadingRule(line));
}

}  // namespace tamariko
