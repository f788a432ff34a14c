#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <future>
#include <memory>

#include "app/class_print.h"
#include "app/command_line.h"
#include "app/input_limits.h"
#include "app/papers.h"
#include "app/versions.h"
#include "app/workbook.h"
#include "batch/batch.h"
#include "batch/output_paths.h"
#include "core/error.h"
#include "core/random.h"
#include "core/sheet_drawer.h"
#include "kentei/exam_sheet.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/end_signals.h"
#include "platform/font_resources.h"
#include "platform/framework_printer.h"
#include "platform/png_writer.h"
#include "platform/resource.h"
#include "platform/spooler_paper.h"
#include "platform/staged_file.h"
#include "printing/qxprinters.h"

namespace tamariko {
namespace {

// PNG is made in memory: the encoder's own write errors say nothing useful, the staged
// file's do.
QByteArray PngBytes(const QString& path, const QImage& image) {
  try {
    return EncodePng(image);
  } catch (const std::exception& e) {
    throw Error(QStringLiteral("「%1」の画像を作れませんでした (cannot encode '%1' as PNG: %2)")
                    .arg(path, QString::fromUtf8(e.what()))
                    .toStdString());
  }
}

class BatchTexts : public TSheetTexts {
 public:
  explicit BatchTexts(const BatchOptions& o) : o_(o) {}
  QString RoundText() const override { return o_.round; }
  QString Heading1() const override { return o_.heading1; }
  QString Heading2() const override { return o_.heading2; }
  QString Organizer() const override { return o_.organizer; }

