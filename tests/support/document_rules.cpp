#include "tests/support/document_rules.h"

#include <QJsonArray>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>

namespace tamariko::testing {
namespace {

using Int = __int128;

// A figure as units and decimals: 12.5 is {125, 1}.
struct Decimal {
  Int units = 0;
  int scale = 0;
};

Int Power(int n) {
  Int p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// JSON numbers hold whole figures exactly; decimals (up to 15 significant digits) come back
// exactly from their shortest text.
Decimal DecimalOf(const QJsonValue& v) {
  if (v.toDouble() == static_cast<double>(v.toInteger())) return {v.toInteger(), 0};
  const QString text = QString::number(v.toDouble(), 'f', QLocale::FloatingPointShortest);
  const qsizetype point = text.indexOf(u'.');
  QString digits = text;
  digits.remove(u'.');
  return {static_cast<Int>(digits.toLongLong()),
          point < 0 ? 0 : static_cast<int>(text.size() - point - 1)};
}

int DigitsOf(Int n) {
  if (n < 0) n = -n;
  int digits = 1;
  while (n >= 10) {
    n /= 10;
    ++digits;
  }
  return digits;
}

bool PowerOfTen(Int n) {
  if (n <= 0) return false;
  while (n % 10 == 0) n /= 10;
  return n == 1;
}

// `value` rounded half up to `scale` decimals, as units of that scale.
Int RoundedUnits(Int numerator, Int denominator, int scale) {
  const Int n = numerator * Power(scale) * 2 + denominator;
  return n / (2 * denominator);
}

bool Same(const Decimal& d, Int units, int scale) {
  // Compared at the finer scale.
  const int s = std::max(d.scale, scale);
  return d.units * Power(s - d.scale) == units * Power(s - scale);
}

struct Range {
  int min, max;
};
Range RangeOf(const QJsonValue& v, int whole) {
  if (v.isArray()) return {v.toArray()[0].toInt(), v.toArray()[1].toInt()};
  if (v.isUndefined()) return {1, whole - 1};
  return {v.toInt(), v.toInt()};
}

class Checker {
 public:
  std::vector<std::string> faults;

  void Fail(const std::string& where, const std::string& what) {
    faults.push_back(where + ": " + what);
  }

  void Additions(const std::string& at, const QJsonObject& section, const QJsonObject& made) {
    const QJsonArray problems = made["problems"].toArray(), answers = made["answers"].toArray();
    std::set<std::vector<std::int64_t>> seen;
    std::set<int> yen;
    for (const QJsonValue& v : made["yen"].toArray()) yen.insert(v.toInt());
    int index = 0;
    for (const QJsonValue& blockValue : section["blocks"].toArray()) {
      const QJsonObject b = blockValue.toObject();
      const int count = b["count"].toInt(), rows = b["rows"].toInt();
      const Range digits = RangeOf(b["digits"], 0);
      const int chars = b["chars"].toInt();
      int withMinus = 0, negatives = 0;
      bool someMixed = false;
      for (int k = 0; k < count; ++k, ++index) {
        const std::string p = at + " No." + std::to_string(index + 1);
        if (index >= problems.size()) return Fail(at, "fewer problems than the blocks hold");
        std::vector<std::int64_t> row;
        for (const QJsonValue& r : problems[index].toArray()) row.push_back(r.toInteger());
        if (static_cast<int>(row.size()) != rows) Fail(p, "rows are not " + std::to_string(rows));
        if (!seen.insert(row).second) Fail(p, "the same problem twice in the section");
        if (yen.contains(index + 1) != b["yen"].toBool()) Fail(p, "yen list wrong");
        Int total = 0, lowest = 0;
        int minus = 0, allDigits = 0;
        std::set<int> lengths;
        for (std::size_t r = 0; r < row.size(); ++r) {
          const int len = DigitsOf(row[r]);
          lengths.insert(len);
          allDigits += len;
          if (len < digits.min || len > digits.max)
            Fail(p, "a row of " + std::to_string(len) + " digits");
          if (row[r] == 0) Fail(p, "a row of 0");
          if (row[r] < 0) {
            ++minus;
            if (r < 2) Fail(p, "row 1 or 2 subtracted");
          }
          for (std::size_t q = 0; q < r; ++q) {
            if (len > 1 && (row[q] == row[r] || row[q] == -row[r])) Fail(p, "two equal rows");
          }
          total += row[r];
          lowest = r == 0 ? total : std::min(lowest, total);
        }
        if (digits.min != digits.max) {
          if (allDigits != chars)
            Fail(p, "字数 " + std::to_string(allDigits) + " not " + std::to_string(chars));
          someMixed = someMixed || lengths.size() > 1;
        }
        if (answers[index].toInteger() != static_cast<std::int64_t>(total))
          Fail(p, "answer is not the sum");
        if (total == 0) Fail(p, "answer 0");
        if (minus > 0) ++withMinus;
        if (total < 0) {
          ++negatives;
          if (minus < std::min(4, rows - 2) || minus > std::min(5, rows - 2))
            Fail(p, "a negative answer from " + std::to_string(minus) + " subtracted rows");
        } else {
          if (lowest < 0) Fail(p, "the running total falls below zero");
          const int least = rows <= 5 ? 1 : 2;
          if (minus > 0 &&
              (minus < std::min(least, rows - 2) || minus > std::min(least + 1, rows - 2)))
            Fail(p, std::to_string(minus) + " subtracted rows");
        }
      }
      if (withMinus != b["subtracted"].toInt())
        Fail(at, "problems with subtractions: " + std::to_string(withMinus));
      if (negatives != b["negative"].toInt())
        Fail(at, "negative answers: " + std::to_string(negatives));
      // Not all rows of one length, where the range and 字数 allow another, in the block.
      const bool forced = chars == rows * digits.min || chars == rows * digits.max;
      if (digits.min != digits.max && !forced && !someMixed) Fail(at, "every row of one length");
    }
    if (index != problems.size()) Fail(at, "more problems than the blocks hold");
  }

  void Pairs(const std::string& at, const QJsonObject& section, const QJsonObject& made,
             bool division) {
    const QJsonArray first = made[division ? "dividends" : "multiplicands"].toArray();
    const QJsonArray second = made[division ? "divisors" : "multipliers"].toArray();
    const QJsonArray answers = made["answers"].toArray();
    std::set<int> yen;
    for (const QJsonValue& v : made["yen"].toArray()) yen.insert(v.toInt());
    std::set<std::pair<std::string, std::string>> seen;
    int index = 0;
    for (const QJsonValue& blockValue : section["blocks"].toArray()) {
      const QJsonObject b = blockValue.toObject();
      const int digits = b["digits"].toInt();
      const Range left = RangeOf(b["left"], digits), right = RangeOf(b["right"], digits);
      const QString numbers = b["numbers"].toString(QStringLiteral("whole"));
      const int scale = numbers == QLatin1String("plain") ? 3 : 0;
      for (int k = 0; k < b["count"].toInt(); ++k, ++index) {
        const std::string p = at + " No." + std::to_string(index + 1);
        if (index >= answers.size()) return Fail(at, "fewer problems than the blocks hold");
        const Decimal a = DecimalOf(first[index]), c = DecimalOf(second[index]),
                      answer = DecimalOf(answers[index]);
        if (!seen.insert({QString::number(first[index].toDouble(), 'g', 17).toStdString(),
                          QString::number(second[index].toDouble(), 'g', 17).toStdString()})
                 .second)
          Fail(p, "the same problem twice in the section");
        if (yen.contains(index + 1) != (numbers == QLatin1String("yen"))) Fail(p, "yen list wrong");
        if (numbers == QLatin1String("whole") &&
            (a.scale != 0 || c.scale != 0 || answer.scale != 0))
          Fail(p, "a decimal in a whole-number block");
        // 実 × 法, or 法 (left) and 商 (right) of a dividend.
        const int l = DigitsOf(division ? c.units : a.units);
        const int r = DigitsOf(division ? answer.units : c.units);
        if (l < left.min || l > left.max || r < right.min || r > right.max || l + r != digits)
          Fail(p, "a split of " + std::to_string(l) + " and " + std::to_string(r) + " digits");
        if (PowerOfTen(division ? c.units : a.units) || (!division && PowerOfTen(c.units)))
          Fail(p, "a factor of a power of ten");
        if (division) {
          // dividend / divisor, rounded half up.
          const Int num = a.units * Power(c.scale), den = c.units * Power(a.scale);
          if (numbers == QLatin1String("whole")
                  ? num % den != 0 || !Same(answer, num / den, 0)
                  : !Same(answer, RoundedUnits(num, den, scale), scale))
            Fail(p, "the quotient is wrong");
        } else {
          const Int product = a.units * c.units;
          const int ps = a.scale + c.scale;
          const bool right2 = ps <= scale
                                  ? Same(answer, product, ps)
                                  : Same(answer, RoundedUnits(product, Power(ps), scale), scale);
          if (!right2) Fail(p, "the product is wrong");
        }
      }
    }
    if (index != answers.size()) Fail(at, "more problems than the blocks hold");
  }
};

}  // namespace

std::vector<std::string> DocumentViolations(const QJsonObject& document, const QJsonObject& set) {
  Checker check;
  const QJsonArray sections = document["sections"].toArray();
  const QJsonArray made = set["sections"].toArray();
  if (sections.size() != made.size()) {
    check.Fail("paper", "sections made: " + std::to_string(made.size()));
    return check.faults;
  }
  for (qsizetype i = 0; i < sections.size(); ++i) {
    const QJsonObject s = sections[i].toObject(), m = made[i].toObject();
    const QString subject = s["subject"].toString();
    const std::string at = "section " + std::to_string(i + 1) + " (" + subject.toStdString() + ")";
    if (m["subject"].toString() != subject)
      check.Fail(at, "made as " + m["subject"].toString().toStdString());
    if (s.contains("title") && m["title"] != s["title"]) check.Fail(at, "another title");
    if (subject.startsWith(QLatin1String("mitori"))) {
      check.Additions(at, s, m);
    } else {
      check.Pairs(at, s, m, subject.startsWith(QLatin1String("wari")));
    }
  }
  return check.faults;
}

}  // namespace tamariko::testing
