#include "app/class_print.h"

#include <QCollator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <algorithm>

#include "app/input_limits.h"
#include "app/papers.h"
#include "app/versions.h"
#include "core/sheet_drawer.h"
#include "kentei/exam_sheet.h"

namespace tamariko {
namespace {

// The overview's rows per page and their place on B4, in millimetres.
constexpr int kOverviewRows = 40;
constexpr long double kOverviewTop = 40;
constexpr long double kOverviewRow = 7.5L;

// A string as a JSON value.
QByteArray JsonString(const QString& text) {
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2);
}

}  // namespace

QString FirstBadLine(const PupilList& list) {
  for (const Pupil& pupil : list.pupils) {
    if (pupil.Bad()) return QStringLiteral("%1 行目: %2").arg(pupil.line).arg(pupil.reason);
  }
  return {};
}

std::vector<ClassPaper> ClassOrder(const PupilList& list, std::uint32_t first) {
  const std::vector<const TPaper*> papers = ExamPapers();
  const auto rank = [&](const TPaper* paper) {
    return std::find(papers.begin(), papers.end(), paper) - papers.begin();
  };
  std::vector<ClassPaper> order;
  for (const Pupil& pupil : list.pupils) {
    if (!pupil.ticked || pupil.Bad()) continue;
    const TPaper* paper = ExamPaperNamed(pupil.paper);
    if (paper) order.push_back({pupil, paper, 0});
  }
  QCollator collator{QLocale(QLocale::Japanese)};
  std::stable_sort(order.begin(), order.end(), [&](const ClassPaper& a, const ClassPaper& b) {
    if (a.paper != b.paper) return rank(a.paper) < rank(b.paper);
    if (const int kana = collator.compare(a.pupil.kana, b.pupil.kana); kana != 0) return kana < 0;
    return collator.compare(a.pupil.name, b.pupil.name) < 0;
  });
  for (std::size_t k = 0; k < order.size(); ++k) {
    order[k].number = first + static_cast<std::uint32_t>(k);
  }
  return order;
}

QString RefusedPupil(const Pupil& pupil) {
  const struct {
    const HeadingPlace& place;
    const QString& text;
    const char16_t* what;
  } boxes[] = {{kExamPupilName, pupil.name, u"氏名"},
               {kExamPupilNumber, pupil.number, u"受験番号"}};
  for (const auto& box : boxes) {
    const QString why = RefusedAt(box.place, box.text);
    if (!why.isEmpty()) {
      return QStringLiteral("「%1」(%2 行目) の%3: %4")
          .arg(pupil.name)
          .arg(pupil.line)
          .arg(QString::fromUtf16(box.what), why);
    }
  }
  return {};
}

ClassBook MakeClassBook(const TSheetTexts& base, const ClassPaper& paper, const QString& mark) {
  ClassBook made;
  made.texts = std::make_unique<TPupilTexts>(base, paper.pupil);
  made.book =
      MakePaper(made.texts.get(), *paper.paper, paper.number, EverySheet(*paper.paper), mark);
  return made;
}

QByteArray PupilJsonLine(const TWorkbook& book, const ClassPaper& paper) {
  QByteArray line = book.JsonLine(paper.number);
  const qsizetype end = line.lastIndexOf('}');
  const Pupil& p = paper.pupil;
  line.insert(end, ", \"pupil\": {\"name\": " + JsonString(p.name) + ", \"kana\": " +
                       JsonString(p.kana) + ", \"number\": " + JsonString(p.number) +
                       ", \"group\": " + JsonString(p.group) + "}");
  return line;
}

void PrintClass(std::vector<ClassBook>& books, const std::vector<ClassPaper>& order,
                TPrintTarget& printer, const ClassRunCalls& calls) {
  const auto after = [&] {
    if (calls.after) calls.after();
  };
  const auto pages = [&](bool answers) {
    for (std::size_t k = 0; k < books.size(); ++k) {
      TWorkbook& book = *books[k].book;
      const int pupil = static_cast<int>(k);
      if (calls.pupilJob) calls.pupilJob(pupil, true);
      book.PrintRun(EverySheet(book.Paper()), [&](SheetRef sheet) {
        if (sheet.IsAnswerTable() != answers) return;
        book.PrintSheet(sheet, printer);
        after();
      });
      if (calls.pupilJob) calls.pupilJob(pupil, false);
    }
  };
  pages(false);
  PrintClassOverview(order, printer, after);
  pages(true);
}

void PrintClassOverview(const std::vector<ClassPaper>& order, TPrintTarget& printer,
                        const std::function<void()>& after) {
  const int count = static_cast<int>(order.size());
  const int sheets = std::max(1, (count + kOverviewRows - 1) / kOverviewRows);
  for (int s = 0; s < sheets; ++s) {
    PrintPage(printer, QStringLiteral("一覧"), 11, [&](SheetDrawer& d) {
      d.Font(16, true);
      d.Text(14, 14, QStringLiteral("名簿で印刷　一覧"));
      d.Font(10, false);
      if (sheets > 1) d.Text(200, 16, QStringLiteral("%1 / %2").arg(s + 1).arg(sheets));
      d.Text(14, 24,
             QStringLiteral(
                 "問題番号から同じ用紙をもう一度作れます (用紙を選び、問題番号を入れて作成)"));
      const long double columns[] = {14, 26, 82, 122, 142, 212};
      const QString heads[] = {QStringLiteral("順"),       QStringLiteral("氏名"),
                               QStringLiteral("受験番号"), QStringLiteral("組"),
                               QStringLiteral("用紙"),     QStringLiteral("問題番号")};
      d.Font(10, true);
      for (int c = 0; c < 6; ++c) d.Text(columns[c] + 1, kOverviewTop - 6, heads[c]);
      d.ThinPen();
      d.Line(14, kOverviewTop - 0.5L, 252, kOverviewTop - 0.5L);
      d.Font(10, false);
      for (int r = 0; r < kOverviewRows; ++r) {
        const int k = s * kOverviewRows + r;
        if (k >= count) break;
        const ClassPaper& p = order[static_cast<std::size_t>(k)];
        const long double y = kOverviewTop + kOverviewRow * r;
        const QString cells[] = {QString::number(k + 1), p.pupil.name,  p.pupil.number,
                                 p.pupil.group,          p.paper->name, QString::number(p.number)};
        for (int c = 0; c < 6; ++c) d.Text(columns[c] + 1, y + 1.5L, cells[c]);
        d.Line(14, y + kOverviewRow, 252, y + kOverviewRow);
      }
    });
    if (after) after();
  }
}

}  // namespace tamariko
