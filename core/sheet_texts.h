#pragma once

#include <QString>

namespace tamariko {

// The texts a sheet reads at drawing time: the contest round and the two heading lines.
// The main window answers from its edit boxes, the batch mode from its options.
class TSheetTexts {
 public:
  virtual ~TSheetTexts() = default;
  virtual QString RoundText() const = 0;  // Edit1
  virtual QString Heading1() const = 0;   // Edit2, drawn small
  virtual QString Heading2() const = 0;   // Edit3, the large heading
};

// The texts of the window design, for sets that were given no other source.
class TDefaultSheetTexts : public TSheetTexts {
 public:
  QString RoundText() const override { return QStringLiteral("1"); }
  QString Heading1() const override { return QStringLiteral("タマリコ"); }
  QString Heading2() const override { return QStringLiteral("タマリコ練習問題"); }
};

}  // namespace tamariko
