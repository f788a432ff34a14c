#pragma once

// The papers the program makes, the contest paper first and the default. A window or a
// batch run makes one paper's sheets: the window's check boxes, tabs and print choices, the
// batch's --sheets and file names, the JSON and the print order all come from its paper.

#include <vector>

#include "core/paper.h"

namespace tamariko {

// Every paper, the default first. A test may add its own for as long as it runs.
std::vector<const TPaper*>& Papers();
const TPaper& DefaultPaper();
// The exam-practice papers, one a key of --exam (shuzan-10, ...) in ladder order. Their
// pages share names (omote, kaitou), so --sheets alone never names them.
const std::vector<const TPaper*>& ExamPapers();
// The exam paper of `key`; nullptr for none.
const TPaper* ExamPaperNamed(const QString& key);
// The paper named `key`, an exam paper too, also one only the window offers (the shared
// 「10級・9級」 with both pass marks); nullptr for none.
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
