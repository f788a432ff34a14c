#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/sheet_drawer.h"
#include "core/sheet_texts.h"
#include "core/teacher_lines.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_layout.h"
#include "kentei/exam_problems.h"

namespace tamariko {

// A page of a paper: a problem page of its layout, or an answer page.
struct TExamPageRef {
  bool answers = false;
  std::size_t index = 0;
};

// The answer pages' answers as printed, by section and problem, as the paper's answer pages
// hold them; an empty text leaves its cell empty.
struct TExamAnswerTexts {
  std::vector<QStringList> sections;
};

// What a page of an exam paper is drawn from. `problems` is null for a paper never made: its
// pages show the form alone.
struct TExamPageContent {
  const TExamGrade& grade;
  const TExamLayout& layout;
  const TExamProblems* problems;
  const TSheetTexts& texts;
  QString organizer;
  // The answer pages' answers; null: the problems' own.
  const TExamAnswerTexts* answers = nullptr;
};

// The problem figures' size up to 4級; above it figures shrink to 11 and, on the crowded
// 段位 みとり算 pages, 10 points.
inline constexpr int kExamFigurePoints = 13;
inline constexpr int kExamSmallFigurePoints = 11;
inline constexpr int kExamSmallestFigurePoints = 10;

// The teacher's lines of every exam page: the headings left of the boxes for the number,
// name and score (x 160), the large one above the 段位 ladder (y 27); the school's name
// anywhere along the foot, which only it uses.
inline constexpr TeacherPlaces kExamPlaces{
    {14, 10, 9, false, 158, 5, 15.5L, 9, u"用紙の「受験番号」の枠の手前まで"},
    {14, 16, 20, true, 158, 15.5L, 26.5L, 20, u"用紙の「受験番号」などの枠の手前まで"},
    {14, 347, 11, false, 252, 344, 362, 8, u"用紙の下の余白"},
};

// A pupil's name and 受験番号 inside their boxes; a long name shrinks as the school's does.
inline constexpr HeadingPlace kExamPupilName{
    184, 25, 14, false, 251, 22.5L, 33.5L, 8, u"用紙の「氏名」の枠"};
inline constexpr HeadingPlace kExamPupilNumber{
    184, 13, 12, false, 251, 10.5L, 19.5L, 8, u"用紙の「受験番号」の枠"};

// The whole page, form and figures, laid out on B4 in millimetres.
void DrawExamPage(SheetDrawer& d, const TExamPageContent& content, TExamPageRef page);

// The page's title: 「珠算検定練習問題　８級（表）」, 「…（解答）」.
QString ExamPageTitle(const TExamGrade& grade, const TExamLayout& layout, TExamPageRef page);

}  // namespace tamariko
