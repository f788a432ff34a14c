#include "kentei/paper_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "core/error.h"
#include "kentei/exact_number.h"
#include "kentei/exam_layout.h"
#include "kentei/exam_problems.h"

namespace tamariko {
namespace {

constexpr int kFormatVersion = 1;
constexpr int kMostMinutes = 600;
constexpr int kMostPoints = 1000;
constexpr int kMostRows = 30;
constexpr int kMostRowDigits = 16;
constexpr int kMostPairDigits = 16;
// Spaces of distinct problems are counted exactly up to here; a count above half of one is
// refused, so drawing without repeats stays quick.
constexpr std::int64_t kCountedSpace = 1'000'000;

struct SubjectWord {
  const char* word;
  TDocumentSubject subject;
  const char16_t* name;
};
constexpr SubjectWord kSubjects[] = {
    {"mitori", TDocumentSubject::Mitori, u"みとり算"},
    {"mitori-anzan", TDocumentSubject::MitoriAnzan, u"みとり暗算"},
    {"yomiage", TDocumentSubject::Yomiage, u"読上算"},
    {"yomiage-anzan", TDocumentSubject::YomiageAnzan, u"読上暗算"},
    {"kake", TDocumentSubject::Kake, u"かけ算"},
    {"kake-anzan", TDocumentSubject::KakeAnzan, u"かけ暗算"},
    {"wari", TDocumentSubject::Wari, u"わり算"},
    {"wari-anzan", TDocumentSubject::WariAnzan, u"わり暗算"},
    {"denpyo", TDocumentSubject::Denpyo, u"伝票算"},
    {"kaihei", TDocumentSubject::Kaihei, u"開法"},
};

bool IsAddition(TDocumentSubject s) {
  return s == TDocumentSubject::Mitori || s == TDocumentSubject::MitoriAnzan;
}
bool IsPairs(TDocumentSubject s) {
  return s == TDocumentSubject::Kake || s == TDocumentSubject::KakeAnzan ||
         s == TDocumentSubject::Wari || s == TDocumentSubject::WariAnzan;
}
bool IsMental(TDocumentSubject s) {
  return s == TDocumentSubject::MitoriAnzan || s == TDocumentSubject::KakeAnzan ||
         s == TDocumentSubject::WariAnzan || s == TDocumentSubject::YomiageAnzan;
}
bool IsDivision(TDocumentSubject s) {
  return s == TDocumentSubject::Wari || s == TDocumentSubject::WariAnzan;
}

// Where a fault is: the file, and the section and block when inside one. Told only on a
// fault, so reading a sound document builds no text.
class Place {
 public:
  explicit Place(const QString& file) : file_(&file) {}
  Place Section(int index, const char16_t* name) const {
    Place p = *this;
    p.section_ = index + 1;
    p.sectionName_ = name;
    return p;
  }
  Place Section(int index, const QString& name) const {
    Place p = Section(index, nullptr);
    p.sectionTitle_ = name;
    return p;
  }
  Place Block(int index) const {
    Place p = *this;
    p.block_ = index + 1;
    return p;
  }
  [[noreturn]] void Fail(const QString& what) const {
    QString where;
    if (section_ > 0) {
      const QString name = sectionName_ ? QString::fromUtf16(sectionName_) : sectionTitle_;
      where = QStringLiteral("%1番目の種目").arg(section_) +
              (name.isEmpty() ? QString() : u'（' + name + u'）');
      if (block_ > 0) where += QStringLiteral("の%1つ目の段").arg(block_);
      where += QStringLiteral(": ");
    }
    throw Error((*file_ + QStringLiteral(": ") + where + what).toStdString());
  }

 private:
  const QString* file_;
  int section_ = 0, block_ = 0;
  const char16_t* sectionName_ = nullptr;
  QString sectionTitle_;
};

void RefuseUnknown(const QJsonObject& object, std::initializer_list<const char*> known,
                   const Place& at) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const bool ok = std::any_of(known.begin(), known.end(),
                                [&](const char* k) { return it.key() == QLatin1String(k); });
    if (!ok) at.Fail(QStringLiteral("「%1」という項目はありません").arg(it.key()));
  }
}

