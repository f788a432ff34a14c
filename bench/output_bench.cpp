#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

#include "app/workbook.h"
#include "bench/drawing_world.h"
#include "core/random.h"
#include "core/sheet_texts.h"
#include "mitori1_1/mitori1_1.h"
#include "platform/cups_spooler.h"
#include "platform/png_writer.h"
#include "platform/staged_file.h"
#include "printing/qxprinters.h"

namespace {

using namespace tamariko;

// The sheets a batch run makes when not told: the PDF and PNG benchmarks compare the same.
const SheetChoice kBatchDefault{QStringLiteral("mitori"), QStringLiteral("kake"),
                                QStringLiteral("kaitou")};

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
  for (auto _ : state) set.book.PrintSheets(kBatchDefault, QxPrinter());
  spooler->EndPdfCollection();
}
BENCHMARK(BM_SetToPdfPages)->Unit(benchmark::kMillisecond);

// One drawn preview (the mental addition sheet, the one with the most ink) to PNG bytes.
void BM_PreviewPng(benchmark::State& state) {
  bench::World();
  SetRandomSeed(2026);
  TMitori1_1 mental;
  const QImage image = DrawPreviewImage(
      [&](TCanvas& c, const PageMapping& m) { mental.MakeSheet(c, m); }, bench::World().mapping);
  for (auto _ : state) benchmark::DoNotOptimize(EncodePng(image).size());
}
BENCHMARK(BM_PreviewPng)->Unit(benchmark::kMillisecond);

// One set's three previews drawn and encoded, as --count --png makes them, beside
// BM_SetToPdfPages; making the problems while drawing is part of it, as in the run.
void BM_SetToPreviewPngs(benchmark::State& state) {
  bench::World();
  TDefaultSheetTexts texts;
  SetRandomSeed(2026);
  for (auto _ : state) {
    TWorkbook book(&texts);
    book.MakeProblems(kBatchDefault, [](const SheetInfo&, const TWorkbook::PreviewDraw& draw) {
      benchmark::DoNotOptimize(EncodePng(DrawPreviewImage(draw, bench::World().mapping)).size());
    });
  }
}
BENCHMARK(BM_SetToPreviewPngs)->Unit(benchmark::kMillisecond);

}  // namespace
