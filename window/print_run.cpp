#include "window/print_run.h"

#include <QDate>
#include <QScopeGuard>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/spooler.h"
#include "printing/qxprinters.h"
#include "window/job_follow.h"

namespace tamariko {

TPrintRun::TPrintRun(const TWorkbook& book, const SheetChoice& choice, int versions,
                     QString printer, TJobFollow& follow, Hooks hooks)
    : book_(book),
      versionCount_(versions),
      printer_(std::move(printer)),
      follow_(follow),
      hooks_(std::move(hooks)) {
  std::vector<SheetRef> chosen;
  book.PrintRun(choice, [&](SheetRef sheet) { chosen.push_back(sheet); });
  order_ = VersionOrder(chosen, versionCount_);
  for (const VersionPage& page : order_) {
    const QString title = book.Info(page.sheet).jobTitle;
    titles_ << (versionCount_ > 1 ? title + QStringLiteral("（") + VersionLabel(page.version) +
                                        QStringLiteral("）")
                                  : title);
  }
}

TPrintRun::TPrintRun(std::vector<ClassBook> books, std::vector<ClassPaper> order, QString printer,
                     TJobFollow& follow, Hooks hooks)
    : book_(*books.front().book),
      versionCount_(static_cast<int>(books.size())),
      printer_(std::move(printer)),
      follow_(follow),
      hooks_(std::move(hooks)),
      class_(true),
      classBooks_(std::move(books)),
      classOrder_(std::move(order)) {
  std::vector<VersionPage> answers;
  QStringList answerTitles;
  for (std::size_t k = 0; k < classBooks_.size(); ++k) {
    const TWorkbook& book = *classBooks_[k].book;
    const int pupil = static_cast<int>(k);
    const QString name = QStringLiteral("（") + classOrder_[k].pupil.name + QStringLiteral("）");
    book.PrintRun(EverySheet(book.Paper()), [&](SheetRef sheet) {
      const bool answer = sheet.IsAnswerTable();
      (answer ? answers : order_).push_back({pupil, sheet});
      (answer ? answerTitles : titles_) << book.Info(sheet).jobTitle + name;
    });
  }
  order_.push_back({-1, {}});
  titles_ << QStringLiteral("一覧");
  order_.insert(order_.end(), answers.begin(), answers.end());
  titles_ += answerTitles;
}

TPrintRun::~TPrintRun() = default;

QString TPrintRun::JobTitleOf(const VersionPage& first) const {
  if (!class_) return JobTitle(book_.Paper(), first, versionCount_);
  if (first.version < 0) return QStringLiteral("一覧");
  const ClassPaper& paper = classOrder_[static_cast<std::size_t>(first.version)];
  return paper.paper->name + (first.sheet.IsAnswerTable() ? QStringLiteral(" 解答") : QString()) +
         QStringLiteral("（") + paper.pupil.name + QStringLiteral("）");
}

void TPrintRun::PrintPageOf(const VersionPage& page) {
  if (class_ && page.version < 0) {
    PrintClassOverview(classOrder_, QxPrinter());
  } else if (class_) {
    classBooks_[static_cast<std::size_t>(page.version)].book->PrintSheet(page.sheet, QxPrinter());
  } else if (versionCount_ > 1) {
    versions_[static_cast<std::size_t>(page.version)]->PrintSheet(page.sheet, QxPrinter());
  } else {
    hooks_.printOne(page.sheet);
  }
}

void TPrintRun::MakeVersions(const std::function<std::unique_ptr<TWorkbook>(int version)>& make) {
  versions_.clear();
  for (int v = 0; v < versionCount_; ++v) {
    versions_.push_back(make(v));
    versions_.back()->SetJobTitleSuffix(QStringLiteral("（") + VersionLabel(v) +
                                        QStringLiteral("）"));
  }
}

bool TPrintRun::GatherJob() { return GatherPrinterJob(); }
void TPrintRun::SendGatheredJob(const QString& title) { SendGatheredPrinterJob(title); }
void TPrintRun::DropGatheredJob() { DropGatheredPrinterJob(); }

TPrintReport TPrintRun::Run() {
  if (!class_ && versionCount_ > 1 && versions_.size() != static_cast<std::size_t>(versionCount_)) {
    throw std::logic_error("TPrintRun::Run: the versions are not made");
  }
  auto ending = [this] { return hooks_.ending && hooks_.ending(); };
  TPrintReport report;
  const QString& printer = printer_;
  TakePrintNotices();  // none of an earlier run's
  follow_.BeginRun();
  // The PDF printer writes the versions as one file, in the run's order.
  bool oneFile = false;
  if (versionCount_ > 1 || class_) {
    try {
      oneFile = CollectPdfPrinterRun(class_ ? ClassFileStem(QDate::currentDate())
                                            : VersionsFileStem(book_.Paper(), versionCount_));
    } catch (const std::exception& e) {
      for (const QString& title : titles_)
        report.Failed(title, printer, QString::fromUtf8(e.what()));
      return report;
    }
  }
  auto dropFile = qScopeGuard([oneFile] {
    if (oneFile) DropPdfPrinterRun();
  });
  // Once the print server has been silent for the whole bound, the sheets after are not
  // waited for again, one bound each: the run gives up with the same reason.
  QString silence;
  QStringList sentInFile;
  // A page's outcome is told at once, or, on both sides, once its job has gone: the pages
  // of a job go together.
  struct Outcome {
    QString title;
    QString failure;  // empty: sent
    bool notSent = false;
    QString file;
    bool unknown = false;  // the silent server may print it all the same
  };
  auto tell = [&](const Outcome& o) {
    if (o.unknown) {
      report.Unknown(o.title, printer, o.failure);
    } else if (o.notSent) {
      report.NotSent(o.title);
    } else if (!o.failure.isEmpty()) {
      report.Failed(o.title, printer, o.failure);
    } else {
      report.Sent(o.title, printer, o.file);
    }
  };
  bool gathering = false;
  std::vector<Outcome> inJob;
  auto dropJob = qScopeGuard([this] { DropGatheredJob(); });
  // A send given up because the program is ending was not sent, not failed; unless the
  // server was asked to make the job, which it may print all the same.
  auto failure = [&](const QString& title, const std::exception& e, const QStringList& sheets) {
    const bool mayExist = follow_.GaveUp(sheets, e);
    if (ending()) return Outcome{title, {}, !mayExist, {}, mayExist};
    if (dynamic_cast<const EPrintServerSilent*>(&e)) silence = QString::fromUtf8(e.what());
    return Outcome{title, QString::fromUtf8(e.what()), false, {}, mayExist};
  };
  auto sendJob = [&](const VersionPage& first) {
    std::vector<Outcome> pages = std::exchange(inJob, {});
    if (!gathering) return;
    gathering = false;
    const bool drawn = std::any_of(pages.begin(), pages.end(), [](const Outcome& o) {
      return !o.notSent && o.failure.isEmpty();
    });
    std::optional<Outcome> sendFailure;
    if (!drawn) {
      DropGatheredJob();
    } else if (ending() || !silence.isEmpty()) {
      DropGatheredJob();
      sendFailure = ending() ? Outcome{{}, {}, true, {}} : Outcome{{}, silence, false, {}};
    } else {
      QStringList sheets;
      for (const Outcome& o : pages) {
        if (!o.notSent && o.failure.isEmpty()) sheets << o.title;
      }
      try {
        SendGatheredJob(JobTitleOf(first));
        follow_.Sent(sheets);
      } catch (const std::exception& e) {
        sendFailure = failure({}, e, sheets);
      }
    }
    for (Outcome& page : pages) {
      if (sendFailure && !page.notSent && page.failure.isEmpty()) {
        page.failure = sendFailure->failure;
        page.notSent = sendFailure->notSent;
        page.unknown = sendFailure->unknown;
      }
      tell(page);
    }
  };
  std::size_t jobStart = 0;
  for (std::size_t i = 0; i < order_.size(); ++i) {
    const VersionPage& page = order_[i];
    if (!oneFile && StartsJob(order_, i)) {
      if (i > 0) sendJob(order_[jobStart]);
      jobStart = i;
      gathering = GatherJob();
    }
    const QString& title = titles_[static_cast<qsizetype>(i)];
    auto note = [&](Outcome o) {
      if (gathering) {
        inJob.push_back(std::move(o));
      } else {
        tell(o);
      }
    };
    if (hooks_.taken) hooks_.taken();
    if (ending()) {
      note({title, {}, true, {}});
      continue;
    }
    if (!silence.isEmpty()) {
      note({title, silence, false, {}});
      continue;
    }
    const qsizetype pdfBefore = PdfPrinterFilesWritten().size();
    try {
      PrintPageOf(page);
      if (oneFile) {
        sentInFile << title;
      } else {
        note({title, {}, false, PdfPrinterFilesWritten().mid(pdfBefore).value(0)});
        if (!gathering) follow_.Sent({title});
      }
    } catch (const std::exception& e) {
      note(failure(title, e, {title}));
    }
  }
  if (!order_.empty()) sendJob(order_[jobStart]);
  if (oneFile) {
    dropFile.dismiss();
    // The pages are in the file only once it is in place: all of them, or none.
    try {
      const QString file = sentInFile.isEmpty() ? QString() : FinishPdfPrinterRun();
      for (const QString& title : sentInFile) report.Sent(title, printer, file);
    } catch (const std::exception& e) {
      for (const QString& title : sentInFile) {
        report.Failed(title, printer, QString::fromUtf8(e.what()));
      }
    }
    if (sentInFile.isEmpty()) DropPdfPrinterRun();
  }
  // A paused queue took the jobs and holds them.
  for (const QString& notice : TakePrintNotices()) report.AddPrinterNotice(printer, notice);
  return report;
}

}  // namespace tamariko