int WholeNumber(const QJsonValue& value, const char* name, int lo, int hi, const Place& at) {
  const double v = value.toDouble(std::nan(""));
  if (!value.isDouble() || v != std::floor(v))
    at.Fail(QStringLiteral("%1 は整数で書いてください").arg(QLatin1String(name)));
  if (v < lo || v > hi)
    at.Fail(QStringLiteral("%1 は %2 から %3 までです（%4 とあります）")
                .arg(QLatin1String(name))
                .arg(lo)
                .arg(hi)
                .arg(value.toDouble()));
  return static_cast<int>(v);
}

int Member(const QJsonObject& o, const char* name, int lo, int hi, const Place& at,
           std::optional<int> otherwise = std::nullopt) {
  const QJsonValue v = o.value(QLatin1String(name));
  if (v.isUndefined()) {
    if (!otherwise) at.Fail(QStringLiteral("%1 がありません").arg(QLatin1String(name)));
    return *otherwise;
  }
  return WholeNumber(v, name, lo, hi, at);
}

QString Text(const QJsonObject& o, const char* name, const Place& at, bool required) {
  const QJsonValue v = o.value(QLatin1String(name));
  if (v.isUndefined()) {
    if (required) at.Fail(QStringLiteral("%1 がありません").arg(QLatin1String(name)));
    return {};
  }
  if (!v.isString() || v.toString().trimmed().isEmpty())
    at.Fail(QStringLiteral("%1 は空でない文字列で書いてください").arg(QLatin1String(name)));
  return v.toString();
}

TDigitRange Range(const QJsonValue& v, const char* name, int lo, int hi, const Place& at) {
  const QJsonArray a = v.toArray();
  if (!v.isArray() || a.size() != 2)
    at.Fail(QStringLiteral("%1 は [最小, 最大] で書いてください").arg(QLatin1String(name)));
  const TDigitRange r{WholeNumber(a[0], name, lo, hi, at), WholeNumber(a[1], name, lo, hi, at)};
  if (r.min > r.max)
    at.Fail(QStringLiteral("%1 の最小が最大を超えています").arg(QLatin1String(name)));
  return r;
}

// Distinct values of a row or factor of `digits` digits.
std::int64_t Values(int digits, bool factor) {
  // A factor is no power of ten; one digit leaves 2 .. 9.
  return 9 * PowerOfTen(digits - 1) - (factor ? 1 : 0);
}

std::int64_t Capped(long double n) {
  return n > kCountedSpace ? kCountedSpace + 1 : static_cast<std::int64_t>(n);
}

// How many distinct problems a block allows, counted up to just over kCountedSpace.
std::int64_t SpaceOf(const TDocumentBlock& b, TDocumentSubject subject) {
  if (IsPairs(subject)) {
    long double n = 0;
    for (int left = b.left.min; left <= b.left.max; ++left) {
      const int right = b.pairDigits - left;
      if (right >= b.right.min && right <= b.right.max)
        n += static_cast<long double>(Values(left, true)) * Values(right, true);
    }
    return Capped(n);
  }
  // Rows as lists of values: of one digit they may repeat, longer ones are distinct.
  if (b.digits.min == b.digits.max) {
    const std::int64_t values = Values(b.digits.min, false);
    long double n = 1;
    for (int r = 0; r < b.rows && n <= kCountedSpace; ++r)
      n *= static_cast<long double>(b.digits.min == 1 ? values : values - r);
    return Capped(n);
  }
  // 字数: lists of lengths within the range adding up to `chars`, each row its values. Every
  // row has at least 9, so seven rows are past counting.
  if (b.rows >= 7) return kCountedSpace + 1;
  std::vector<long double> ways(static_cast<std::size_t>(b.chars) + 1, 0);
  ways[0] = 1;
  for (int r = 0; r < b.rows; ++r) {
    std::vector<long double> next(ways.size(), 0);
    for (std::size_t c = 0; c < ways.size(); ++c) {
      if (ways[c] == 0) continue;
      for (int len = b.digits.min; len <= b.digits.max && c + len < ways.size(); ++len)
        next[c + len] += std::min<long double>(ways[c] * Values(len, false), 2 * kCountedSpace);
    }
    ways = std::move(next);
  }
  return Capped(ways.back());
}

