#pragma once

// One print of the window's chosen sheets, from the first page to the report. One failing
// sheet holds back none of the others; the run is told once, at its end. Several versions
// (only of a paper made: forms are all alike) go as one run, every version's problem sheets
// first, then their answer pages; on a printer that prints both sides, each version's
// problem pages are one job, and so are its answer pages.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/class_print.h"
#include "app/versions.h"
#include "app/workbook.h"
#include "window/print_report.h"

namespace tamariko {

class TJobFollow;

class TPrintRun {
 public:
  // What the run asks of the window.
  struct Hooks {
    // The program is ending (closed during a print, or a signal): sheets not yet sent stay
    // unsent.
    std::function<bool()> ending;
    // One more page taken up, for the status line.
    std::function<void()> taken;
    // Prints one sheet of `book`, in a run of one version.
    std::function<void(SheetRef)> printOne;
  };

  // The sheets of `choice` from `book` (the paper on screen), in `versions` versions, to
  // `printer` (the one in force, as the report names it); `follow` is told of the jobs.
  TPrintRun(const TWorkbook& book, const SheetChoice& choice, int versions, QString printer,
            TJobFollow& follow, Hooks hooks);
  // A class at once (app/class_print.h): each pupil's paper as a version of its own, every
  // pupil's problem pages, the overview, then every pupil's answer pages; to the PDF printer
  // one file 名簿_YYYY-MM-DD.pdf.
  TPrintRun(std::vector<ClassBook> books, std::vector<ClassPaper> order, QString printer,
            TJobFollow& follow, Hooks hooks);
  virtual ~TPrintRun();
  TPrintRun(const TPrintRun&) = delete;
  TPrintRun& operator=(const TPrintRun&) = delete;

  // The workbooks a run of several versions sends, before Run: `make` makes version v (the
  // first the paper on screen made again), and its jobs' titles are told apart.
  void MakeVersions(const std::function<std::unique_ptr<TWorkbook>(int version)>& make);
  // Every page's job title, in the run's order.
  const QStringList& Titles() const { return titles_; }
  TPrintReport Run();

 protected:
  // A job of pages that share sheets (see GatherPrinterJob).
  virtual bool GatherJob();
  virtual void SendGatheredJob(const QString& title);
  virtual void DropGatheredJob();

 private:
  const TWorkbook& book_;
  int versionCount_;
  QString printer_;
  TJobFollow& follow_;
  Hooks hooks_;
  std::vector<VersionPage> order_;
  QStringList titles_;
  std::vector<std::unique_ptr<TWorkbook>> versions_;
  // A class run's papers and pupils; its overview is the page of version -1.
  bool class_ = false;
  std::vector<ClassBook> classBooks_;
  std::vector<ClassPaper> classOrder_;

  QString JobTitleOf(const VersionPage& first) const;
  void PrintPageOf(const VersionPage& page);
};

}  // namespace tamariko
