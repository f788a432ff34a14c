// Any document the format allows makes a sound paper: documents drawn at random within the
// format's rules, each made from several seeds and checked by rules written from the format.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <random>

#include "app/papers.h"
#include "core/error.h"
#include "core/random.h"
#include "kentei/exam_paper.h"
#include "kentei/paper_document.h"
#include "resources/resources.h"
#include "tests/support/document_rules.h"

namespace tamariko {
namespace {

class DocumentDraw {
 public:
  explicit DocumentDraw(unsigned seed) : random_(seed) {}

  QJsonObject Document() {
    QJsonObject doc{{"tamariko_paper", 1}, {"title", "練習問題"}, {"name", "試し"}};
    const bool paperClock = Chance(50);
    if (paperClock) doc["minutes"] = Between(5, 30);
    if (Chance(50)) doc["numbering"] = "paper";
    QJsonArray sections;
    const int n = Between(1, 6);
    QString group;
    for (int i = 0; i < n; ++i) {
      QJsonObject s = Section();
      // Runs of sections in a group, its clock on its first.
      const bool grouped = !group.isEmpty() && Chance(60);
      if (!grouped) group = Chance(20) ? QStringLiteral("組%1").arg(i) : QString();
      if (!group.isEmpty()) s["group"] = group;
      if (!paperClock && !grouped) s["minutes"] = Between(3, 10);
      if (i > 0 && Chance(20)) s["page"] = "new";
      sections << s;
    }
    doc["sections"] = sections;
    doc["pass"] = Pass(sections);
    return doc;
  }

 private:
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }

  QJsonObject Section() {
    static const char* const kSubjects[] = {"mitori",     "mitori-anzan", "kake",
                                            "kake-anzan", "wari",         "wari-anzan"};
    const QString subject = QLatin1String(kSubjects[Between(0, 5)]);
    QJsonObject s{{"subject", subject}, {"points", Between(1, 10)}};
    if (Chance(30)) s["title"] = QStringLiteral("種目%1").arg(Between(1, 99));
    QJsonArray blocks;
    for (int b = Between(1, 3); b > 0; --b)
      blocks << (subject.startsWith(QLatin1String("mitori")) ? Addition(subject) : Pairs(subject));
    s["blocks"] = blocks;
    return s;
  }

  QJsonObject Addition(const QString& subject) {
    const int rows = Between(2, 12), count = Between(1, 12);
    QJsonObject b{{"count", count}, {"rows", rows}};
    if (Chance(40)) {
      const int lo = Between(1, 5), hi = Between(lo, lo + 3);
      b["digits"] = QJsonArray{lo, hi};
      b["chars"] = Between(rows * lo, rows * hi);
    } else {
      b["digits"] = Between(1, 8);
    }
    if (rows >= 3 && Chance(60)) {
      const int subtracted = Between(0, count);
      b["subtracted"] = subtracted;
      if (rows >= 6 && subtracted > 0 && Chance(50)) b["negative"] = Between(0, subtracted);
    }
    if (subject == QLatin1String("mitori") && Chance(20)) b["yen"] = true;
    return b;
  }

  QJsonObject Pairs(const QString& subject) {
    const bool mental = subject.endsWith(QLatin1String("anzan"));
    const bool division = subject.startsWith(QLatin1String("wari"));
    const int kind = mental ? 0 : Between(0, 2);
    QJsonObject b{{"count", Between(1, 12)}};
    // Decimals need two digits on each side that takes a point; digits kept to nine, so the
    // figures stay exact as JSON numbers.
    const int least = kind == 0 ? 1 : 2;
    const int digits = Between(2 * least, 9);
    const int lo = Between(least, digits - least),
              hi = Between(lo, digits - (division ? 1 : least));
    b["digits"] = digits;
    if (Chance(70)) {
      b["left"] = QJsonArray{lo, hi};
      b["right"] = QJsonArray{digits - hi, digits - lo};
    } else if (kind != 0) {
      b["left"] = QJsonArray{least, digits - least};
    }
    if (kind == 1) b["numbers"] = "plain";
    if (kind == 2) b["numbers"] = "yen";
    return b;
  }

  // A pass rule within the points there are.
  QJsonValue Pass(const QJsonArray& sections) {
    int total = 0, least = 1 << 30;
    std::map<QString, int> groups;
    for (const QJsonValue& v : sections) {
      int points = 0;
      for (const QJsonValue& b : v["blocks"].toArray()) points += b["count"].toInt();
      points *= v["points"].toInt();
      total += points;
      const QString group = v["group"].toString();
      if (group.isEmpty()) {
        least = std::min(least, points);
      } else {
        groups[group] += points;
      }
    }
    for (const auto& [_, points] : groups) least = std::min(least, points);
    switch (Between(0, 2)) {
      case 0:
        return QJsonObject{{"total", Between(1, total)}};
      case 1:
        return QJsonObject{{"each", Between(1, least)}};
      default: {
        const int low = Between(1, least);
        return QJsonObject{{"ladder", QJsonArray{QJsonArray{"初段", low},
                                                 QJsonArray{"二段", Between(low + 1, low + 50)}}},
                           {"per", "section"}};
      }
    }
  }

