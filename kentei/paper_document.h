#pragma once

// A paper as a document: the JSON file a teacher writes or the program ships, read with
// every fault refused before anything is drawn, and the grade it makes.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "kentei/exam_grades.h"

namespace tamariko {

enum class TDocumentSubject {
  Mitori,
  MitoriAnzan,
  Yomiage,
  YomiageAnzan,
  Kake,
  KakeAnzan,
  Wari,
  WariAnzan,
  Denpyo,
  Kaihei,
};

struct TDigitRange {
  int min = 0, max = 0;
};

struct TDocumentBlock {
  int count = 0;
  // みとり算 and みとり暗算: `digits` min == max for けた揃い, else 字数 with `chars`.
  int rows = 0;
  TDigitRange digits;
  int chars = 0;
  int subtracted = 0;
  int negative = 0;
  bool yen = false;
  // かけ算 and わり算: `pairDigits` of 実 + 法 (法 + 商), the sides' ranges.
  int pairDigits = 0;
  TDigitRange left, right;
  TNumberKind numbers = TNumberKind::Whole;
};

struct TDocumentSection {
  TDocumentSubject subject = TDocumentSubject::Mitori;
  QString title;  // as printed: the document's, or the subject's name
  int points = 0;
  int minutes = 0;  // 0: none given here
  bool newPage = false;
  QString group;
  std::vector<TDocumentBlock> blocks;
  int Count() const;
};

struct TPaperDocument {
  QString file;  // as the teacher named it, for messages
  QString title, name, ladder;
  int minutes = 0;
  TPassRule pass = TPassRule::Total;
  std::vector<TPassMark> marks;
  bool numberedThrough = false;
  QStringList pageKeys;
  std::vector<TDocumentSection> sections;
};

// Limits of a document (the format's and ours).
inline constexpr qsizetype kMostDocumentBytes = 1024 * 1024;
inline constexpr int kMostSections = 30;
inline constexpr int kMostSectionProblems = 100;

// The document in `bytes`, named `file` in messages. Throws Error with a message naming the
// file, the section and the block (line and column for JSON syntax) at the first fault.
TPaperDocument ReadPaperDocument(const QByteArray& bytes, const QString& file);

// The grade `document` makes under `key`. Throws Error for a document whose pages this
// version cannot lay out yet, saying which.
TExamGrade ExamGradeOf(const TPaperDocument& document, const QString& key);

// The subject's name as a heading prints it: みとり算, かけ暗算, ...
QString SubjectName(TDocumentSubject subject);

}  // namespace tamariko