TDocumentBlock ReadAddition(const QJsonObject& o, TDocumentSubject subject, const Place& at) {
  RefuseUnknown(o, {"count", "rows", "digits", "chars", "subtracted", "negative", "yen"}, at);
  TDocumentBlock b;
  b.count = Member(o, "count", 1, kMostSectionProblems, at);
  b.rows = Member(o, "rows", 2, kMostRows, at);
  const QJsonValue digits = o.value(QLatin1String("digits"));
  if (digits.isUndefined()) at.Fail(QStringLiteral("digits がありません"));
  if (digits.isArray()) {
    b.digits = Range(digits, "digits", 1, kMostRowDigits, at);
    b.chars = Member(o, "chars", 1, kMostRows * kMostRowDigits, at);
    if (b.chars < b.rows * b.digits.min || b.chars > b.rows * b.digits.max)
      at.Fail(QStringLiteral("chars（字数）%1 は %2口 × %3〜%4けたの %5 から %6 までにしてください")
                  .arg(b.chars)
                  .arg(b.rows)
                  .arg(b.digits.min)
                  .arg(b.digits.max)
                  .arg(b.rows * b.digits.min)
                  .arg(b.rows * b.digits.max));
  } else {
    const int d = WholeNumber(digits, "digits", 1, kMostRowDigits, at);
    b.digits = {d, d};
    if (o.contains(QLatin1String("chars")))
      at.Fail(QStringLiteral("chars（字数）は digits を [最小, 最大] で書いたときだけです"));
  }
  b.subtracted = Member(o, "subtracted", 0, kMostSectionProblems, at, 0);
  b.negative = Member(o, "negative", 0, kMostSectionProblems, at, 0);
  const QJsonValue yen = o.value(QLatin1String("yen"));
  if (!yen.isUndefined() && !yen.isBool()) at.Fail(QStringLiteral("yen は true か false です"));
  b.yen = yen.toBool(false);
  if (b.subtracted > b.count)
    at.Fail(QStringLiteral("subtracted（ひき算のある問題）%1 が count %2 を超えています")
                .arg(b.subtracted)
                .arg(b.count));
  if (b.subtracted > 0 && b.rows < 3)
    at.Fail(QStringLiteral("ひき算は3口目からなので、subtracted には3口以上が要ります"));
  if (b.negative > b.subtracted)
    at.Fail(QStringLiteral("negative（答えが負の問題）%1 が subtracted %2 を超えています")
                .arg(b.negative)
                .arg(b.subtracted));
  if (b.negative > 0 && b.rows < 6)
    at.Fail(QStringLiteral("答えが負になる問題（negative）には6口以上が要ります"));
  if (b.negative > 0 &&
      !NegativeAnswerPossible({1, b.count, b.digits.min, b.rows, b.subtracted, b.negative,
                               b.digits.min == b.digits.max ? 0 : b.digits.max, b.chars}))
    at.Fail(QStringLiteral("%1口では答えが負の問題（negative）は作れません。ひく口がたされる口に"
                           "届きません（口を減らすか、けたを増やしてください）")
                .arg(b.rows));
  if (b.yen && subject == TDocumentSubject::MitoriAnzan)
    at.Fail(QStringLiteral("みとり暗算に円（yen）はありません"));
  return b;
}

