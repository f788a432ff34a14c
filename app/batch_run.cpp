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
#include <memory>

#include "app/arguments.h"
#include "app/batch.h"
#include "app/input_limits.h"
#include "app/kinds.h"
#include "app/output_paths.h"
#include "app/workbook.h"
#include "core/error.h"
#include "core/random.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/end_signals.h"
#include "platform/font_resources.h"
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

// Puts the named printer in force on the paper asked for (0: B4, or A4 where the printer
// has no B4), the page fitted to it. Returns the paper.
int UsePrinter(const QString& name, int paper) {
  TQxPrinter& printer = QxPrinter();
  printer.Framework().SelectPrinter(name);
  printer.ResetPrinter();
  return printer.UseSheetPaper(paper);
}

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

// Every preview file of the run, which no other output may be.
QStringList PreviewPaths(const BatchOptions& options) {
  QStringList paths;
  if (options.pngFolder.isEmpty()) return paths;
  for (int n = 1; n <= options.count; ++n) {
    for (const QString& key : options.sheets + QStringList{kAnswerSheet.key}) {
      paths << QDir(options.pngFolder).filePath(PreviewName(key, n, options.count));
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

}  // namespace

int RunBatch(int argc, char** argv) {
  // A kill, a logout or Ctrl+C ends the run as a failure does: nothing is put in place.
  const EndSignals endSignals;
  // A reader that goes away (`| head`) is a failed write, cleared up like any other, not a
  // death that leaves the temporaries behind.
  std::signal(SIGPIPE, SIG_IGN);
  const auto reportLeft = qScopeGuard([] { ReportTemporariesLeft(); });
  BatchOptions options;
  std::unique_ptr<OutputPaths> paths;
  try {
    options = ParseBatchOptions(ArgumentList(argc, argv));
    paths = std::make_unique<OutputPaths>(options, PreviewPaths(options));
  } catch (const BatchUsageError& e) {
    PrintBatchError(e.message);
    return 2;
  }
  if (options.help) return WriteStandardOutput(BatchHelpText().toLocal8Bit()) ? 0 : 1;
  if (options.version) return WriteStandardOutput("tamariko " TAMARIKO_VERSION "\n") ? 0 : 1;

  // Drawing needs fonts and the printer's scale; the JSON alone needs neither.
  const bool draws =
      !options.pngFolder.isEmpty() || !options.pdf.isEmpty() || !options.printer.isEmpty();
  std::unique_ptr<QGuiApplication> app;
  std::shared_ptr<CupsSpooler> spooler;
  std::unique_ptr<ScopedQxPrinter> printer;
  PageMapping previewMapping;
  auto startApplication = [&] {
    if (app) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    app = std::make_unique<QGuiApplication>(qtArgc, argv);
  };
  // A heading given is measured in the sheets' font, as the window does; the defaults fit.
  if (options.heading1 != kDefaultHeading1 || options.heading2 != kDefaultHeading2 ||
      options.organizer != kDefaultOrganizer) {
    startApplication();
    std::optional<QString> refused;
    try {
      InstallFaceSubstitutions();
      refused = RefusedHeading(options.heading1, options.heading2, options.organizer);
    } catch (const std::exception& e) {
      PrintBatchError(QString::fromUtf8(e.what()));
      return 1;
    }
    if (refused) {
      PrintBatchError(*refused);
      return 2;
    }
  }
  if (draws) {
    startApplication();
    try {
      InstallFaceSubstitutions();
      AddFontResource(kCarriedFace,
                      LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont")));
      spooler = std::make_shared<CupsSpooler>();
      printer = std::make_unique<ScopedQxPrinter>(spooler);
    } catch (const std::exception& e) {
      PrintBatchError(QString::fromUtf8(e.what()));
      return 1;
    }
    const QString name =
        options.printer.isEmpty() ? QString::fromLatin1(kPdfPrinterName) : options.printer;
    // Only a CUPS queue needs the print server: files never wait on it.
    if (name != QLatin1String(kPdfPrinterName)) {
      if (!spooler->Refresh(CupsTimeoutMs() + 2000)) {
        PrintBatchError(
            QStringLiteral("--printer: %1").arg(CupsNotAnsweringText(spooler->ServerFailure())));
        return 1;
      }
      const auto& queues = spooler->Queues();
      if (std::none_of(queues.begin(), queues.end(),
                       [&](const CupsQueue& q) { return q.name == name; })) {
        PrintBatchError(BatchOptionError(QStringLiteral("--printer"),
                                         QStringLiteral("プリンタ「%1」はありません").arg(name),
                                         QStringLiteral("no printer named '%1'").arg(name))
                            .message);
        return 2;
      }
    }
    try {
      const int paper = UsePrinter(name, options.paper);
      if (options.paper != 0 && !QxPrinter().HasPaper(paper)) {
        PrintBatchError(BatchOptionError(QStringLiteral("--paper"),
                                         QStringLiteral("プリンタ「%1」には %2 の用紙がありません")
                                             .arg(name, PaperNameOfNumber(paper)),
                                         QStringLiteral("the printer '%1' has no %2 paper")
                                             .arg(name, PaperNameOfNumber(paper)))
                            .message);
        return 2;
      }
      if (paper != DMPAPER_B4 && options.paper == 0) {
        PrintBatchError(
            QStringLiteral("プリンタ「%1」には B4 の用紙がないため、%2 に合わせて印刷します "
                           "(the printer '%1' has no B4 paper: printing on %2, the page fitted)")
                .arg(name, PaperNameOfNumber(paper)));
      }
      // The previews take the scale of the printer the sets are for, as on the tabs.
      previewMapping = PreviewMappingOf(QxPrinter());
    } catch (const std::exception& e) {
      PrintBatchError(QStringLiteral("%1: %2").arg(
          options.printer.isEmpty() ? QStringLiteral("--pdf") : QStringLiteral("--printer"),
          QString::fromUtf8(e.what())));
      return 1;
    }
  }

  const std::uint32_t first = options.seed ? *options.seed : ClockSeed();
  const int count = options.count;
  // Set n is the set that seed first + n - 1 (modulo 2^32) gives alone.
  auto seedOf = [first](int n) { return first + static_cast<std::uint32_t>(n - 1); };
  if (count == 1) {
    std::fprintf(stderr, "seed: %u\n", first);
  } else {
    std::fprintf(stderr, "seed: %u (sets 1 to %d: seeds %u to %u)\n", first, count, first,
                 seedOf(count));
  }

  const BatchTexts texts(options);
  SheetChoice choice(options.sheets.begin(), options.sheets.end());
  choice.insert(kAnswerSheet.key);
  // One set is kept at a time.
  auto makeSet = [&](std::uint32_t seed, const TWorkbook::ShowPreview& show) {
    SetRandomSeed(seed);
    auto book = std::make_unique<TWorkbook>(&texts);
    if (options.mark) book->SetMark(seed);
    book->MakeProblems(choice, show);
    return book;
  };

  try {
    // Every file is written in full first and put in place only when all are complete.
    StagedOutputs outputs;
    std::unique_ptr<StagedFile> json;
    if (!options.json.isEmpty() && options.json != QStringLiteral("-")) {
      json = paths->Stage(options.json);
    }
    if (!options.pdf.isEmpty()) {
      UsePrinter(QString::fromLatin1(kPdfPrinterName), options.paper);
      spooler->CollectPdfJobs(paths->Stage(options.pdf));
    }
    const bool files = !options.json.isEmpty() || !options.pngFolder.isEmpty() ||
                       !options.pdf.isEmpty() || options.printer.isEmpty();
    if (files) {
      Progress progress(count, "sets");
      for (int n = 1; n <= count; ++n) {
        const std::uint32_t seed = seedOf(n);
        ForSet(n, seed, count, [&] {
          // Previews are drawn while the problems are made, as on the tabs; without them
          // the same draws are made without drawing.
          TWorkbook::ShowPreview show;
          if (!options.pngFolder.isEmpty()) {
            show = [&](const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw) {
              if (!choice.contains(sheet.key)) return;
              const QString path =
                  QDir(options.pngFolder).filePath(PreviewName(sheet.key, n, count));
              WritePreview(outputs, path, previewMapping, draw);
            };
          }
          const auto book = makeSet(seed, show);
          if (!options.json.isEmpty()) {
            const QByteArray line = book->JsonLine(seed);
            if (json) {
              if (json->write(line) != line.size()) json->Finish();  // throws the reason
            } else {
              WriteStandardOutputOrThrow(line);
            }
          }
          if (!options.pdf.isEmpty()) {
            book->PrintSheets(choice, QxPrinter());
            spooler->CheckPdfCollection();
          }
        });
        progress.Done(n);
      }
    }
    if (json) {
      json->Finish();
      outputs.Add(std::move(json));
    }
    if (!options.pdf.isEmpty()) outputs.Add(spooler->EndPdfCollection());
    outputs.Commit();

    // Print jobs go last, so that one that fails leaves the files complete. The sets are
    // made again from their seeds, which gives them draw for draw.
    if (!options.printer.isEmpty()) {
      UsePrinter(options.printer, options.paper);
      Progress progress(count, "printed");
      for (int n = 1; n <= count; ++n) {
        const std::uint32_t seed = seedOf(n);
        ForSet(n, seed, count, [&] { makeSet(seed, {})->PrintSheets(choice, QxPrinter()); });
        progress.Done(n);
      }
      // A paused queue holds the jobs: said, and still a success.
      for (const QString& notice : spooler->TakeNotices()) PrintBatchError(notice);
    }
  } catch (const EndSignalReceived& e) {
    PrintBatchError(e.Message());
    return 128 + e.signal;
  } catch (const std::exception& e) {
    PrintBatchError(QString::fromUtf8(e.what()));
    return 1;
  }
  return 0;
}

}  // namespace tamariko
