#pragma once

#include <QString>
#include <cstdint>

#include "core/sheet_texts.h"

namespace tamariko {

// Base of every problem set: where its sheets read the teacher's texts (the round, the
// headings and the school's name, all at drawing time), and the number services the sets
// share.
class TKeisan {
 public:
  TKeisan() = default;
  virtual ~TKeisan() = default;
  TKeisan(const TKeisan&) = delete;
  TKeisan& operator=(const TKeisan&) = delete;

  // The school's name at the foot of every sheet, as the texts say it now.
  QString GetOrganizerLabel() const { return Texts->Organizer(); }

  // Where the sheet reads the round number, the headings and the school's name when it is
  // drawn; not owned.
  void SetSheetTexts(const TSheetTexts* texts) { Texts = texts ? texts : &DefaultTexts; }
  const TSheetTexts& SheetTexts() const { return *Texts; }

  // Decimal text with a comma before every group of three digits, for texts of 4 to 15
  // characters (sign included); shorter and longer texts are returned plain.
  static QString FormatGrouped(std::int64_t value);

  // n digits (n >= 1; more than 9 gives 9), pairwise different, the first never 0.
  static std::int32_t RandomDistinctDigits(std::int32_t n);

 protected:
  // n pairwise different digits from 1 .. 9. Carried by the sets that need it.
  static std::int32_t RandomDistinctNonZeroDigits(std::int32_t n);

 private:
  static inline const TDefaultSheetTexts DefaultTexts{};
  const TSheetTexts* Texts = &DefaultTexts;
};

}  // namespace tamariko