 private:
  const BatchOptions& o_;
};

// The preview's file: "mitori.png" for a single set, "mitori-0007.png" for set 7 of many.
QString PreviewName(const QString& key, int set, int count) {
  if (count == 1) return key + QStringLiteral(".png");
  return QStringLiteral("%1-%2.png").arg(key).arg(set, 4, 10, QLatin1Char('0'));
}

// Draws a preview as its tab shows it and stages it as PNG.
void WritePreview(StagedOutputs& outputs, const QString& path, const PageMapping& mapping,
                  const TWorkbook::PreviewDraw& draw) {
  outputs.Add(StagedFile::Written(path, PngBytes(path, DrawPreviewImage(draw, mapping))));
}

// "12/30 sets, 1.4 s" on one line of a terminal, for runs of many sets.
class Progress {
 public:
  Progress(int count, const char* what)
      : shown_(count > 1 && isatty(STDERR_FILENO) == 1), count_(count), what_(what) {
    clock_.start();
  }
  ~Progress() {
    if (shown_ && drawn_) std::fputc('\n', stderr);
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Done(int sets) {
    if (!shown_) return;
    std::fprintf(stderr, "\r%s %d/%d, %.1f s", what_, sets, count_, clock_.elapsed() / 1000.0);
    std::fflush(stderr);
    drawn_ = true;
  }

 private:
  bool shown_;
  bool drawn_ = false;
  int count_;
  const char* what_;
  QElapsedTimer clock_;
};

// Runs `make` for set n, unless an end signal has come, and names the set in what it
// throws, when there are many.
template <typename Make>
void ForSet(int n, std::uint32_t seed, int count, Make make) {
  StopIfEndSignalReceived();
  try {
    make();
  } catch (const std::exception& e) {
    if (count == 1) throw;
    throw Error(QStringLiteral("%1 組目 (種 %2) で止まりました / stopped at set %1 (seed %2): %3")
                    .arg(n)
                    .arg(seed)
                    .arg(QString::fromUtf8(e.what()))
                    .toStdString());
  }
}

// The paper whose sheets the run makes: the exam's, or the default one unless --sheets
// names another's.
const TPaper& PaperOf(const BatchOptions& options) {
  if (options.examPaper) return *options.examPaper;
  const TPaper* paper = options.sheets.isEmpty() ? nullptr : PaperOfSheet(options.sheets.first());
  return paper ? *paper : DefaultPaper();
}

// A sheet's file stem: an exam's pages share their names, so its key leads them.
QString FileStem(const BatchOptions& options, const QString& key) {
  return options.exam.isEmpty() ? key : options.exam + QLatin1Char('-') + key;
}

// "shuzan-8  珠算検定練習 8級", one a line.
// The teacher's own papers follow the shipped ones; one that does not read is told on
// standard error.
QByteArray ExamList() {
  QString text;
  const std::vector<const TPaper*> papers = ExamPapers();
  int width = 0;
  for (const TPaper* paper : papers) width = std::max(width, static_cast<int>(paper->key.size()));
  for (const TPaper* paper : papers) {
    text += QStringLiteral("%1  %2\n").arg(paper->key, -width).arg(paper->name);
  }
  QStringList faults;
  OwnExamPapers(&faults);
  for (const QString& fault : faults) PrintBatchError(fault);
  return text.toLocal8Bit();
}

// The keys of the paper's answer pages, which every run makes.
QStringList AnswerKeys(const TPaper& paper) {
  QStringList keys;
  for (const AnswerSheet& page : LayoutOf(paper).answerSheets) keys << page.sheet.key;
  return keys;
}

// Every preview file of the run, which no other output may be.
QStringList PreviewPaths(const BatchOptions& options) {
  QStringList paths;
  if (options.pngFolder.isEmpty()) return paths;
  for (int n = 1; n <= options.count; ++n) {
    QStringList keys = options.sheets + AnswerKeys(PaperOf(options));
    keys.removeDuplicates();  // an exam's answer page may be named too
    for (const QString& key : keys) {
      paths << QDir(options.pngFolder)
                   .filePath(PreviewName(FileStem(options, key), n, options.count));
    }
  }
  return paths;
}

// Says, last, which temporaries a run that failed could not remove.
void ReportTemporariesLeft() {
  const QStringList left = TakeTemporariesLeft();
  if (left.isEmpty()) return;
  PrintBatchError(QStringLiteral("一時ファイルを消せませんでした。次にこのフォルダに書くときに"
                                 "消します (could not remove a temporary file; the next run "
                                 "writing there removes it): %1%2")
                      .arg(left.front(), left.size() > 1
                                             ? QStringLiteral(" (+%1)").arg(left.size() - 1)
                                             : QString()));
}

// The drawing side of a run: the application object, the fonts and the printer objects.
// The PDF printer takes the --pdf pages; the --printer queue gets its own printer object
// after the files are in place; neither is the global one.
struct Drawing {
  std::unique_ptr<QGuiApplication> app;
  std::shared_ptr<CupsSpooler> spooler;
  std::unique_ptr<TQxPrinter> pdf;    // for --pdf, and the previews' scale without --printer
  std::unique_ptr<TQxPrinter> queue;  // for --printer
  PageMapping previewMapping;
};

void StartApplication(Drawing& drawing, char** argv) {
  if (drawing.app) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qtArgc = 1;
  drawing.app = std::make_unique<QGuiApplication>(qtArgc, argv);
}

// A printer object over the run's spooler with the named printer in force on the paper
// asked for (0: B4, or A4 where the printer has no B4), the page fitted to it.
// Sets `used` to the paper put in force.
std::unique_ptr<TQxPrinter> PrinterFor(const std::shared_ptr<CupsSpooler>& spooler,
                                       const QString& name, int paper, int& used) {
  auto printer = std::make_unique<TQxPrinter>(spooler, std::make_shared<FrameworkPrinter>(spooler));
  printer->Framework().SelectPrinter(name);
  printer->ResetPrinter();
  used = printer->UseSheetPaper(paper);
  return printer;
}

// A heading given is measured in the sheets' font, as the window does; the defaults fit.
// Throws BatchUsageError for a heading that does not fit.
void CheckHeadings(const BatchOptions& options, Drawing& drawing, char** argv) {
  if (options.pupils) {
    // Every pupil's name is measured, whatever the run writes.
    StartApplication(drawing, argv);
    InstallFaceSubstitutions();
    if (const auto refused =
            RefusedHeading(kExamPlaces, options.heading1, options.heading2, options.organizer)) {
      throw BatchUsageError{*refused};
    }
    for (const Pupil& pupil : options.pupils->pupils) {
      if (!pupil.ticked) continue;
      if (const QString refused = RefusedPupil(pupil); !refused.isEmpty()) {
        throw BatchOptionError(QStringLiteral("--class"), refused,
                               QStringLiteral("a pupil's name or number does not fit its box"));
      }
    }
    return;
  }
  if (options.heading1 == kDefaultHeading1 && options.heading2 == kDefaultHeading2 &&
      options.organizer == kDefaultOrganizer) {
    return;
  }
  StartApplication(drawing, argv);
  InstallFaceSubstitutions();
  if (const auto refused = RefusedHeading(PaperOf(options).places, options.heading1,
                                          options.heading2, options.organizer)) {
    throw BatchUsageError{*refused};
  }
}

// Throws BatchUsageError when the print server has no queue of that name, Error when it
// does not answer.
void CheckQueue(CupsSpooler& spooler, const QString& name) {
  if (!spooler.Refresh(CupsTimeoutMs() + 2000)) {
    throw Error(QStringLiteral("--printer: %1")
                    .arg(CupsNotAnsweringText(spooler.ServerFailure()))
                    .toStdString());
  }
  const auto& queues = spooler.Queues();
  if (std::none_of(queues.begin(), queues.end(),
                   [&](const CupsQueue& q) { return q.name == name; })) {
    throw BatchOptionError(QStringLiteral("--printer"),
                           QStringLiteral("プリンタ「%1」はありません").arg(name),
                           QStringLiteral("no printer named '%1'").arg(name));
  }
}

// Readies what drawing needs: fonts, the print server for --printer, the printer objects
// and the previews' scale (that of the printer the sets are for, as on the tabs). Throws
// BatchUsageError for bad input, Error (or another exception) for a failure.
Drawing PrepareDrawing(const BatchOptions& options, char** argv) {
  Drawing drawing;
  CheckHeadings(options, drawing, argv);
  // Drawing needs fonts and the printer's scale; the JSON alone needs neither.
  if (options.pngFolder.isEmpty() && options.pdf.isEmpty() && options.printer.isEmpty()) {
    return drawing;
  }
  StartApplication(drawing, argv);
  InstallFaceSubstitutions();
  AddFontResource(kCarriedFace, LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont")));
  drawing.spooler = std::make_shared<CupsSpooler>();
  const QString name =
      options.printer.isEmpty() ? QString::fromLatin1(kPdfPrinterName) : options.printer;
  // Only a CUPS queue needs the print server: files never wait on it.
  if (name != QLatin1String(kPdfPrinterName)) CheckQueue(*drawing.spooler, name);
  const QString option =
      options.printer.isEmpty() ? QStringLiteral("--pdf") : QStringLiteral("--printer");
  try {
    int paper = 0;
    if (!options.printer.isEmpty()) {
      drawing.queue = PrinterFor(drawing.spooler, options.printer, options.paper, paper);
    }
    if (!options.pdf.isEmpty() || options.printer.isEmpty()) {
      int pdfPaper = 0;
      drawing.pdf = PrinterFor(drawing.spooler, QString::fromLatin1(kPdfPrinterName), options.paper,
                               pdfPaper);
      if (!drawing.queue) paper = pdfPaper;
    }
    TQxPrinter& target = drawing.queue ? *drawing.queue : *drawing.pdf;
    if (options.paper != 0 && !target.HasPaper(paper)) {
      throw BatchOptionError(
          QStringLiteral("--paper"),
          QStringLiteral("プリンタ「%1」には %2 の用紙がありません")
              .arg(name, PaperNameOfNumber(paper)),
          QStringLiteral("the printer '%1' has no %2 paper").arg(name, PaperNameOfNumber(paper)));
    }
    if (paper != DMPAPER_B4 && options.paper == 0) {
      PrintBatchError(
          QStringLiteral("プリンタ「%1」には B4 の用紙がないため、%2 に合わせて印刷します "
                         "(the printer '%1' has no B4 paper: printing on %2, the page fitted)")
              .arg(name, PaperNameOfNumber(paper)));
    }
    drawing.previewMapping = PreviewMappingOf(target);
  } catch (const BatchUsageError&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(QStringLiteral("%1: %2").arg(option, QString::fromUtf8(e.what())).toStdString());
  }
  return drawing;
}

// The sets of a run, made one at a time: set n is the set that seed first + n - 1
// (modulo 2^32) gives alone.
class Sets {
 public:
  explicit Sets(const BatchOptions& options)
      : options_(options),
        texts_(options),
        first_(options.seed ? *options.seed : ClockSeed()),
        paper_(PaperOf(options)),
        choice_(options.sheets.begin(), options.sheets.end()) {
    for (const QString& key : AnswerKeys(paper_)) choice_.insert(key);
    made_ = choice_;
    // An exam's answer page alone still needs its problems.
    if (!options.exam.isEmpty()) made_ = EverySheet(paper_);
  }

  int Count() const { return options_.count; }
  std::uint32_t SeedOf(int n) const { return first_ + static_cast<std::uint32_t>(n - 1); }
  const SheetChoice& Choice() const { return choice_; }

  // The seed used, on standard error.
  void Announce() const {
    if (Count() == 1) {
      std::fprintf(stderr, "seed: %u\n", first_);
    } else {
      std::fprintf(stderr, "seed: %u (sets 1 to %d: seeds %u to %u)\n", first_, Count(), first_,
                   SeedOf(Count()));
    }
  }

  std::unique_ptr<TWorkbook> Make(int n, const TWorkbook::ShowPreview& show) const {
    const std::uint32_t seed = SeedOf(n);
    return MakePaper(&texts_, paper_, seed, made_, options_.mark ? SetMarkLabel(seed) : QString(),
                     show);
  }

 private:
  const BatchOptions& options_;
  const BatchTexts texts_;
  const std::uint32_t first_;
  const TPaper& paper_;
  SheetChoice choice_;  // the sheets written and printed
  SheetChoice made_;    // the sheets whose kinds are made
};

// Makes every set into the files, staged: the previews, the JSON (on standard output line
// by line as the sets are made) and the PDF's pages. Nothing is put in place here.
StagedOutputs StageFiles(const BatchOptions& options, const OutputPaths& paths, const Sets& sets,
                         Drawing& drawing) {
  StagedOutputs outputs;
  const bool files =
      !options.json.isEmpty() || !options.pngFolder.isEmpty() || !options.pdf.isEmpty();
  if (!files) return outputs;
  std::unique_ptr<StagedFile> json;
  if (!options.json.isEmpty() && options.json != QStringLiteral("-")) {
    json = paths.Stage(options.json);
  }
  if (!options.pdf.isEmpty()) drawing.spooler->CollectPdfJobs(paths.Stage(options.pdf));
  const int count = sets.Count();
  Progress progress(count, "sets");
  for (int n = 1; n <= count; ++n) {
    ForSet(n, sets.SeedOf(n), count, [&] {
      // Previews are drawn while the problems are made, as on the tabs; without them the
      // same draws are made without drawing.
      TWorkbook::ShowPreview show;
      if (!options.pngFolder.isEmpty()) {
        show = [&](const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw) {
          if (!Chosen(sets.Choice(), sheet)) return;
          const QString path =
              QDir(options.pngFolder).filePath(PreviewName(FileStem(options, sheet.key), n, count));
          WritePreview(outputs, path, drawing.previewMapping, draw);
        };
      }
      const auto book = sets.Make(n, show);
      if (!options.json.isEmpty()) {
        const QByteArray line = book->JsonLine(sets.SeedOf(n));
        if (json) {
          if (json->write(line) != line.size()) json->Finish();  // throws the reason
        } else {
          WriteStandardOutputOrThrow(line);
        }
      }
      if (!options.pdf.isEmpty()) {
        book->PrintSheets(sets.Choice(), *drawing.pdf);
        drawing.spooler->CheckPdfCollection();
      }
    });
    progress.Done(n);
  }
  if (json) {
    json->Finish();
    outputs.Add(std::move(json));
  }
  if (!options.pdf.isEmpty()) outputs.Add(drawing.spooler->EndPdfCollection());
  return outputs;
}

// A job given up on while the server was silent may print all the same: once the server
// was asked to make it, it is looked for once more, within the bound, and cancelled if it
// waits. What became of it is said; the run fails all the same.
[[noreturn]] void ThrowGivenUp(const EPrintServerSilent& e, long long runStart, int lastJob) {
  QString said = QString::fromUtf8(e.what());
  if (e.jobMayExist) {
    const CupsJobLeft left{e.queue, e.title, e.jobId, runStart, lastJob};
    const CupsJobsReading reading = std::async(std::launch::async, [&] {
                                      return FollowCupsJobs({}, {left}, CupsTimeoutMs());
                                    }).get();
    const CupsLeftOutcome outcome =
        reading.left.empty() ? CupsLeftOutcome::NotAnswered : reading.left.front();
    if (outcome == CupsLeftOutcome::WillNotPrint) {
      said += QStringLiteral("。「%1」のジョブは取り消しました (the job '%1' was cancelled)")
                  .arg(e.title);
    } else if (outcome == CupsLeftOutcome::HandedOn) {
      said = QStringLiteral(
                 "「%1」は印刷サーバーがプリンターに送りました。その後は送っていません "
                 "(the print server handed '%1' on to the printer; nothing after it "
                 "was sent)")
                 .arg(e.title);
    } else {
      // Not "could not print": it may print when the server wakes up.
      const QString lead = QStringLiteral("「%1」へ印刷できませんでした: ").arg(e.queue);
      if (said.startsWith(lead))
        said = QStringLiteral("「%1」: ").arg(e.queue) + said.mid(lead.size());
      said += QStringLiteral(
                  "。「%1」は印刷されたかどうか分かりません (cannot tell whether '%1' "
                  "was printed: queue '%2'%3)")
                  .arg(e.title, e.queue,
                       e.jobId != 0 ? QStringLiteral(", job %1").arg(e.jobId) : QString());
    }
  }
  throw Error(said.toStdString());
}

// Print jobs go last, so that one that fails leaves the files complete. The sets are made
// again from their seeds, which gives them draw for draw.
void PrintSets(const Sets& sets, Drawing& drawing) {
  if (!drawing.queue) return;
  // The server's clock may differ a little from ours.
  const long long runStart = static_cast<long long>(std::time(nullptr)) - 5;
  Progress progress(sets.Count(), "sent");
  for (int n = 1; n <= sets.Count(); ++n) {
    ForSet(n, sets.SeedOf(n), sets.Count(), [&] {
      try {
        sets.Make(n, {})->PrintSheets(sets.Choice(), *drawing.queue);
      } catch (const EPrintServerSilent& e) {
        ThrowGivenUp(e, runStart, drawing.spooler->LastJobId());
      }
    });
    progress.Done(n);
  }
  // What the run knows: the server took the jobs, not that they printed.
  const std::size_t jobs = drawing.spooler->TakeSentJobs().size();
  PrintBatchError(QStringLiteral("印刷サーバーが %1 件のジョブを受け付けました (the print server "
                                 "accepted %1 jobs)")
                      .arg(jobs));
  // A paused queue holds the jobs: said, and still a success.
  for (const QString& notice : drawing.spooler->TakeNotices(true)) PrintBatchError(notice);
}

// A class at once: every pupil's paper made once, written to the files, then sent.
class ClassRun {
 public:
  explicit ClassRun(const BatchOptions& options)
      : options_(options),
        texts_(options),
        order_(ClassOrder(*options.pupils, options.seed ? *options.seed : ClockSeed())) {}

  void Announce() const {
    if (order_.size() == 1) {
      std::fprintf(stderr, "seed: %u\n", order_.front().number);
      return;
    }
    std::fprintf(stderr, "seed: %u (pupils 1 to %d: seeds %u to %u)\n", order_.front().number,
                 static_cast<int>(order_.size()), order_.front().number, order_.back().number);
  }

  StagedOutputs StageFiles(const OutputPaths& paths, Drawing& drawing) {
    std::unique_ptr<StagedFile> json;
    if (!options_.json.isEmpty() && options_.json != QStringLiteral("-")) {
      json = paths.Stage(options_.json);
    }
    const int count = static_cast<int>(order_.size());
    Progress progress(count, "pupils");
    for (int n = 1; n <= count; ++n) {
      const ClassPaper& paper = order_[static_cast<std::size_t>(n - 1)];
      ForSet(n, paper.number, count, [&] {
        books_.push_back(
            MakeClassBook(texts_, paper, options_.mark ? SetMarkLabel(paper.number) : QString()));
        if (options_.json.isEmpty()) return;
        const QByteArray line = PupilJsonLine(*books_.back().book, paper);
        if (!json) {
          WriteStandardOutputOrThrow(line);
        } else if (json->write(line) != line.size()) {
          json->Finish();  // throws the reason
        }
      });
      progress.Done(n);
    }
    StagedOutputs outputs;
    if (json) {
      json->Finish();
      outputs.Add(std::move(json));
    }
    if (!options_.pdf.isEmpty()) {
      drawing.spooler->CollectPdfJobs(paths.Stage(options_.pdf));
      PrintClass(books_, order_, *drawing.pdf,
                 {[&] {
                    StopIfEndSignalReceived();
                    drawing.spooler->CheckPdfCollection();
                  },
                  {}});
      outputs.Add(drawing.spooler->EndPdfCollection());
    }
    return outputs;
  }

  void Print(Drawing& drawing) {
    if (!drawing.queue) return;
    const long long runStart = static_cast<long long>(std::time(nullptr)) - 5;
    try {
      PrintClass(books_, order_, *drawing.queue, {[] { StopIfEndSignalReceived(); }, {}});
    } catch (const EPrintServerSilent& e) {
      ThrowGivenUp(e, runStart, drawing.spooler->LastJobId());
    }
    const std::size_t jobs = drawing.spooler->TakeSentJobs().size();
    PrintBatchError(QStringLiteral("印刷サーバーが %1 件のジョブを受け付けました (the print "
                                   "server accepted %1 jobs)")
                        .arg(jobs));
    for (const QString& notice : drawing.spooler->TakeNotices(true)) PrintBatchError(notice);
  }

 private:
  const BatchOptions& options_;
  const BatchTexts texts_;
  const std::vector<ClassPaper> order_;
  std::vector<ClassBook> books_;
};

}  // namespace

int RunBatch(int argc, char** argv) {
  // A kill, a logout or Ctrl+C ends the run as a failure does, also while a write waits
  // for a reader that does not read.
  const EndSignals endSignals(EndSignals::Calls::Interrupt);
  // A reader that goes away (`| head`) is a failed write, cleared up like any other, not a
  // death that leaves the temporaries behind.
  std::signal(SIGPIPE, SIG_IGN);
  const auto reportLeft = qScopeGuard([] { ReportTemporariesLeft(); });
  BatchOptions options;
  std::unique_ptr<OutputPaths> paths;
  try {
    CheckArgumentBytes(argc, argv);
    options = ParseBatchOptions(ArgumentList(argc, argv));
    paths = std::make_unique<OutputPaths>(options, PreviewPaths(options));
  } catch (const BatchUsageError& e) {
    PrintBatchError(e.message);
    return 2;
  }

  StagedOutputs outputs;
  bool committing = false;
  try {
    if (options.listExams && !options.help && !options.version) {
      WriteStandardOutputOrThrow(ExamList());
      return 0;
    }
    if (options.help || options.version) {
      WriteStandardOutputOrThrow(options.help ? BatchHelpText().toLocal8Bit()
                                              : QByteArray("tamariko " TAMARIKO_VERSION "\n"));
      return 0;
    }
    Drawing drawing = PrepareDrawing(options, argv);
    if (options.pupils) {
      ClassRun run(options);
      run.Announce();
      outputs = run.StageFiles(*paths, drawing);
      committing = true;
      outputs.Commit();
      try {
        run.Print(drawing);
      } catch (const EndSignalReceived&) {
        throw;
      } catch (const std::exception& e) {
        throw Error(
            (QString::fromUtf8(e.what()) + QStringLiteral("。") + outputs.Done()).toStdString());
      }
      return 0;
    }
    const Sets sets(options);
    sets.Announce();
    // Every file is written in full first and put in place only when all are complete.
    outputs = StageFiles(options, *paths, sets, drawing);
    committing = true;
    outputs.Commit();
    try {
      PrintSets(sets, drawing);
    } catch (const EndSignalReceived&) {
      throw;
    } catch (const std::exception& e) {
      throw Error(
          (QString::fromUtf8(e.what()) + QStringLiteral("。") + outputs.Done()).toStdString());
    }
  } catch (const BatchUsageError& e) {
    PrintBatchError(e.message);
    return 2;
  } catch (EndSignalReceived& e) {
    // The JSON on standard output goes out while the sets are made.
    const bool cut = !committing && options.json == QStringLiteral("-");
    if (e.done.isEmpty()) {
      e.done = outputs.Done({}, cut ? QStringList{options.json} : QStringList{});
    }
    PrintBatchError(e.Message());
    return 128 + e.signal;
  } catch (const std::exception& e) {
    PrintBatchError(QString::fromUtf8(e.what()));
    // A call that the signal cut short fails as it comes: the signal ended the run.
    if (const auto number = ReceivedEndSignal()) {
      PrintBatchError(EndSignalReceived{*number}.Message());
      return 128 + *number;
    }
    return 1;
  }
  return 0;
}

}  // namespace tamariko
