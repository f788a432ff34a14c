#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "core/random.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/sheet_fixtures.h"
#include "wari/wari.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// The shared form and grid are checked with the multiplication sheet; here what the
// division sheet makes its own: the title, the lines, the print job.
class DivisionSheet : public test::RecordedSheet {
 protected:
  Twari set;
};

std::vector<Op> ProblemLines(const RecordingCanvas& canvas) {
  return test::TextsIn(canvas, QStringLiteral("ORVFont"));
}

void ExpectDivisionLines(const Twari& set, const RecordingCanvas& canvas) {
  const std::vector<Op> lines = ProblemLines(canvas);
  ASSERT_EQ(lines.size(), 60u);
  for (int n = 1; n <= 60; ++n) {
    EXPECT_EQ(lines[n - 1].text, test::Grouped(set.GetDividend(n - 1)) + QStringLiteral("  ÷  ") +
                                     test::Grouped(set.GetDivisor(n - 1)) + QStringLiteral(" ="))
        << n;
    EXPECT_EQ(lines[n - 1].fontSize, 13) << n;
  }
}

void ExpectDivisionTitle(const RecordingCanvas& canvas) {
  const Op* title = canvas.FindText(QStringLiteral("わ り 算 問 題"));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(canvas.FindText(QStringLiteral("か け 算 問 題")), nullptr);
  EXPECT_NE(canvas.FindText(QStringLiteral("5点×")), nullptr);
  EXPECT_NE(canvas.FindText(QStringLiteral("(制限時間10分)")), nullptr);
}

TEST_F(DivisionSheet, PreviewAndPageCarryTheTitleAndTheDivisionLines) {
  SetRandomSeed(8086);
  set.MakeSheet(image, preview);
  ExpectDivisionTitle(image);
  ExpectDivisionLines(set, image);

  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_EQ(printer.jobs[0].title, QStringLiteral("わり算"));
  EXPECT_TRUE(printer.jobs[0].ended);
  ExpectDivisionTitle(*printer.jobs[0].page);
  ExpectDivisionLines(set, *printer.jobs[0].page);
}

TEST_F(DivisionSheet, PrintingBeforeAnyRunPrintsTheFormOnly) {
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_TRUE(printer.jobs[0].ended);
  ExpectDivisionTitle(*printer.jobs[0].page);
  EXPECT_TRUE(ProblemLines(*printer.jobs[0].page).empty());
}

}  // namespace
}  // namespace tamariko
