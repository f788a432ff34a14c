#pragma once

// The papers the program makes, the contest paper first and the default. A window or a
// batch run makes one paper's sheets: the window's check boxes, tabs and print choices, the
// batch's --sheets and file names, the JSON and the print order all come from its paper.

#include <QStringList>
#include <vector>

#include "core/paper.h"
#include "kentei/exam_grades.h"

namespace tamariko {

// Every paper, the default first. A test may add its own for as long as it runs.
std::vector<const TPaper*>& Papers();
const TPaper& DefaultPaper();
// The shipped exam-practice papers' grades, read from the documents built into the program,
// in the order resources/papers/order.txt gives (the rest after, by key).
const std::vector<TExamGrade>& ExamGrades();
// The shipped grade of `key`, or nullptr.
const TExamGrade* FindExamGrade(const QString& key);

// Where a teacher's own papers live: $XDG_DATA_HOME/tamariko/papers.
QString OwnPapersFolder();
// The teacher's own papers that read, by key (the file's name without .json); a paper that
// does not read, or takes a shipped key, adds its message to `faults` instead.
std::vector<const TPaper*> OwnExamPapers(QStringList* faults = nullptr);
// The paper of the document at `path`, read once a run. Throws Error naming every fault.
const TPaper& ExamPaperFromFile(const QString& path);
// True where --exam's `argument` names a file rather than a key.
bool NamesAFile(const QString& argument);

// The grades of ExamPapers(), in its order.
std::vector<const TExamGrade*> AllExamGrades();

// The exam-practice papers, shipped ones in order, then the teacher's own. Their pages share
// names (omote, kaitou), so --sheets alone never names them.
std::vector<const TPaper*> ExamPapers();
// The exam paper of `key`; nullptr for none.
const TPaper* ExamPaperNamed(const QString& key);
// The exam paper the grade makes (one of ExamPapers()).
const TPaper& ExamPaperOf(const TExamGrade& grade);
// The paper named `key`, an exam paper too; nullptr for none.
const TPaper* PaperNamed(const QString& key);
// The paper (not an exam paper) that holds the sheet named `key`; nullptr for none.
const TPaper* PaperOfSheet(const QString& key);

// A paper laid out (core/paper.h), once: throws Error where it is built wrong.
const TPaperLayout& LayoutOf(const TPaper& paper);
// A paper's problem sheets in order, then with its answer pages: every sheet with a tab.
std::vector<SheetInfo> ProblemSheets(const TPaper& paper);
std::vector<SheetInfo> SheetsWithAnswerTable(const TPaper& paper);

// The default paper's problem sheets, for the batch mode.
const std::vector<SheetInfo>& ProblemSheets();

// The contest paper's answer table: the last tab and the last page of every run.
inline const SheetInfo kAnswerSheet{
    QStringLiteral("kaitou"), QStringLiteral("解答表"), {}, QStringLiteral("解答")};

}  // namespace tamariko