TDocumentBlock ReadPairs(const QJsonObject& o, TDocumentSubject subject, const Place& at) {
  RefuseUnknown(o, {"count", "digits", "left", "right", "numbers"}, at);
  const bool division = IsDivision(subject);
  const QString leftName = division ? QStringLiteral("法") : QStringLiteral("実");
  const QString rightName = division ? QStringLiteral("商") : QStringLiteral("法");
  TDocumentBlock b;
  b.count = Member(o, "count", 1, kMostSectionProblems, at);
  b.pairDigits = Member(o, "digits", 2, kMostPairDigits, at);
  const int most = b.pairDigits - 1;
  b.left = o.contains(QLatin1String("left"))
               ? Range(o.value(QLatin1String("left")), "left", 1, kMostPairDigits, at)
               : TDigitRange{1, most};
  b.right = o.contains(QLatin1String("right"))
                ? Range(o.value(QLatin1String("right")), "right", 1, kMostPairDigits, at)
                : TDigitRange{1, most};
  const QJsonValue numbers = o.value(QLatin1String("numbers"));
  if (!numbers.isUndefined()) {
    const QString word = numbers.toString();
    if (word == QLatin1String("whole")) {
      b.numbers = TNumberKind::Whole;
    } else if (word == QLatin1String("plain")) {
      b.numbers = TNumberKind::Plain;
    } else if (word == QLatin1String("yen")) {
      b.numbers = TNumberKind::Yen;
    } else {
      at.Fail(QStringLiteral("numbers は whole、plain、yen のどれかです"));
    }
  }
  if (IsMental(subject) && b.numbers != TNumberKind::Whole)
    at.Fail(QStringLiteral("暗算は整数（numbers: whole）だけです"));
  int splits = 0;
  for (int left = b.left.min; left <= b.left.max; ++left) {
    const int right = b.pairDigits - left;
    if (right < b.right.min || right > b.right.max) continue;
    ++splits;
    // 実 and 法 (法 alone in わり算) of one digit leave no decimals to round.
    const bool oneDigit = left == 1 || (!division && right == 1);
    if (oneDigit && b.numbers != TNumberKind::Whole)
      at.Fail(QStringLiteral("小数（plain）や円（yen）の問題に1けたの%1は使えません")
                  .arg(division ? leftName : leftName + QStringLiteral("や") + rightName));
  }
  if (splits == 0)
    at.Fail(QStringLiteral("%1と%2のけた数の合計が digits と合いません").arg(leftName, rightName));
  return b;
}

TPassRule ReadPass(const QJsonValue& value, std::vector<TPassMark>& marks, const Place& at) {
  const auto mark = [&](const QJsonObject& o, bool labelled) {
    RefuseUnknown(o, {"total", "label"}, at);
    const int points =
        Member(o, "total", 1, kMostSections * kMostSectionProblems * kMostPoints, at);
    const QString label = Text(o, "label", at, labelled);
    marks.push_back({label, points});
  };
  if (value.isArray()) {
    const QJsonArray list = value.toArray();
    if (list.isEmpty()) at.Fail(QStringLiteral("pass の合格点がありません"));
    for (const QJsonValue& v : list) {
      if (!v.isObject())
        at.Fail(QStringLiteral("pass の並びは {\"total\": 点, \"label\": 名} です"));
      mark(v.toObject(), list.size() > 1);
    }
    return TPassRule::Total;
  }
  if (!value.isObject())
    at.Fail(QStringLiteral("pass がありません（{\"total\": 点} などで書いてください）"));
  const QJsonObject o = value.toObject();
  if (o.contains(QLatin1String("total"))) {
    mark(o, false);
    return TPassRule::Total;
  }
  if (o.contains(QLatin1String("each"))) {
    RefuseUnknown(o, {"each"}, at);
    marks.push_back({{}, Member(o, "each", 1, kMostSectionProblems * kMostPoints, at)});
    return TPassRule::Each;
  }
  if (o.contains(QLatin1String("ladder"))) {
    RefuseUnknown(o, {"ladder", "per"}, at);
    if (o.value(QLatin1String("per")).toString() != QLatin1String("section"))
      at.Fail(QStringLiteral("段位の pass には \"per\": \"section\" が要ります"));
    const QJsonArray rungs = o.value(QLatin1String("ladder")).toArray();
    if (rungs.isEmpty()) at.Fail(QStringLiteral("pass の ladder が空です"));
    for (const QJsonValue& v : rungs) {
      const QJsonArray rung = v.toArray();
      if (rung.size() != 2 || !rung[0].isString() || rung[0].toString().isEmpty())
        at.Fail(QStringLiteral("pass の ladder は [\"段の名\", 点] の並びです"));
      const int points = WholeNumber(rung[1], "ladder", 1, kMostSectionProblems * kMostPoints, at);
      if (!marks.empty() && points <= marks.back().points)
        at.Fail(QStringLiteral("pass の ladder は点の低い段から高い段へ並べてください"));
      marks.push_back({rung[0].toString(), points});
    }
    return TPassRule::Ladder;
  }
  at.Fail(QStringLiteral("pass は total、each、ladder のどれかで書いてください"));
}

// Line and column (from 1) of byte `offset` of `bytes`.
std::pair<int, int> LineAndColumn(const QByteArray& bytes, qsizetype offset) {
  int line = 1;
  qsizetype start = 0;
  for (qsizetype i = 0; i < offset && i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  return {line, static_cast<int>(QString::fromUtf8(bytes.mid(start, offset - start)).size()) + 1};
}

}  // namespace

