#include "app/versions.h"

#include <QRandomGenerator>

#include "core/random.h"

namespace tamariko {

std::uint32_t FreshPaperNumber() {
  // Not the last number + 1: that is the next paper's version B.
  return QRandomGenerator::system()->generate();
}

std::optional<std::uint32_t> ReadPaperNumber(const QString& text) {
  QString digits;
  for (const QChar c : text.trimmed()) {
    if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) {
      digits += QChar(u'0' + (c.unicode() - 0xFF10));
    } else {
      digits += c;
    }
  }
  bool ok = false;
  const qulonglong value = digits.toULongLong(&ok);
  if (!ok || digits.isEmpty() || value > 0xFFFFFFFFull || !digits.front().isDigit()) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

QString VersionLabel(int index) {
  if (index >= 0 && index < 26) return QString(QChar(0xFF21 + index)) + QStringLiteral("版");
  return QString::number(index + 1) + QStringLiteral("版");
}

QString PaperMark(std::uint32_t number, std::optional<int> version) {
  QString mark = QStringLiteral("問題番号 ") + QString::number(number);
  if (version) mark += QStringLiteral("　") + VersionLabel(*version);
  return mark;
}

QString VersionsFileStem(const TPaper& paper, int count) {
  QString name = paper.name;
  name.remove(QLatin1Char(' '));
  const QString last = count <= 26 ? QString(QChar(u'A' + count - 1)) : QString::number(count);
  return name + QStringLiteral("_A-") + last;
}

std::unique_ptr<TWorkbook> MakePaper(const TSheetTexts* texts, const TPaper& paper,
                                     std::uint32_t number, const SheetChoice& made,
                                     const QString& mark, const TWorkbook::ShowPreview& show) {
  SetRandomSeed(number);
  auto book = std::make_unique<TWorkbook>(texts, &paper);
  book->SetMarkText(mark);
  book->MakeProblems(made, show);
  return book;
}

std::vector<VersionPage> VersionOrder(const std::vector<SheetRef>& chosen, int versions) {
  std::vector<VersionPage> order;
  for (const bool answers : {false, true}) {
    for (int v = 0; v < versions; ++v) {
      for (const SheetRef sheet : chosen) {
        if (sheet.IsAnswerTable() == answers) order.push_back({v, sheet});
      }
    }
  }
  return order;
}

bool StartsJob(const std::vector<VersionPage>& order, std::size_t i) {
  if (i == 0) return true;
  const VersionPage& page = order.at(i);
  const VersionPage& before = order.at(i - 1);
  return page.version != before.version ||
         page.sheet.IsAnswerTable() != before.sheet.IsAnswerTable();
}

QString JobTitle(const TPaper& paper, const VersionPage& first, int versions) {
  QString title = paper.name;
  if (first.sheet.IsAnswerTable()) title += QStringLiteral(" 解答");
  if (versions > 1)
    title += QStringLiteral("（") + VersionLabel(first.version) + QStringLiteral("）");
  return title;
}

}  // namespace tamariko
