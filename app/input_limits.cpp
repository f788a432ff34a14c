#include "app/input_limits.h"

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cmath>

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

}  // namespace

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

QString RefusedIn(const TeacherPlaces& places, HeadingLine line, const QString& text) {
  const HeadingPlace& place = PlaceOf(places, line);
  return Measured([&](TCanvas& c) { return RefusedCharacter(c, place, text); });
}

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

QString RefusedAt(const HeadingPlace& place, const QString& text) {
  return Measured([&](TCanvas& c) {
    QString why = RefusedCharacter(c, place, text);
    if (why.isEmpty() && FittingPoints(c, place, text) == 0) {
      why = QStringLiteral("長すぎます。%1 (幅 %2 mm) に %3 ポイントで入るのは「%4」までです")
                .arg(QString::fromUtf16(place.room))
                .arg(static_cast<int>(place.endX - place.x))
                .arg(place.smallestPoints)
                .arg(FittingText(c, place, text));
    }
    return why;
  });
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
    const QString refused = RefusedIn(places, h.line, h.text);
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

}  // namespace tamariko
