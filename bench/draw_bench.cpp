#include <benchmark/benchmark.h>

#include <QImage>
#include <memory>

#include "app/workbook.h"
#include "bench/drawing_world.h"
#include "core/page_mapping.h"
#include "core/random.h"
#include "kake/kake.h"
#include "kake/kake_sheet.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"
#include "platform/qpainter_canvas.h"

namespace {

// The mental addition form and the figures of a generated set on the 865 x 1300 preview;
// generation is not part of it.
void BM_DrawMentalPreview(benchmark::State& state) {
  tamariko::bench::World();
  tamariko::TMitori1_1 set;
  tamariko::SetRandomSeed(2026);
  set.Generate();
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    tamariko::DrawMentalPreview(set, canvas, tamariko::bench::World().mapping);
  }
}
BENCHMARK(BM_DrawMentalPreview)->Unit(benchmark::kMillisecond);

// The multiplication form and the sixty problem lines of a generated set on the preview;
// generation is not part of it.
void BM_DrawMultiplicationPreview(benchmark::State& state) {
  tamariko::bench::World();
  tamariko::Tkake set;
  tamariko::SetRandomSeed(2026);
  set.Generate();
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    tamariko::DrawMultiplicationPreview(set, canvas, tamariko::bench::World().mapping);
  }
}
BENCHMARK(BM_DrawMultiplicationPreview)->Unit(benchmark::kMillisecond);

// The empty answer table on the preview: the whole of DrawSheet, answers make no difference.
void BM_DrawAnswerPreview(benchmark::State& state) {
  tamariko::bench::World();
  const tamariko::TDefaultSheetTexts texts;
  tamariko::TWorkbook book(&texts);
  QImage image = tamariko::MakePreviewImage();
  for (auto _ : state) {
    tamariko::QPainterCanvas canvas(&image);
    book.Answers().DrawSheet(canvas, tamariko::bench::World().mapping);
  }
}
BENCHMARK(BM_DrawAnswerPreview)->Unit(benchmark::kMillisecond);

}  // namespace
