#pragma once

// A paper: what one teacher's choice in the window makes, prints and remembers. Its kinds
// in the order a run makes them from one generator (so a kind added at the end never
// changes a problem of those before it), and its answer pages, which come after every
// problem sheet. The window builds its tabs, check boxes and print choices from the
// paper in force; the batch mode makes the paper whose sheets it is asked for.
//
// What a new paper provides: a key and a name, its kinds (each made by a factory), its
// answer pages (each a SheetInfo and a factory given the runs of the paper's kinds on it)
// and the sheets ticked before the teacher ticks any. app/papers.cpp lists it.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/answer_page.h"
#include "core/contest_header.h"
#include "core/problem_kind.h"

namespace tamariko {

struct KindEntry {
  std::function<std::unique_ptr<TProblemKind>()> make;
  // The JSON of a set carries the kind even when it was not made (as zeros): the contest
  // paper's two first kinds always did, and scripts read them so.
  bool inJsonUnmade = false;
};

struct AnswerPageEntry {
  SheetInfo sheet;  // its tab comes after every problem sheet's
  // The page, given the runs of the paper's kinds on it (AnswerRun::page is its index).
  std::function<std::unique_ptr<TAnswerPage>(std::vector<AnswerRun> runs)> make;
};

// Where a check box of the main window stands, in pixels of the sheet panel.
struct BoxPlace {
  int x, y, width, height;
};

struct TPaper {
  QString key;   // the settings' name of the paper
  QString name;  // as the window offers it: 「大会問題」
  std::vector<KindEntry> kinds;
  // One page so far; a list so that a paper may have more.
  std::vector<AnswerPageEntry> answerPages;
  // The sheets ticked in a window that remembers no choice of its own.
  QStringList firstTicked;
  // The main window's check boxes in tab order, placed by hand; empty: in rows as they fit.
  std::vector<BoxPlace> boxPlaces = {};
  // Where the teacher's headings and school name stand on its pages, and may run.
  TeacherPlaces places = kContestPlaces;
};

}  // namespace tamariko
