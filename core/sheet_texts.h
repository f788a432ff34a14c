#pragma once

#include <QString>

namespace tamariko {

// The texts the window's edit boxes start with (as its design holds them) and the batch
// mode's defaults.
inline const QString kDefaultRound = QStringLiteral("1");
inline const QString kDefaultHeading1 = QStringLiteral("タマリコ");
inline const QString kDefaultHeading2 = QStringLiteral("タマリコ練習問題");
// The school named at the foot of every sheet unless the teacher names another.
inline const QString kDefaultOrganizer = QStringLiteral("ORVぽろね教室");

// The texts a sheet reads at drawing time: the contest round, the two heading lines and the
// school's name. The main window answers from its edit boxes, the batch mode from its
// options.
class TSheetTexts {
 public:
  virtual ~TSheetTexts() = default;
  virtual QString RoundText() const = 0;  // Edit1
  virtual QString Heading1() const = 0;   // Edit2, drawn small
  virtual QString Heading2() const = 0;   // Edit3, the large heading
  // The organizer line at the foot of every sheet; empty prints none.
  virtual QString Organizer() const { return kDefaultOrganizer; }
  // The pupil a paper is printed for, in the 氏名 and 受験番号 boxes; empty leaves them blank.
  virtual QString PupilName() const { return {}; }
  virtual QString PupilNumber() const { return {}; }
};

// 「第1回」; with no round a full-width space keeps room for a number written by hand.
inline QString RoundLabel(const TSheetTexts& texts, const QString& gap = {}) {
  const QString round = texts.RoundText();
  return QStringLiteral("第") + gap + (round.isEmpty() ? QStringLiteral("　") : round) + gap +
         QStringLiteral("回");
}

// The default texts, for sets that were given no other source.
class TDefaultSheetTexts : public TSheetTexts {
 public:
  QString RoundText() const override { return kDefaultRound; }
  QString Heading1() const override { return kDefaultHeading1; }
  QString Heading2() const override { return kDefaultHeading2; }
};

}  // namespace tamariko
