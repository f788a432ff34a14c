#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "core/random.h"
#include "kaitou/kaitou.h"
#include "kake/kake.h"
#include "kake/kake_sheet.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"
#include "platform/carried_font.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"
#include "platform/scripted_spooler.h"
#include "printing/qxprinters.h"

namespace {

// Fonts and a 300 dpi printer, as the window has them after start-up.
struct DrawingWorld {
  DrawingWorld() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app = std::make_unique<QGuiApplication>(argc, argv);
    tamariko::InstallFaceSubstitutions();
    tamariko::InstallCarriedFont(QDir(fontFolder.path()).filePath(QStringLiteral("ORVFont.TTF")));
    tamariko::ScriptedSpooler::Printer printer;
    printer.name = QStringLiteral("bench");
    printer.dpiX = printer.dpiY = 300;
    printer.offsetX = printer.offsetY = 0;
    scoped = std::make_unique<tamariko::ScopedQxPrinter>(
        std::make_shared<tamariko::ScriptedSpooler>(std::vector{printer}));
  }
  int argc = 1;
  char name[9] = "tamariko";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  QTemporaryDir fontFolder;
  std::unique_ptr<tamariko::ScopedQxPrinter> scoped;
};

DrawingWorld& World() {
  static DrawingWorld world;
  return world;
}

// The mental addition form and the figures of a generated set on the 865 x 1300 preview;
// generation is not part of it.
void BM_DrawMentalPreview(benchmark::State& state) {
  World();
  tamariko::TMitori1_1 set;
  tamariko::SetRandomSeed(2026);
  set.Generate();
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    tamariko::DrawMentalPreview(set, canvas);
  }
}
BENCHMARK(BM_DrawMentalPreview)->Unit(benchmark::kMillisecond);

// The multiplication form and the sixty problem lines of a generated set on the preview;
// generation is not part of it.
void BM_DrawMultiplicationPreview(benchmark::State& state) {
  World();
  tamariko::Tkake set;
  tamariko::SetRandomSeed(2026);
  set.Generate();
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    tamariko::DrawMultiplicationPreview(set, canvas);
  }
}
BENCHMARK(BM_DrawMultiplicationPreview)->Unit(benchmark::kMillisecond);

// The empty answer table on the preview: the whole of DrawSheet, answers make no difference.
void BM_DrawAnswerPreview(benchmark::State& state) {
  World();
  tamariko::Tkaitou table;
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    table.DrawSheet(canvas);
  }
}
BENCHMARK(BM_DrawAnswerPreview)->Unit(benchmark::kMillisecond);

}  // namespace
