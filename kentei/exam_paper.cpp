#include "kentei/exam_paper.h"

#include <QJsonArray>
#include <QJsonDocument>

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
  const QString name = grade.ladder + grade.paperName;
  const auto key = [&](int page) { return grade.pageKeys.value(page); };
  const auto titled = [&](int subject) {
    return name + u'（' + ExamSubjectName(grade, subject) + u'）';
  };
  if (grade.pages == TPageShape::Single) {
    pages_.push_back({key(0), name, TExamPageKind::Single});
  } else if (grade.pages == TPageShape::Dan && grade.mental) {
    // みとり暗算 first, on two pages: thirty columns of 10口 need the room.
    pages_.push_back({key(0), name + u'（' + ExamSubjectName(grade, 0) + QStringLiteral("１）"),
                      TExamPageKind::DanAdditionFirst});
    pages_.push_back({key(1), name + u'（' + ExamSubjectName(grade, 0) + QStringLiteral("２）"),
                      TExamPageKind::DanAdditionSecond});
    pages_.push_back({key(2), titled(1), TExamPageKind::DanMultiplication});
    pages_.push_back({key(3), titled(2), TExamPageKind::DanDivision});
  } else if (grade.pages == TPageShape::Dan) {
    pages_.push_back({key(0), titled(1), TExamPageKind::DanMultiplication});
    pages_.push_back({key(1), titled(2), TExamPageKind::DanDivision});
    pages_.push_back({key(2), name + u'（' + ExamSubjectName(grade, 0) + QStringLiteral("１）"),
                      TExamPageKind::DanAdditionFirst});
    pages_.push_back({key(3), name + u'（' + ExamSubjectName(grade, 0) + QStringLiteral("２）"),
                      TExamPageKind::DanAdditionSecond});
  } else {
    const bool mental = grade.mental;
    pages_.push_back({key(0), name + QStringLiteral("（表）"),
                      mental ? TExamPageKind::MentalAddition : TExamPageKind::Front});
    pages_.push_back({key(1), name + QStringLiteral("（裏）"),
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

QByteArray TExamPaper::SubjectJson(int subject) const {
  const TExamProblems empty;
  const TExamProblems& made = problems_ ? *problems_ : empty;
  const auto answer = [](const auto& p) { return p.answer; };
  // 暗算's subjects are whole numbers without a yen list.
  const auto yenList = [&](const QByteArray& list) {
    return grade_.mental ? QByteArray() : ", \"yen\": " + list;
  };
  if (subject == 0) {
    QList<QByteArray> problems;
    for (const TAdditionProblem& p : made.abacus) {
      problems << JsonNumbers(p.rows, [](const TExactNumber& n) { return n; });
    }
    // みとり算 in yen is yen throughout, so every problem is listed.
    QList<QByteArray> yen;
    for (int p = 1; grade_.abacus.yen && p <= grade_.abacus.Count(); ++p)
      yen << QByteArray::number(p);
    return "{\"problems\": " + JsonList(problems) +
           ", \"answers\": " + JsonNumbers(made.abacus, answer) + yenList(JsonList(yen)) + "}";
  }
  const bool division = subject == 2;
  const auto& pairs = division ? made.division : made.multiplication;
  return QByteArray(division ? "{\"dividends\": " : "{\"multiplicands\": ") +
         JsonNumbers(pairs, [](const TPairProblem& p) { return p.first; }) +
         (division ? ", \"divisors\": " : ", \"multipliers\": ") +
         JsonNumbers(pairs, [](const TPairProblem& p) { return p.second; }) +
         ", \"answers\": " + JsonNumbers(pairs, answer) +
         yenList(JsonYen(division ? grade_.division : grade_.multiplication)) + "}";
}

QByteArray TExamPaper::JsonMembers() const {
  // Each section in printed order: its subject and heading, then its subject's members.
  static const char* const kWords[2][3] = {{"mitori", "kake", "wari"},
                                           {"mitori-anzan", "kake-anzan", "wari-anzan"}};
  QList<QByteArray> sections;
  for (int subject : grade_.printedSubjects) {
    QByteArray section = SubjectJson(subject);
    section.insert(1, "\"subject\": \"" + QByteArray(kWords[grade_.mental ? 1 : 0][subject]) +
                          "\", \"title\": " + JsonText(grade_.subjectNames[subject]) + ", ");
    sections << section;
  }
  const QByteArray sectionsMember = "\"sections\": " + JsonList(sections);
  if (!grade_.shipped) return sectionsMember;
  // The shipped papers keep the members they wrote before they were documents, first.
  static const char* const kMembers[2][3] = {
      {"abacus", "multiplication", "division"},
      {"mental", "mental_multiplication", "mental_division"}};
  const int counts[] = {grade_.abacus.Count(), grade_.multiplication.Count(),
                        grade_.division.Count()};
  QList<QByteArray> members;
  for (int subject = 0; subject < 3; ++subject) {
    if (counts[subject] > 0)
      members << "\"" + QByteArray(kMembers[grade_.mental ? 1 : 0][subject]) +
                     "\": " + SubjectJson(subject);
  }
  members << sectionsMember;
  return members.join(", ");
}

QByteArray JsonText(const QString& text) {
  const QByteArray list = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return list.mid(1, list.size() - 2);
}

}  // namespace tamariko
