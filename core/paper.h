#pragma once

// A paper: what one teacher's choice in the window makes, prints and remembers. Its kinds
// in the order a run makes them from one generator (so a kind added at the end never
// changes a problem of those before it), and its answer pages, which come after every
// problem sheet and place the kinds' answer runs. The window builds its tabs, check boxes
// and print choices from the paper in force, finding each sheet by its key; the batch mode
// makes the paper whose sheets it is asked for.
//
// What a new paper provides: a key and a name, its kinds (each made by a factory), its
// answer pages and the sheets ticked before the teacher ticks any. app/papers.cpp lists it.

#include <QString>
#include <QStringList>
#include <cstddef>
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

// A run an answer page places by hand, by the run's key (AnswerRun::key).
struct AnswerPlace {
  QString run;
  int column = 0;
  int firstRow = 0;
};

struct AnswerPageEntry {
  SheetInfo sheet;
  int columns = 1;
  int rows = 1;
  // The runs this page places where its layout has them (those of the paper's kinds).
  std::vector<AnswerPlace> places = {};
  // Runs no page places fill this page's free cells, column by column, then pages of its
  // own after it (its key with 2, 3, ..., ticked with it). A page that takes no others
  // refuses them.
  bool takesOthers = false;
  // One page of this entry, given the runs laid out on it.
  std::function<std::unique_ptr<TAnswerPage>(std::vector<AnswerRun> runs)> make = {};
};

// Where a check box of the main window stands, in pixels of the sheet panel.
struct BoxPlace {
  int x, y, width, height;
};

struct TPaper {
  QString key;   // the settings' name of the paper
  QString name;  // as the window offers it: 「大会問題」
  std::vector<KindEntry> kinds;
  std::vector<AnswerPageEntry> answerPages;
  // The sheets ticked in a window that remembers no choice of its own.
  QStringList firstTicked;
  // The main window's check boxes in the sheets' order, placed by hand; those after flow
  // in rows below them.
  std::vector<BoxPlace> boxPlaces = {};
  // The problem sheets in the order of the tabs, boxes and print run, where it is not the
  // kinds' order: these first, by key, the rest after them in their kinds' order.
  QStringList sheetOrder = {};
  // Where the teacher's headings and school name stand on its pages, and may run.
  TeacherPlaces places = kContestPlaces;
};

// An answer page of a laid-out paper: its sheet (an entry's, or a page after it), the entry
// it comes from and the runs on it, placed.
struct AnswerSheet {
  SheetInfo sheet;
  std::size_t entry = 0;
  std::vector<AnswerRun> runs;
};

// A paper as its kinds make it: every sheet in order, every answer in its place.
struct TPaperLayout {
  std::vector<SheetInfo> problemSheets;   // the order of the tabs, boxes and print run
  std::vector<AnswerSheet> answerSheets;  // after every problem sheet
  // Which kind draws each problem sheet, and which of its sheets it is.
  struct KindSheet {
    int kind;
    int sheet;
  };
  std::vector<KindSheet> drawnBy;
};

// Lays the paper out from its kinds and checks it, so that a fault shows when the paper is
// built, never as an answer silently missing from a page: throws Error naming two sheets
// with one key, a sheet order naming a sheet the kinds lack or an answer page, a kind's
// runs that leave out or repeat an answer, a run too long for its page, places that
// overlap or leave the page, a run no page takes, first ticks no sheet has. A place whose
// run the paper lacks is passed over: one page's layout serves several papers.
TPaperLayout LayOutPaper(const TPaper& paper);

}  // namespace tamariko
