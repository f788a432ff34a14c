#pragma once

#include <QString>
#include <QStringList>

#include "core/sheet_drawer.h"
#include "core/sheet_texts.h"
#include "core/teacher_lines.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_problems.h"

namespace tamariko {

enum class TExamPageKind {
  Single,
  Front,
  Back,
  Answers,
  // 段位: a page a subject, みとり算 on two
  DanMultiplication,
  DanDivision,
  DanAdditionFirst,
  DanAdditionSecond,
  // 暗算 of two pages: 表 みとり暗算, 裏 かけ暗算 and わり暗算
  MentalAddition,
  MentalPairs,
};

// An answer page's answers as printed, by subject and problem number, as a paper's answer
// page holds them; an empty text leaves its cell empty.
struct TExamAnswerTexts {
  QStringList abacus, multiplication, division;
};

// What a page of an exam paper is drawn from. `problems` is null for a paper never made: its
// pages show the form alone.
struct TExamPageContent {
  const TExamGrade& grade;
  const TExamProblems* problems;
  const TSheetTexts& texts;
  QString organizer;
  // The answer page's answers; null: the problems' own.
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

// The whole page, form and figures, laid out on B4 in millimetres.
void DrawExamPage(SheetDrawer& d, const TExamPageContent& content, TExamPageKind kind);

// A subject's name on the grade's papers: 0 みとり算, 1 かけ算, 2 わり算, or their 暗算.
QString ExamSubjectName(const TExamGrade& grade, int subject);

// The page's title: 「珠算検定練習問題　８級（表）」.
QString ExamPageTitle(const TExamGrade& grade, TExamPageKind kind);

// Width in millimetres of an answer space for `longest` at B4: 4 mm a digit, 2 mm any other
// character (comma, point, sign, ¥).
long double AnswerSpaceMm(const QString& longest);

// The longest answer each subject of the grade can have, by its rules alone.
QString LongestAdditionAnswer(const TAdditionSection& section);
QString LongestPairAnswer(const TPairSection& section, bool division);

}  // namespace tamariko
