#pragma once

// A class at once: each ticked pupil's exam paper made from its own 問題番号, with their
// name and 受験番号 on every page, the problem pages pupil by pupil, an overview page, then
// the answer pages in the same order. The window and the batch print it alike.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/pupils.h"
#include "app/workbook.h"
#include "core/print_target.h"
#include "core/sheet_texts.h"

namespace tamariko {

// One pupil's place in the run: their paper and its 問題番号.
struct ClassPaper {
  Pupil pupil;
  const TPaper* paper = nullptr;
  std::uint32_t number = 0;
};

// The list's first line that did not read, as 「3 行目: 氏名が空です」; empty for none.
QString FirstBadLine(const PupilList& list);

// The ticked pupils in print order: by the paper box's order, then ふりがな (Japanese
// collation), then name, then as listed; pupil k takes first + k - 1 (modulo 2^32).
std::vector<ClassPaper> ClassOrder(const PupilList& list, std::uint32_t first);

// Why a pupil's name or number cannot be printed in its box, naming the pupil; empty when
// both fit. Needs the application object and the label face.
QString RefusedPupil(const Pupil& pupil);

// A teacher's texts with a pupil's name and number added.
class TPupilTexts : public TSheetTexts {
 public:
  TPupilTexts(const TSheetTexts& base, const Pupil& pupil) : base_(base), pupil_(pupil) {}
  QString RoundText() const override { return base_.RoundText(); }
  QString Heading1() const override { return base_.Heading1(); }
  QString Heading2() const override { return base_.Heading2(); }
  QString Organizer() const override { return base_.Organizer(); }
  QString PupilName() const override { return pupil_.name; }
  QString PupilNumber() const override { return pupil_.number; }

 private:
  const TSheetTexts& base_;
  Pupil pupil_;
};

// The name of the one PDF a class run makes: 「名簿_2026-12-08」.
inline QString ClassFileStem(const QDate& day) {
  return QStringLiteral("名簿_") + day.toString(Qt::ISODate);
}

// One pupil's paper made, every page of it.
struct ClassBook {
  std::unique_ptr<TPupilTexts> texts;
  std::unique_ptr<TWorkbook> book;
};
ClassBook MakeClassBook(const TSheetTexts& base, const ClassPaper& paper, const QString& mark = {});

// The paper's JSON line with the member "pupil": {"name", "kana", "number", "group"}.
QByteArray PupilJsonLine(const TWorkbook& book, const ClassPaper& paper);

// Every job of the run in order: each pupil's problem pages (`pupilJob` told the pupil's
// index before their first page and after their last), the overview, the answer pages.
// `after` runs after every page.
struct ClassRunCalls {
  std::function<void()> after;
  std::function<void(int pupil, bool begin)> pupilJob;
};
void PrintClass(std::vector<ClassBook>& books, const std::vector<ClassPaper>& order,
                TPrintTarget& printer, const ClassRunCalls& calls = {});

// The overview pages (一覧): each pupil, paper, 受験番号, 組 and 問題番号, 40 to a page.
void PrintClassOverview(const std::vector<ClassPaper>& order, TPrintTarget& printer,
                        const std::function<void()>& after = {});

}  // namespace tamariko
