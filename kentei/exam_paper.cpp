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

TExamPaper::TExamPaper(const TExamGrade& grade) : grade_(grade), layout_(LayOutExam(grade)) {
  const QString name = grade.ladder + grade.paperName;
  for (std::size_t p = 0; p < layout_.pages.size(); ++p) {
    const QString key = p < static_cast<std::size_t>(grade.pageKeys.size())
                            ? grade.pageKeys[static_cast<qsizetype>(p)]
                            : QStringLiteral("p%1").arg(p + 1);
    pages_.push_back({key, name + layout_.pages[p].suffix, {false, p}});
  }
  for (std::size_t a = 0; a < layout_.answers.size(); ++a) {
    const QString number = a == 0 ? QString() : QString::number(a + 1);
    pages_.push_back({QStringLiteral("kaitou") + number,
                      name + QStringLiteral("（解答") + number + QStringLiteral("）"),
                      {true, a}});
  }
}

void TExamPaper::Make() { problems_ = MakeExamProblems(grade_); }

TExamPageContent TExamPaper::Content() const {
  return {grade_, layout_, Problems(), SheetTexts(), GetOrganizerLabel(), nullptr};
}

void TExamPaper::DrawPage(int page, SheetDrawer& d) const {
  DrawExamPage(d, Content(), pages_.at(static_cast<std::size_t>(page)).ref);
}

void TExamPaper::DrawPreview(int page, TCanvas& image, const PageMapping& mapping) const {
  SheetDrawer d = PreparePreview(image, mapping);
  DrawPage(page, d);
}

void TExamPaper::PrintPage(int page, TPrintTarget& printer) const {
  const TExamPage& p = pages_.at(static_cast<std::size_t>(page));
  tamariko::PrintPage(printer, p.jobTitle, 10, [&](SheetDrawer& d) { DrawPage(page, d); });
}

QStringList TExamPaper::SectionAnswers(std::size_t section) const {
  QStringList list;
  if (!problems_) return list;
  for (const auto& p : problems_->sections.at(section).additions) list << p.answer.Text();
  for (const auto& p : problems_->sections.at(section).pairs) list << p.answer.Text();
  return list;
}

QStringList TExamPaper::Answers(TExamSubject subject) const {
  QStringList list;
  for (std::size_t i = 0; i < grade_.sections.size(); ++i) {
    if (grade_.sections[i].subject == subject) list << SectionAnswers(i);
  }
  return list;
}

QByteArray TExamPaper::SectionJson(std::size_t i) const {
  const TExamSection& s = grade_.sections[i];
  const TSectionProblems empty;
  const TSectionProblems& made = problems_ ? problems_->sections.at(i) : empty;
  const auto answer = [](const auto& p) { return p.answer; };
  // 暗算's subjects are whole numbers without a yen list.
  const auto yenList = [&](const QByteArray& list) {
    return s.mental ? QByteArray() : ", \"yen\": " + list;
  };
  if (s.subject == TExamSubject::Abacus) {
    QList<QByteArray> problems;
    for (const TAdditionProblem& p : made.additions) {
      problems << JsonNumbers(p.rows, [](const TExactNumber& n) { return n; });
    }
    // The problems in yen.
    QList<QByteArray> yen;
    for (int p = 1; p <= s.Count(); ++p) {
      if (s.addition.BlockOf(p).yen) yen << QByteArray::number(p);
    }
    return "{\"problems\": " + JsonList(problems) +
           ", \"answers\": " + JsonNumbers(made.additions, answer) + yenList(JsonList(yen)) + "}";
  }
  const bool division = s.Division();
  return QByteArray(division ? "{\"dividends\": " : "{\"multiplicands\": ") +
         JsonNumbers(made.pairs, [](const TPairProblem& p) { return p.first; }) +
         (division ? ", \"divisors\": " : ", \"multipliers\": ") +
         JsonNumbers(made.pairs, [](const TPairProblem& p) { return p.second; }) +
         ", \"answers\": " + JsonNumbers(made.pairs, answer) + yenList(JsonYen(s.pairs)) + "}";
}

QByteArray TExamPaper::JsonMembers() const {
  // Each section in printed order: its subject, heading and group, then its problems.
  QList<QByteArray> sections;
  for (std::size_t i = 0; i < grade_.sections.size(); ++i) {
    const TExamSection& s = grade_.sections[i];
    QByteArray section = SectionJson(i);
    section.insert(1, "\"subject\": " + JsonText(s.word) + ", \"title\": " + JsonText(s.title) +
                          (s.group.isEmpty() ? QByteArray() : ", \"group\": " + JsonText(s.group)) +
                          ", ");
    sections << section;
  }
  const QByteArray sectionsMember = "\"sections\": " + JsonList(sections);
  if (!grade_.shipped) return sectionsMember;
  // The shipped papers keep the members they wrote before they were documents, first.
  static const char* const kMembers[2][3] = {
      {"abacus", "multiplication", "division"},
      {"mental", "mental_multiplication", "mental_division"}};
  QList<QByteArray> members;
  for (const TExamSubject subject :
       {TExamSubject::Abacus, TExamSubject::Multiplication, TExamSubject::Division}) {
    const TExamSection* only = grade_.OnlySection(subject);
    if (!only) continue;
    members << "\"" + QByteArray(kMembers[only->mental ? 1 : 0][static_cast<int>(subject)]) +
                   "\": " + SectionJson(static_cast<std::size_t>(only - grade_.sections.data()));
  }
  members << sectionsMember;
  return members.join(", ");
}

QByteArray JsonText(const QString& text) {
  const QByteArray list = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return list.mid(1, list.size() - 2);
}

}  // namespace tamariko
