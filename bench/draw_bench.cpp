#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "core/page_mapping.h"
#include "core/random.h"
#include "kaitou/kaitou.h"
#include "kake/kake.h"
#include "kake/kake_sheet.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"
#include "platform/carried_font.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"

namespace {

// Fonts and the preview scale, as the window has them after start-up.
struct DrawingWorld {
  DrawingWorld() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app = std::make_unique<QGuiApplication>(argc, argv);
    tamariko::InstallFaceSubstitutions();
    tamariko::InstallCarriedFont(QDir(fontFolder.path()).filePath(QStringLiteral("ORVFont.TTF")));
  }
  int argc = 1;
  char name[9] = "tamariko";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  QTemporaryDir fontFolder;
  // The preview of a 300 dpi printer without offsets, as the PDF printer gives it.
  const tamariko::PageMapping mapping = tamariko::PreviewMapping({300, 300}, {0, 0});
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
    tamariko::DrawMentalPreview(set, canvas, World().mapping);
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
    tamariko::DrawMultiplicationPreview(set, canvas, World().mapping);
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
    table.DrawSheet(canvas, World().mapping);
  }
}
BENCHMARK(BM_DrawAnswerPreview)->Unit(benchmark::kMillisecond);

}  // namespace