  std::mt19937 random_;
};

// Each section's problems once, in order, over the pages.
void ExpectEveryProblemPlacedOnce(const TExamGrade& grade, const TExamLayout& layout) {
  std::vector<int> next(grade.sections.size(), 1);
  for (const TExamPageLayout& page : layout.pages) {
    for (const TPlacedPart& part : page.parts) {
      EXPECT_EQ(part.first, next[part.section]);
      EXPECT_GE(part.top, kExamBodyTopMm);
      EXPECT_LT(part.top, kExamPageBottomMm);
      next[part.section] = part.last + 1;
    }
  }
  for (std::size_t i = 0; i < grade.sections.size(); ++i)
    EXPECT_EQ(next[i], grade.sections[i].Count() + 1) << "section " << i;
}

TEST(AnyDocument, EveryDocumentTheFormatAllowsMakesASoundPaper) {
  int made = 0;
  for (unsigned d = 0; d < 400; ++d) {
    const QJsonObject document = DocumentDraw(d * 7919 + 1).Document();
    const QByteArray bytes = QJsonDocument(document).toJson();
    SCOPED_TRACE(bytes.toStdString());
    TExamGrade grade;
    try {
      grade = ExamGradeOf(ReadPaperDocument(bytes, QStringLiteral("d.json")), QStringLiteral("d"));
    } catch (const Error& e) {
      // A block of too few distinct problems is the one refusal a drawn document may meet.
      EXPECT_NE(std::string(e.what()).find("同じ問題を出さずに"), std::string::npos) << e.what();
      continue;
    }
    ++made;
    TExamPaper paper(grade);
    ExpectEveryProblemPlacedOnce(grade, paper.Layout());
    for (std::uint32_t seed : {5u, 2026u}) {
      SetRandomSeed(seed + d);
      paper.Make();
      const QJsonObject set = QJsonDocument::fromJson("{" + paper.JsonMembers() + "}").object();
      for (const std::string& fault : testing::DocumentViolations(document, set))
        ADD_FAILURE() << "seed " << seed + d << ": " << fault;
    }
  }
  EXPECT_GT(made, 320);
}

// Every shipped paper, those of both ladders, by the same rules over many seeds.
TEST(AnyDocument, EveryShippedPaperKeepsTheFormatsRules) {
  for (const TExamGrade& grade : ExamGrades()) {
    QFile file(kResourceRoot + QStringLiteral("/papers/") + grade.key + QStringLiteral(".json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << grade.key.toStdString();
    const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    TExamPaper paper(grade);
    ExpectEveryProblemPlacedOnce(grade, paper.Layout());
    for (std::uint32_t seed = 700; seed < 740; ++seed) {
      SetRandomSeed(seed);
      paper.Make();
      const QJsonObject set = QJsonDocument::fromJson("{" + paper.JsonMembers() + "}").object();
      for (const std::string& fault : testing::DocumentViolations(document, set))
        ADD_FAILURE() << grade.key.toStdString() << " seed " << seed << ": " << fault;
    }
  }
}

// The checker itself finds a broken answer, a subtracted first row, a repeated problem and a
// row of the wrong length.
TEST(AnyDocument, TheRulesFindABrokenSet) {
  const QJsonObject document = QJsonDocument::fromJson(R"({"sections": [
      {"subject": "mitori", "blocks": [{"count": 3, "rows": 4, "digits": [1, 3], "chars": 8}]},
      {"subject": "kake", "blocks": [{"count": 2, "digits": 3}]}]})")
                                   .object();
  const QJsonObject sound = QJsonDocument::fromJson(R"({"sections": [
      {"subject": "mitori", "problems": [[12, 3, 456, 78], [1, 23, 45, 678], [99, 8, 123, 45]],
       "answers": [549, 747, 275], "yen": []},
      {"subject": "kake", "multiplicands": [12, 3], "multipliers": [4, 56],
       "answers": [48, 168], "yen": []}]})")
                                .object();
  EXPECT_TRUE(testing::DocumentViolations(document, sound).empty());
  const auto broken = [&](const QByteArray& from, const QByteArray& to) {
    QByteArray text = QJsonDocument(sound).toJson(QJsonDocument::Compact);
    text.replace(from, to);
    return !testing::DocumentViolations(document, QJsonDocument::fromJson(text).object()).empty();
  };
  EXPECT_TRUE(broken("[48,168]", "[48,167]"));
  EXPECT_TRUE(broken("[[12,3,456,78]", "[[-12,3,456,78]"));
  EXPECT_TRUE(broken("[99,8,123,45]", "[12,3,456,78]"));
  EXPECT_TRUE(broken("[1,23,45,678]", "[1,23,4567,45]"));
  EXPECT_TRUE(broken("[12,3],\"multipliers\":[4,56]", "[12,3],\"multipliers\":[4,10]"));
}

}  // namespace
}  // namespace tamariko