int TDocumentSection::Count() const {
  int n = 0;
  for (const TDocumentBlock& b : blocks) n += b.count;
  return n;
}

QString SubjectName(TDocumentSubject subject) {
  for (const SubjectWord& w : kSubjects) {
    if (w.subject == subject) return QString::fromUtf16(w.name);
  }
  return {};
}

TPaperDocument ReadPaperDocument(const QByteArray& bytes, const QString& file) {
  const Place top(file);
  if (bytes.size() > kMostDocumentBytes)
    top.Fail(QStringLiteral("用紙のファイルが大きすぎます（1 MB まで）"));
  QJsonParseError parsed{};
  const QJsonDocument json = QJsonDocument::fromJson(bytes, &parsed);
  if (parsed.error != QJsonParseError::NoError) {
    const auto [line, column] = LineAndColumn(bytes, parsed.offset);
    top.Fail(QStringLiteral("%1行%2文字目: JSON として読めません（%3）")
                 .arg(line)
                 .arg(column)
                 .arg(parsed.errorString()));
  }
  if (!json.isObject()) top.Fail(QStringLiteral("用紙は { } で囲んだ JSON のオブジェクトです"));
  const QJsonObject o = json.object();
  RefuseUnknown(o,
                {"tamariko_paper", "title", "name", "ladder", "minutes", "pass", "numbering",
                 "page_keys", "sections"},
                top);
  const QJsonValue version = o.value(QLatin1String("tamariko_paper"));
  if (version.isUndefined())
    top.Fail(
        QStringLiteral("tamariko_paper（形式の版）がありません。タマリコの用紙のファイルですか"));
  if (version.isDouble() && version.toDouble() > kFormatVersion)
    top.Fail(QStringLiteral("形式の版 %1 の用紙です。このタマリコが読めるのは版 %2 までです。"
                            "新しいタマリコで開いてください")
                 .arg(version.toDouble())
                 .arg(kFormatVersion));
  WholeNumber(version, "tamariko_paper", 1, kFormatVersion, top);

  TPaperDocument d;
  d.file = file;
  d.title = Text(o, "title", top, true);
  d.name = Text(o, "name", top, true);
  d.ladder =
      o.contains(QLatin1String("ladder")) ? Text(o, "ladder", top, true) : QStringLiteral("自作");
  d.minutes = Member(o, "minutes", 1, kMostMinutes, top, 0);
  d.pass = ReadPass(o.value(QLatin1String("pass")), d.marks, top);
  const QJsonValue numbering = o.value(QLatin1String("numbering"));
  if (!numbering.isUndefined()) {
    if (numbering != QJsonValue(QStringLiteral("section")) &&
        numbering != QJsonValue(QStringLiteral("paper")))
      top.Fail(QStringLiteral("numbering は \"section\" か \"paper\" です"));
    d.numberedThrough = numbering.toString() == QLatin1String("paper");
  }
  if (o.contains(QLatin1String("page_keys"))) {
    const QJsonArray keys = o.value(QLatin1String("page_keys")).toArray();
    for (const QJsonValue& k : keys) {
      const QString key = k.toString();
      const bool word = !key.isEmpty() && std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
      });
      if (!word || key.startsWith(QLatin1String("kaitou")) || key == QLatin1String("all") ||
          d.pageKeys.contains(key))
        top.Fail(QStringLiteral(
                     "page_keys の「%1」は使えません（英小文字・数字・- の、ほかと違う名前で、"
                     "kaitou と all 以外）")
                     .arg(key));
      d.pageKeys << key;
    }
    if (keys.isEmpty()) top.Fail(QStringLiteral("page_keys が空です"));
  }

  const QJsonValue sections = o.value(QLatin1String("sections"));
  if (!sections.isArray() || sections.toArray().isEmpty())
    top.Fail(QStringLiteral("sections（種目の並び）がありません"));
  if (sections.toArray().size() > kMostSections)
    top.Fail(QStringLiteral("種目は %1 までです（%2 あります）")
                 .arg(kMostSections)
                 .arg(sections.toArray().size()));
  const QJsonArray list = sections.toArray();
  for (int i = 0; i < list.size(); ++i) {
    const QJsonObject so = list[i].toObject();
    const QString word = so.value(QLatin1String("subject")).toString();
    const auto found =
        std::find_if(std::begin(kSubjects), std::end(kSubjects),
                     [&](const SubjectWord& w) { return word == QLatin1String(w.word); });
    const Place at = top.Section(i, found == std::end(kSubjects) ? u"" : found->name);
    if (!list[i].isObject()) at.Fail(QStringLiteral("種目は { } で書いてください"));
    if (found == std::end(kSubjects))
      at.Fail(QStringLiteral("subject「%1」はありません（mitori、kake、wari、mitori-anzan など）")
                  .arg(word));
    RefuseUnknown(so, {"subject", "title", "points", "minutes", "page", "group", "blocks"}, at);
    TDocumentSection s;
    s.subject = found->subject;
    s.title = so.contains(QLatin1String("title")) ? Text(so, "title", at, true)
                                                  : QString::fromUtf16(found->name);
    s.points = Member(so, "points", 1, kMostPoints, at);
    s.minutes = Member(so, "minutes", 1, kMostMinutes, at, 0);
    const QJsonValue page = so.value(QLatin1String("page"));
    if (!page.isUndefined() && page != QJsonValue(QStringLiteral("new")))
      at.Fail(QStringLiteral("page は \"new\" だけです"));
    s.newPage = !page.isUndefined();
    if (so.contains(QLatin1String("group"))) s.group = Text(so, "group", at, true);
    if (!IsAddition(s.subject) && !IsPairs(s.subject))
      at.Fail(QStringLiteral("%1の用紙はこの版ではまだ作れません").arg(s.title));
    const QJsonArray blocks = so.value(QLatin1String("blocks")).toArray();
    if (blocks.isEmpty()) at.Fail(QStringLiteral("blocks（問題の段）がありません"));
    for (int k = 0; k < blocks.size(); ++k) {
      const Place bat = at.Block(k);
      if (!blocks[k].isObject()) bat.Fail(QStringLiteral("段は { } で書いてください"));
      TDocumentBlock b = IsAddition(s.subject) ? ReadAddition(blocks[k].toObject(), s.subject, bat)
                                               : ReadPairs(blocks[k].toObject(), s.subject, bat);
      const std::int64_t space = SpaceOf(b, s.subject);
      if (space <= kCountedSpace && b.count > space / 2)
        bat.Fail(QStringLiteral("同じ問題を出さずに作れるのは %1 題までです（count %2）")
                     .arg(space / 2)
                     .arg(b.count));
      s.blocks.push_back(b);
    }
    if (s.Count() > kMostSectionProblems)
      at.Fail(QStringLiteral("一つの種目の問題は %1 題までです（%2 題あります）")
                  .arg(kMostSectionProblems)
                  .arg(s.Count()));
    d.sections.push_back(std::move(s));
  }

  // The clock: the paper's, or each section's (a group's on its first section).
  if (d.minutes > 0) {
    for (std::size_t i = 0; i < d.sections.size(); ++i) {
      if (d.sections[i].minutes > 0)
        top.Section(static_cast<int>(i), d.sections[i].title)
            .Fail(QStringLiteral("用紙に minutes があるので、種目ごとの minutes は書けません"));
    }
  } else {
    for (std::size_t i = 0; i < d.sections.size(); ++i) {
      const TDocumentSection& s = d.sections[i];
      const bool grouped = i > 0 && !s.group.isEmpty() && s.group == d.sections[i - 1].group;
      const Place at = top.Section(static_cast<int>(i), s.title);
      if (!grouped && s.minutes == 0)
        at.Fail(QStringLiteral("制限時間（minutes）がありません。用紙か種目ごとに書いてください"));
      if (grouped && s.minutes > 0)
        at.Fail(QStringLiteral("組「%1」の制限時間は組の最初の種目に書きます").arg(s.group));
    }
  }
  // A group is one run of sections.
  for (std::size_t i = 0; i < d.sections.size(); ++i) {
    const QString& g = d.sections[i].group;
    if (g.isEmpty() || (i > 0 && d.sections[i - 1].group == g)) continue;
    for (std::size_t j = 0; j + 1 < i; ++j) {
      if (d.sections[j].group == g)
        top.Section(static_cast<int>(i), d.sections[i].title)
            .Fail(QStringLiteral("組「%1」の種目は続けて並べてください").arg(g));
    }
  }
  // Pass marks within the points there are.
  int paperPoints = 0;
  for (const TDocumentSection& s : d.sections) paperPoints += s.points * s.Count();
  if (d.pass == TPassRule::Total) {
    for (const TPassMark& m : d.marks) {
      if (m.points > paperPoints)
        top.Fail(QStringLiteral("合格点 %1 点が満点 %2 点を超えています")
                     .arg(m.points)
                     .arg(paperPoints));
    }
  } else {
    for (std::size_t i = 0; i < d.sections.size(); ++i) {
      // A group's points are its sections' together.
      int points = 0;
      const QString& g = d.sections[i].group;
      for (const TDocumentSection& s : d.sections) {
        if (&s == &d.sections[i] || (!g.isEmpty() && s.group == g)) points += s.points * s.Count();
      }
      const int need = d.marks.front().points;
      if (need > points)
        top.Section(static_cast<int>(i), d.sections[i].title)
            .Fail(QStringLiteral("合格に要る %1 点がこの種目の満点 %2 点を超えています")
                      .arg(need)
                      .arg(points));
    }
  }
  return d;
}

