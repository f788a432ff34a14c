#pragma once

#include <QString>
#include <functional>

#include "core/sheet_drawer.h"

namespace tamariko {

class TKeisan;

// The sheet of sixty graded problems that the multiplication and the division set share:
// the contest heading and boxes, the title, two columns of thirty numbered rows with the
// grade markers, and one problem line per row in the figures' face. The sets differ only in
// the title and in the text of a problem line.
class SixtyProblemSheet {
 public:
  static constexpr int kProblemCount = 60;

  // The text of problem p's line (1 .. 60), from what the set holds when it is drawn.
  using LineText = std::function<QString(int problem)>;

  // `set` gives the contest texts and the organizer label; `title` stands beside the round.
  SixtyProblemSheet(const TKeisan& set, const char16_t* title, LineText line);

  // Erases the preview, draws the form and selects the figures' face; the caller then draws
  // each line as its problem is settled.
  SheetDrawer StartPreview(TCanvas& image, const PageMapping& mapping) const;
  void DrawLine(SheetDrawer& d, int problem) const;

  // The preview with every problem's line, or the form alone for a set not made yet (as it
  // prints).
  void DrawPreview(TCanvas& image, const PageMapping& mapping, bool generated = true) const;

  // One print job of one page under `jobTitle`: the form, and every problem's line when the
  // set was generated.
  void Print(TPrintTarget& printer, const QString& jobTitle, bool generated) const;

 private:
  void DrawForm(SheetDrawer& d) const;
  void DrawFormTexts(SheetDrawer& d) const;

  const TKeisan& set_;
  const char16_t* title_;
  LineText line_;
};

}  // namespace tamariko
