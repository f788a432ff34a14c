#include "window/print_report.h"

#include <algorithm>

namespace tamariko {
namespace {

bool IsAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Where the bracket opened at `open` closes, counting nested ones; -1 when it does not.
qsizetype ClosingBracket(const QString& line, qsizetype open) {
  int depth = 0;
  for (qsizetype i = open; i < line.size(); ++i) {
    if (line[i] == u'(') ++depth;
    if (line[i] == u')' && --depth == 0) return i;
  }
  return -1;
}

// One line without its English brackets. Names in 「」 are left whole, brackets and all.
QString WithoutEnglish(const QString& line) {
  QString out;
  int quoted = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c == u'「') ++quoted;
    if (c == u'」' && quoted > 0) --quoted;
    if (c == u'(' && quoted == 0 && i + 1 < line.size() && IsAsciiLetter(line[i + 1])) {
      const qsizetype close = ClosingBracket(line, i);
      if (close > 0) {
        while (out.endsWith(u' ')) out.chop(1);
        i = close;
        // Japanese runs on without the space that set the bracket apart.
        if (!out.isEmpty() && out.back().unicode() >= 0x3000) {
          while (i + 1 < line.size() && line[i + 1] == u' ') ++i;
        }
        continue;
      }
    }
    out += c;
  }
  return out.trimmed();
}

bool HasJapanese(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}

}  // namespace

QString TeacherWords(const QString& message) {
  QStringList lines;
  for (const QString& line : message.split(u'\n')) lines << WithoutEnglish(line);
  const QString text = lines.join(u'\n').trimmed();
  if (!HasJapanese(text)) return QStringLiteral("印刷の途中で思わぬ問題が起きました。");
  return text;
}

void TPrintReport::Sent(const QString& sheet, const QString& printer, const QString& file) {
  entries_.push_back({sheet, printer, Outcome::Sent, file});
}

void TPrintReport::Failed(const QString& sheet, const QString& printer, const QString& why) {
  QString words = TeacherWords(why);
  // The printer heads its group already.
  const QString lead = QStringLiteral("「%1」へ印刷できませんでした: ").arg(printer);
  if (words.startsWith(lead)) words.remove(0, lead.size());
  entries_.push_back({sheet, printer, Outcome::Failed, words});
}

void TPrintReport::Unknown(const QString& sheet, const QString& printer, const QString& why) {
  Failed(sheet, printer, why);
  entries_.back().outcome = Outcome::Unknown;
}

void TPrintReport::NotSent(const QString& sheet) {
  entries_.push_back({sheet, QString(), Outcome::NotSent, QString()});
}

void TPrintReport::AddPrinterNotice(const QString& printer, const QString& text) {
  for (const Notice& n : printerNotices_) {
    if (n.about == printer && n.text == text) return;
  }
  printerNotices_.push_back({printer, text});
}

void TPrintReport::AddSheetNotice(const QString& sheet, const QString& text) {
  sheetNotices_.push_back({sheet, text});
}

bool TPrintReport::AllSent() const {
  return std::all_of(entries_.begin(), entries_.end(),
                     [](const Entry& e) { return e.outcome == Outcome::Sent; });
}

QStringList TPrintReport::Unsent() const {
  QStringList sheets;
  for (const Entry& e : entries_) {
    if (e.outcome == Outcome::Failed || e.outcome == Outcome::NotSent) sheets << e.sheet;
  }
  return sheets;
}

QStringList TPrintReport::SheetNotices(const QString& sheet) const {
  QStringList lines;
  for (const Notice& n : sheetNotices_) {
    if (n.about == sheet) lines << QStringLiteral("　　※") + n.text;
  }
  return lines;
}

QString TPrintReport::Text() const {
  // The printers in the order the run first named them.
  QStringList printers;
  auto mention = [&](const QString& printer) {
    if (!printer.isEmpty() && !printers.contains(printer)) printers << printer;
  };
  for (const Entry& e : entries_) mention(e.printer);
  for (const Notice& n : printerNotices_) mention(n.about);

  QStringList lines{QStringLiteral("印刷の結果です。")};
  for (const QString& printer : printers) {
    lines << QString() << QStringLiteral("プリンター「%1」").arg(printer);
    // A run of many versions would not fit a box a line a sheet: sheets in a row that
    // fared alike, with nothing of their own to say, share one line.
    const bool merge = entries_.size() > kLinesBeforeMerging;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      if (e.printer != printer) continue;
      std::size_t last = i;
      while (merge && last + 1 < entries_.size() && SheetNotices(entries_[last].sheet).isEmpty() &&
             entries_[last + 1].printer == printer && entries_[last + 1].outcome == e.outcome &&
             entries_[last + 1].detail == e.detail &&
             SheetNotices(entries_[last + 1].sheet).isEmpty()) {
        ++last;
      }
      const QString sheets = last == i ? e.sheet
                                       : QStringLiteral("%1から%2まで%3枚")
                                             .arg(e.sheet, entries_[last].sheet)
                                             .arg(last - i + 1);
      if (e.outcome == Outcome::Failed) {
        lines << QStringLiteral("　・%1: 送れませんでした。%2").arg(sheets, e.detail);
      } else if (e.outcome == Outcome::Unknown) {
        lines << QStringLiteral("　・%1: 印刷されたかどうか分かりません。%2").arg(sheets, e.detail);
      } else if (e.detail.isEmpty()) {
        lines << QStringLiteral("　・%1: 送りました").arg(sheets);
      } else {
        lines << QStringLiteral("　・%1: 保存しました (%2)").arg(sheets, e.detail);
      }
      lines << SheetNotices(e.sheet);
      i = last;
    }
    for (const Notice& n : printerNotices_) {
      if (n.about == printer) lines << QStringLiteral("　※") + n.text;
    }
  }
  const QStringList never = [this] {
    QStringList sheets;
    for (const Entry& e : entries_) {
      if (e.outcome == Outcome::NotSent) sheets << e.sheet;
    }
    return sheets;
  }();
  if (!never.isEmpty()) {
    lines << QString()
          << QStringLiteral("送っていない用紙: %1").arg(never.join(QStringLiteral("、")));
  }
  const auto any = [this](Outcome outcome) {
    return std::any_of(entries_.begin(), entries_.end(),
                       [outcome](const Entry& e) { return e.outcome == outcome; });
  };
  if (any(Outcome::Failed) || any(Outcome::NotSent)) {
    lines << QString()
          << QStringLiteral(
                 "送れなかった用紙は、原因を取り除いてから、もう一度「印刷」で"
                 "印刷してください。");
  }
  // Printed again now, such a sheet could come out twice.
  if (any(Outcome::Unknown)) {
    lines << QString()
          << QStringLiteral(
                 "印刷されたかどうか分からない用紙は、タマリコを開いたままにしておくと、"
                 "印刷サーバーが応答したときに取り消して、お知らせします。それまでは印刷し直さ"
                 "ないでください。");
  }
  return lines.join(u'\n');
}

}  // namespace tamariko