TExamGrade ExamGradeOf(const TPaperDocument& d, const QString& key) {
  TExamGrade g;
  g.key = key;
  g.title = d.title;
  g.paperName = d.name;
  g.name = d.name;
  g.ladder = d.ladder;
  g.minutes = d.minutes;
  g.pass = d.pass;
  g.passMarks = d.marks;
  g.pageKeys = d.pageKeys;
  // One mark with a label: the paper is shared by grades and this one is the label's.
  if (g.pass == TPassRule::Total && g.passMarks.size() == 1 &&
      !g.passMarks.front().label.isEmpty()) {
    g.name = g.passMarks.front().label;
    g.passMarks.front().label.clear();
  }
  int number = 1;
  for (std::size_t i = 0; i < d.sections.size(); ++i) {
    const TDocumentSection& ds = d.sections[i];
    TExamSection s;
    s.subject = IsAddition(ds.subject)   ? TExamSubject::Abacus
                : IsDivision(ds.subject) ? TExamSubject::Division
                                         : TExamSubject::Multiplication;
    s.mental = IsMental(ds.subject);
    for (const SubjectWord& w : kSubjects) {
      if (w.subject == ds.subject) s.word = QLatin1String(w.word);
    }
    s.title = ds.title;
    s.minutes = ds.minutes;
    s.newPage = ds.newPage;
    s.group = ds.group;
    // Numbers run on through a group, and through the paper where it says so.
    const bool goesOn =
        d.numberedThrough || (i > 0 && !ds.group.isEmpty() && d.sections[i - 1].group == ds.group);
    if (!goesOn) number = 1;
    s.firstNumber = number;
    number += ds.Count();
    int first = 1;
    if (s.subject == TExamSubject::Abacus) {
      s.addition.pointsEach = ds.points;
      for (const TDocumentBlock& b : ds.blocks) {
        TAdditionBlock block{first,  first + b.count - 1, b.digits.min,
                             b.rows, b.subtracted,        b.negative};
        block.yen = b.yen;
        if (b.digits.min != b.digits.max) {
          block.maxDigits = b.digits.max;
          block.chars = b.chars;
        }
        s.addition.blocks.push_back(block);
        first += b.count;
      }
    } else {
      s.pairs.pointsEach = ds.points;
      for (const TDocumentBlock& b : ds.blocks) {
        s.pairs.blocks.push_back({first, first + b.count - 1, b.pairDigits, b.left.min, b.left.max,
                                  b.right.min, b.right.max, b.numbers});
        first += b.count;
      }
    }
    g.sections.push_back(std::move(s));
  }
  const int problemPages = static_cast<int>(LayOutExam(g).pages.size());
  if (!g.pageKeys.isEmpty() && g.pageKeys.size() != problemPages) {
    Place(d.file).Fail(QStringLiteral("page_keys が %1 つありますが、問題のページは %2 枚です")
                           .arg(g.pageKeys.size())
                           .arg(problemPages));
  }
  return g;
}

}  // namespace tamariko
