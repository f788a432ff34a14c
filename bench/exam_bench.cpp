#include <benchmark/benchmark.h>

#include <QFile>
#include <cstdint>

#include "app/papers.h"
#include "core/random.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_paper.h"
#include "kentei/paper_document.h"
#include "resources/resources.h"

namespace {

// One paper of each page shape made from a fresh seed, without drawing; `draws` is the
// generator steps per paper. Arg: 0 one page with かけ算 alone (10級), 1 one page with
// かけ算 and わり算 (7級, the most rows), 2 表 and 裏 (4級, the widest whole figures), 3 with
// decimals (準3級, the shortest figures, so the most redraws for rounding), 4 with yen and
// negative answers (1級), 5 the 段位's four pages (the most problems). 暗算: 6 the page of 50
// (10級〜7級), 7 two pages of 20 + 30 + 30 (準1級, the longest rows), 8 the 段位's pages (60 of
// each pair, negative answers).
const char* const kKeys[] = {"shuzan-10",  "shuzan-7", "shuzan-4", "shuzan-p3", "shuzan-1",
                             "shuzan-dan", "anzan-10", "anzan-p1", "anzan-dan"};

void BM_ExamPaper(benchmark::State& state) {
  const char* key = kKeys[state.range(0)];
  tamariko::TExamPaper paper(*tamariko::FindExamGrade(QString::fromLatin1(key)));
  std::uint64_t iteration = 0, draws = 0;
  for (auto _ : state) {
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    const auto before = tamariko::g_random.draws;
    paper.Make();
    benchmark::DoNotOptimize(paper.Problems());
    draws += tamariko::g_random.draws - before;
  }
  state.SetLabel(key);
  state.counters["draws"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ExamPaper)->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

QByteArray Shipped(const char* key) {
  QFile file(tamariko::kResourceRoot + QStringLiteral("/papers/") + QLatin1String(key) +
             QStringLiteral(".json"));
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// BM_ExamPaper with the shipped document read and its grade made first, every time.
void BM_ExamPaperFromDocument(benchmark::State& state) {
  const char* key = kKeys[state.range(0)];
  std::uint64_t iteration = 0;
  for (auto _ : state) {
    const tamariko::TExamGrade grade =
        tamariko::ExamGradeOf(tamariko::ReadPaperDocument(Shipped(key), QString::fromLatin1(key)),
                              QString::fromLatin1(key));
    tamariko::TExamPaper paper(grade);
    tamariko::SetRandomSeed(static_cast<std::uint32_t>(++iteration * 2246822519u));
    paper.Make();
    benchmark::DoNotOptimize(paper.Problems());
  }
  state.SetLabel(key);
}
BENCHMARK(BM_ExamPaperFromDocument)->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

// A document of the most sections, each of several blocks: mixed lengths with negative
// answers, whole and yen かけ算 blocks, わり算.
QByteArray LargestDocument() {
  QByteArray doc = R"({"tamariko_paper": 1, "title": "t", "name": "n", "minutes": 30,
    "numbering": "paper", "pass": {"total": 1}, "sections": [)";
  for (int s = 0; s < tamariko::kMostSections; ++s) {
    doc += s > 0 ? "," : "";
    doc += s % 2 == 0 ? R"({"subject": "mitori", "points": 10, "blocks": [
        {"count": 2, "rows": 10, "digits": [2, 6], "chars": 40, "subtracted": 2, "negative": 1},
        {"count": 1, "rows": 2, "digits": 1}]})"
                      : R"({"subject": "wari", "points": 5, "blocks": [
        {"count": 2, "digits": 6, "left": [2, 4], "numbers": "yen"},
        {"count": 1, "digits": 2}]})";
  }
  return doc + "]}";
}

// Reading it with every check.
void BM_ReadPaperDocument(benchmark::State& state) {
  const QByteArray doc = LargestDocument();
  for (auto _ : state) {
    benchmark::DoNotOptimize(tamariko::ReadPaperDocument(doc, QStringLiteral("bench.json")));
  }
}
BENCHMARK(BM_ReadPaperDocument)->Unit(benchmark::kMicrosecond);

// Reading it, laying out its pages and making its problems: what a run does before drawing.
void BM_ReadAndMakeLargestDocument(benchmark::State& state) {
  const QByteArray doc = LargestDocument();
  std::uint32_t seed = 0;
  for (auto _ : state) {
    const tamariko::TExamGrade grade = tamariko::ExamGradeOf(
        tamariko::ReadPaperDocument(doc, QStringLiteral("bench.json")), QStringLiteral("bench"));
    tamariko::TExamPaper paper(grade);
    tamariko::SetRandomSeed(++seed * 2246822519u);
    paper.Make();
    benchmark::DoNotOptimize(paper.Problems());
  }
}
BENCHMARK(BM_ReadAndMakeLargestDocument)->Unit(benchmark::kMicrosecond);

}  // namespace
