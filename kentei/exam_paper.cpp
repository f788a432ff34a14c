#include "kentei/exam_paper.h"

#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

QByteArray JsonList(const QList<QByteArray>& items) { return "[" + items.join(", ") + "]"; }

template <typename Problems, typename Get>
QByteArray JsonNumbers(const Problems& problems, Get get) {
  QList<QByteArray> items;
  for (const auto& p : problems) items << get(p).Json();
  return JsonList(items);
}

// The 円名数 problem numbers of a section.
QByteArray JsonYen(const TPairSection& section) {
  QList<QByteArray> items;
  for (const TPairBlock& b : section.blocks) {
    if (b.kind != TNumberKind::Yen) continue;
    for (int p = b.first; p <= b.last; ++p) items << QByteArray::number(p);
  }
  return JsonList(items);
}

}  // namespace

TExamPaper::TExamPaper(const TExamGrade& grade) : grade_(grade) {
  const QString name = grade.ladder + QStringLiteral("検定練習") + grade.paperName;
  const auto titled = [&](int subject) {
    return name + u'（' + ExamSubjectName(grade, subject) + u'）';
  };
  if (grade.pages == TPageShape::Single) {
    pages_.push_back({QStringLiteral("omote"), name, TExamPageKind::Single});
  } else if (grade.pages == TPageShape::Dan && grade.mental) {
    // みとり暗算 first, on two pages: thirty columns of 10口 need the room.
    pages_.push_back({QStringLiteral("mitori1"), name + QStringLiteral("（みとり暗算１）"),
                      TExamPageKind::DanAdditionFirst});
    pages_.push_back({QStringLiteral("mitori2"), name + QStringLiteral("（みとり暗算２）"),
                      TExamPageKind::DanAdditionSecond});
    pages_.push_back({QStringLiteral("kake"), titled(1), TExamPageKind::DanMultiplication});
    pages_.push_back({QStringLiteral("wari"), titled(2), TExamPageKind::DanDivision});
  } else if (grade.pages == TPageShape::Dan) {
    pages_.push_back({QStringLiteral("kake"), titled(1), TExamPageKind::DanMultiplication});
    pages_.push_back({QStringLiteral("wari"), titled(2), TExamPageKind::DanDivision});
    pages_.push_back({QStringLiteral("mitori1"), name + QStringLiteral("（みとり算１）"),
                      TExamPageKind::DanAdditionFirst});
    pages_.push_back({QStringLiteral("mitori2"), name + QStringLiteral("（みとり算２）"),
                      TExamPageKind::DanAdditionSecond});
  } else {
    const bool mental = grade.mental;
    pages_.push_back({QStringLiteral("omote"), name + QStringLiteral("（表）"),
                      mental ? TExamPageKind::MentalAddition : TExamPageKind::Front});
    pages_.push_back({QStringLiteral("ura"), name + QStringLiteral("（裏）"),
                      mental ? TExamPageKind::MentalPairs : TExamPageKind::Back});
  }
  pages_.push_back(
      {QStringLiteral("kaitou"), name + QStringLiteral("（解答）"), TExamPageKind::Answers});
}

void TExamPaper::Make() { problems_ = MakeExamProblems(grade_); }

TExamPageContent TExamPaper::Content() const {
  return {grade_, Problems(), SheetTexts(), GetOrganizerLabel(), nullptr};
}

void TExamPaper::DrawPage(int page, SheetDrawer& d) const {
  DrawExamPage(d, Content(), pages_.at(static_cast<std::size_t>(page)).kind);
}

void TExamPaper::DrawPreview(int page, TCanvas& image, const PageMapping& mapping) const {
  SheetDrawer d = PreparePreview(image, mapping);
  DrawPage(page, d);
}

void TExamPaper::PrintPage(int page, TPrintTarget& printer) const {
  const TExamPage& p = pages_.at(static_cast<std::size_t>(page));
  tamariko::PrintPage(printer, p.jobTitle, 10, [&](SheetDrawer& d) { DrawPage(page, d); });
}

QStringList TExamPaper::Answers(TExamSubject subject) const {
  QStringList list;
  if (!problems_) return list;
  if (subject == TExamSubject::Abacus) {
    for (const auto& p : problems_->abacus) list << p.answer.Text();
  } else {
    const auto& made =
        subject == TExamSubject::Division ? problems_->division : problems_->multiplication;
    for (const auto& p : made) list << p.answer.Text();
  }
  return list;
}

QByteArray TExamPaper::JsonMembers() const {
  QList<QByteArray> members;
  const TExamProblems empty;
  const TExamProblems& made = problems_ ? *problems_ : empty;
  const auto answer = [](const auto& p) { return p.answer; };
  // 暗算's subjects under names of their own, whole numbers without a yen list.
  const bool mental = grade_.mental;
  const auto yenList = [&](const QByteArray& list) {
    return mental ? QByteArray() : ", \"yen\": " + list;
  };
  if (grade_.abacus.Count() > 0) {
    QList<QByteArray> problems;
    for (const TAdditionProblem& p : made.abacus) {
      problems << JsonNumbers(p.rows, [](const TExactNumber& n) { return n; });
    }
    // みとり算 in yen is yen throughout, so every problem is listed.
    QList<QByteArray> yen;
    for (int p = 1; grade_.abacus.yen && p <= grade_.abacus.Count(); ++p)
      yen << QByteArray::number(p);
    members << (mental ? "\"mental\"" : "\"abacus\"") + QByteArray(": {\"problems\": ") +
                   JsonList(problems) + ", \"answers\": " + JsonNumbers(made.abacus, answer) +
                   yenList(JsonList(yen)) + "}";
  }
  if (grade_.multiplication.Count() > 0) {
    const auto& m = made.multiplication;
    members << (mental ? "\"mental_multiplication\"" : "\"multiplication\"") +
                   QByteArray(": {\"multiplicands\": ") +
                   JsonNumbers(m, [](const TPairProblem& p) { return p.first; }) +
                   ", \"multipliers\": " +
                   JsonNumbers(m, [](const TPairProblem& p) { return p.second; }) +
                   ", \"answers\": " + JsonNumbers(m, answer) +
                   yenList(JsonYen(grade_.multiplication)) + "}";
  }
  if (grade_.division.Count() > 0) {
    const auto& v = made.division;
    members << (mental ? "\"mental_division\"" : "\"division\"") +
                   QByteArray(": {\"dividends\": ") +
                   JsonNumbers(v, [](const TPairProblem& p) { return p.first; }) +
                   ", \"divisors\": " +
                   JsonNumbers(v, [](const TPairProblem& p) { return p.second; }) +
                   ", \"answers\": " + JsonNumbers(v, answer) + yenList(JsonYen(grade_.division)) +
                   "}";
  }
  return members.join(", ");
}

}  // namespace tamariko
