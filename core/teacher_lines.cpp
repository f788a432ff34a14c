#include "core/teacher_lines.h"

#include <QStringList>
#include <QStringView>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <vector>

namespace tamariko {
namespace {

// Ink may start a little left of the text's edge (a mark hung before its base).
constexpr long double kLeftSlackMm = 1;

// The text's characters as the reader sees them: a base with its marks.
std::vector<QString> Characters(const QString& text) {
  std::vector<QString> characters;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  qsizetype start = 0;
  while (finder.toNextBoundary() > 0) {
    characters.push_back(text.mid(start, finder.position() - start));
    start = finder.position();
  }
  return characters;
}

bool IsControl(const QString& character) {
  for (const char32_t c : QStringView(character).toUcs4()) {
    switch (QChar::category(c)) {
      case QChar::Other_Control:
      case QChar::Other_Format:
      case QChar::Separator_Line:
      case QChar::Separator_Paragraph:
        return true;
      default:
        break;
    }
  }
  return false;
}

QString CodeOf(const QString& character) {
  QStringList codes;
  for (const char32_t c : QStringView(character).toUcs4())
    codes << QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
  return codes.join(u' ');
}

void UseFont(TCanvas& canvas, int points, bool bold) {
  canvas.SetFontName(kLabelFace);
  canvas.SetFontSize(points);
  canvas.SetFontBold(bold);
}

bool InkFits(TCanvas& canvas, const HeadingPlace& place, int points, const QString& text) {
  UseFont(canvas, points, place.bold);
  const TextInk ink = canvas.InkOf(text);
  if (!ink.missing.isEmpty()) return false;
  if (ink.box.isEmpty()) return true;
  const auto left = static_cast<long double>(ink.box.left());
  const auto right = static_cast<long double>(ink.box.right());
  const auto top = static_cast<long double>(ink.box.top());
  const auto bottom = static_cast<long double>(ink.box.bottom());
  return place.x + left >= place.x - kLeftSlackMm && place.x + right <= place.endX &&
         place.y + top >= place.top && place.y + bottom <= place.bottom;
}

// Why one character cannot stand there, or empty.
QString RefusedOne(TCanvas& canvas, const HeadingPlace& place, const QString& character) {
  if (IsControl(character)) {
    return QStringLiteral("制御文字 %1 は使えません").arg(CodeOf(character));
  }
  const QString shown = QStringLiteral("「%1」(%2)").arg(character, CodeOf(character));
  UseFont(canvas, place.points, place.bold);
  const TextInk ink = canvas.InkOf(character);
  if (!ink.missing.isEmpty()) {
    return QStringLiteral("%1 は用紙の書体にない文字なので使えません").arg(shown);
  }
  // Its height does not change with the size below: measured at the largest.
  const long double top = place.y + static_cast<long double>(ink.box.top());
  const long double bottom = place.y + static_cast<long double>(ink.box.bottom());
  if (!ink.box.isEmpty() && (top < place.top || bottom > place.bottom)) {
    return QStringLiteral("%1 は記号が重なりすぎて行に収まらないので使えません").arg(shown);
  }
  return {};
}

}  // namespace

QString RefusedCharacter(TCanvas& canvas, const HeadingPlace& place, const QString& text) {
  for (const QString& character : Characters(text)) {
    if (QString why = RefusedOne(canvas, place, character); !why.isEmpty()) return why;
  }
  return {};
}

QString WithoutRefused(TCanvas& canvas, const HeadingPlace& place, const QString& text) {
  QString kept;
  for (const QString& character : Characters(text)) {
    if (RefusedOne(canvas, place, character).isEmpty()) kept += character;
  }
  return kept;
}

int FittingPoints(TCanvas& canvas, const HeadingPlace& place, const QString& text) {
  for (int points = place.points; points >= place.smallestPoints; --points) {
    if (InkFits(canvas, place, points, text)) return points;
  }
  return 0;
}

QString FittingText(TCanvas& canvas, const HeadingPlace& place, const QString& text) {
  if (FittingPoints(canvas, place, text) > 0) return text;
  std::vector<qsizetype> ends{0};
  qsizetype end = 0;
  for (const QString& character : Characters(text)) ends.push_back(end += character.size());
  std::size_t fits = 0;  // ends[fits] fits, ends.back() does not
  std::size_t over = ends.size() - 1;
  while (over - fits > 1) {
    const std::size_t middle = (fits + over) / 2;
    (FittingPoints(canvas, place, text.left(ends[middle])) > 0 ? fits : over) = middle;
  }
  return text.left(ends[fits]);
}

void DrawTeacherLine(SheetDrawer& d, const HeadingPlace& place, const QString& text) {
  TCanvas& canvas = d.Canvas();
  QString shown = text;
  int points = FittingPoints(canvas, place, shown);
  if (points == 0) {
    // Only a text that no window or option let through: what of it can stand there.
    shown = FittingText(canvas, place, WithoutRefused(canvas, place, text));
    points = std::max(place.smallestPoints, FittingPoints(canvas, place, shown));
  }
  d.Font(points, place.bold);
  d.Text(place.x, place.y, shown);
  d.Font(place.points, place.bold);  // what comes after is drawn as it always was
}

}  // namespace tamariko
