#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

#include "app/workbook.h"
#include "bench/drawing_world.h"
#include "core/random.h"
#include "core/sheet_texts.h"
#include "platform/cups_spooler.h"
#include "platform/staged_file.h"
#include "printing/qxprinters.h"

namespace {

using namespace tamariko;

// One made set, as a run of many sets holds it at a time.
struct MadeSet {
  MadeSet() : book(&texts) {
    SetRandomSeed(2026);
    book.MakeProblems(EverySheet(), {});
  }
  TDefaultSheetTexts texts;
  TWorkbook book;
};

// One set's line of JSON Lines.
void BM_SetToJsonLine(benchmark::State& state) {
  MadeSet set;
  for (auto _ : state) {
    benchmark::DoNotOptimize(set.book.JsonLine(2026).size());
  }
}
BENCHMARK(BM_SetToJsonLine)->Unit(benchmark::kMicrosecond);

// One set's three printed pages appended to a PDF streamed into a file, as --count --pdf
// writes them (the built-in PDF printer on B4).
void BM_SetToPdfPages(benchmark::State& state) {
  bench::World();
  MadeSet set;
  QTemporaryDir folder;
  auto spooler = std::make_shared<CupsSpooler>();
  ScopedQxPrinter printer(spooler);
  QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
  QxPrinter().SetPaperSizeNumber(DMPAPER_B4);
  QxPrinter().ApplySettings();
  spooler->CollectPdfJobs(folder.filePath(QStringLiteral("sets.pdf")));
  for (auto _ : state) set.book.PrintSheets(EverySheet(), QxPrinter());
  spooler->EndPdfCollection();
}
BENCHMARK(BM_SetToPdfPages)->Unit(benchmark::kMillisecond);

}  // namespace
