#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "core/random.h"
#include "mitori/mitori.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/sheet_fixtures.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;
using Side = TMitori::Side;

class AbacusSheet : public test::RecordedSheet {
 protected:
  AbacusSheet() {
    texts.round = QStringLiteral("12");
    set.SetSheetTexts(&texts);
  }

  test::EditableTexts texts;
  TMitori set;
  RecordingCanvas back;  // `image` is the front
};

std::vector<Op> Figures(const RecordingCanvas& canvas) {
  return test::TextsIn(canvas, QStringLiteral("ORVFont"));
}

// The rows of the side's fifteen problems, in order, grouped, in the carried face at 11
// points; each problem's rows one under another, ending on one edge, clear of every rule, in
// a column of their own.
void ExpectFigures(const TMitori& set, Side side, const RecordingCanvas& canvas) {
  const std::vector<Op> figures = Figures(canvas);
  ASSERT_EQ(figures.size(), 150u);
  const int first = side == Side::Front ? 1 : 16;
  for (int i = 0; i < 150; ++i) {
    const int p = first + i / 10, r = i % 10 + 1;
    SCOPED_TRACE(::testing::Message() << "problem " << p << " row " << r);
    const Op& f = figures[i];
    EXPECT_EQ(f.text, TKeisan::FormatGrouped(set.GetNumber(10 * (p - 1) + r - 1)));
    EXPECT_EQ(f.fontSize, 11);
    EXPECT_FALSE(f.bold);
    const QRect box = RecordingCanvas::BoxOf(f);
    EXPECT_FALSE(canvas.RuleTouches(box));
    if (i == 0) continue;
    const QRect above = RecordingCanvas::BoxOf(figures[i - 1]);
    const bool sameColumn = canvas.RulesBeside(box).first.x1 == canvas.RulesBeside(above).first.x1;
    EXPECT_EQ(sameColumn, r > 1);
    if (r == 1) continue;
    EXPECT_EQ(box.right(), above.right());
    EXPECT_GT(box.top(), above.bottom());
  }
}

TEST_F(AbacusSheet, EachSideCarriesItsProblemsOnThePreviewAndOnPaper) {
  SetRandomSeed(4321);
  set.MakeSheets(&image, &back, preview);
  test::ExpectErasedThenFormThen(image, QStringLiteral("ORVFont"));
  test::ExpectErasedThenFormThen(back, QStringLiteral("ORVFont"));
  ExpectFigures(set, Side::Front, image);
  ExpectFigures(set, Side::Back, back);

  set.PrintSheet(Side::Back, printer);
  set.PrintSheet(Side::Front, printer);
  ASSERT_EQ(printer.jobs.size(), 2u);
  EXPECT_EQ(printer.jobs[0].title, QStringLiteral("みとり算（裏）"));
  EXPECT_EQ(printer.jobs[1].title, QStringLiteral("みとり算（表）"));
  for (const auto& job : printer.jobs) {
    EXPECT_TRUE(job.ended);
    EXPECT_TRUE(job.page->OfKind(Kind::FillRect).empty());  // the page is not erased
  }
  ExpectFigures(set, Side::Back, *printer.jobs[0].page);
  ExpectFigures(set, Side::Front, *printer.jobs[1].page);
  // A subtracted row shows its sign in front of grouped digits.
  bool groupedMinus = false;
  for (const auto& f : Figures(back))
    groupedMinus |= f.text.startsWith(u'-') && f.text.contains(u',');
  EXPECT_TRUE(groupedMinus);
}

TEST_F(AbacusSheet, OneSideOrBothMakeTheSameSetFromTheSameDraws) {
  SetRandomSeed(99);
  set.Generate();
  std::array<std::int64_t, 300> expected;
  for (int i = 0; i < 300; ++i) expected[i] = set.GetNumber(i);
  const std::uint32_t after = RandomSeed();

  RecordingCanvas frontOnly, backOnly;
  for (auto [front, rear] : {std::pair<TCanvas*, TCanvas*>{&frontOnly, nullptr},
                             {nullptr, &backOnly},
                             {&image, &back}}) {
    SetRandomSeed(99);
    set.MakeSheets(front, rear, preview);
    EXPECT_EQ(RandomSeed(), after);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(set.GetNumber(i), expected[i]) << i;
  }
  ExpectFigures(set, Side::Front, frontOnly);
  ExpectFigures(set, Side::Back, backOnly);
}

// Each side carries the addition sheets' header, its own title, the time limit and no
// grade markers.
TEST_F(AbacusSheet, FormOfEachSide) {
  set.MakeSheets(&image, &back, preview);
  EXPECT_NE(image.FindText(QStringLiteral("み と り 算 問 題（表）")), nullptr);
  EXPECT_EQ(image.FindText(QStringLiteral("み と り 算 問 題（裏）")), nullptr);
  EXPECT_NE(back.FindText(QStringLiteral("み と り 算 問 題（裏）")), nullptr);
  for (const RecordingCanvas* side : {&image, &back}) {
    const Op* title = side->FindText(side == &image ? QStringLiteral("み と り 算 問 題（表）")
                                                    : QStringLiteral("み と り 算 問 題（裏）"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->fontSize, 16);
    EXPECT_TRUE(title->bold);
    const Op* limit = side->FindText(QStringLiteral("(制限時間10分)"));
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->fontSize, 9);
    for (const char* text : {"第12回", "参加番号", "10点×", "ORVぽろね教室"}) {
      EXPECT_NE(side->FindText(QString::fromUtf8(text)), nullptr) << text;
    }
    for (const auto& t : side->OfKind(Kind::TextOut)) {
      EXPECT_FALSE(t.text.contains(QStringLiteral("ここ"))) << "a grade marker";
    }
  }
}

TEST_F(AbacusSheet, PrintingBeforeAnyRunPrintsTheFormOnly) {
  set.PrintSheet(Side::Front, printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_TRUE(Figures(*printer.jobs.front().page).empty());
  EXPECT_NE(printer.jobs.front().page->FindText(QStringLiteral("み と り 算 問 題（表）")),
            nullptr);
}

}  // namespace
}  // namespace tamariko
