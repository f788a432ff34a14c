#include "core/contest_header.h"

namespace tamariko {

void DrawContestBoxes(SheetDrawer& d, long double top) {
  d.HeavyPen();
  d.ClearBrush();
  d.Line(41, top + 21, 166, top + 21);
  d.Line(41, top + 22, 166, top + 22);

  d.ThinPen();
  d.Rectangle(174, top, 217, top + 19);  // division box
  d.Line(182, top, 182, top + 19);
  d.Rectangle(223, top, 249, top + 19);  // participant number box
  d.Line(223, top + 6, 249, top + 6);
  d.Rectangle(174, top + 20, 249, top + 39);  // score box
  for (long double x : {189.0L, 195.0L, 217.0L, 223.0L}) d.Line(x, top + 20, x, top + 39);
}

void DrawContestLabels(SheetDrawer& d, const TSheetTexts& texts, long double top,
                       const std::array<long double, 5>& divisionLinesY,
                       const char16_t* pointsPerAnswer) {
  DrawTeacherLine(d, kContestPlaces.heading2.Lowered(top - kContestHeaderTop), texts.Heading2());
  DrawTeacherLine(d, kContestPlaces.heading1.Lowered(top - kContestHeaderTop), texts.Heading1());
  d.Texts(9, true,
          {{176, top + 2, u"参"},
           {176, top + 6, u"加"},
           {176, top + 10, u"部"},
           {176, top + 14, u"門"}});
  d.Texts(8, false,
          {{184, divisionLinesY[0], u"小学校一年生以下の部"},
           {184, divisionLinesY[1], u"小学校　　　年生の部"},
           {184, divisionLinesY[2], u"中学校　　　年生の部"},
           {184, divisionLinesY[3], u"高校生の部"},
           {184, divisionLinesY[4], u"一般の部(Ⅰ・Ⅱ)"}});
  d.Texts(9, true, {{229, top + 2, u"参加番号"}});
  d.Texts(10, true, {{176, top + 28, pointsPerAnswer}});
  d.Texts(9, true, {{190, top + 24, u"正"}, {190, top + 28, u"答"}, {190, top + 32, u"数"}});
  d.Texts(9, true, {{218, top + 24, u"採"}, {218, top + 28, u"点"}, {218, top + 32, u"欄"}});
}

void DrawAdditionHeaderRules(SheetDrawer& d) { DrawContestBoxes(d, 48); }

void DrawAdditionHeaderTexts(SheetDrawer& d, const TSheetTexts& texts, const QString& title,
                             const FormText& timeLimit) {
  DrawContestLabels(d, texts, 48, {49, 53, 57, 60, 63}, u"10点×");
  d.Font(16, true);
  d.Text(25, 82, RoundLabel(texts));
  d.Text(50, 82, title);
  d.Texts(9, false, {timeLimit});
}

}  // namespace tamariko
