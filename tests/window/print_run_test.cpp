#include <gtest/gtest.h>

#include "app/papers.h"
#include "core/sheet_texts.h"
#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "tests/support/scripted_spooler.h"
#include "window/job_follow.h"
#include "window/print_run.h"

// The print run without the window: two versions of mitori, kake and the answer pages to a
// scripted printer, the pages logged as sent, and on both sides each job as "[" … "] title".
namespace tamariko::testing {
namespace {

class LoggedRun : public TPrintRun {
 public:
  using TPrintRun::TPrintRun;
  QStringList* log = nullptr;
  bool twoSided = false;
  QString failing;  // a page or a job

 protected:
  bool GatherJob() override {
    if (twoSided) *log << QStringLiteral("[");
    return twoSided;
  }
  void SendGatheredJob(const QString& title) override {
    *log << QStringLiteral("] ") + title;
    if (title == failing) throw EOSError("両面の失敗 (duplex)");
  }
  void DropGatheredJob() override {}
};

struct Printed {
  QStringList log;
  int taken = 0;
  TPrintReport report;
};

Printed Print(bool twoSided, const QString& failing) {
  InstallFaceSubstitutions();
  ScriptedSpooler::Printer one;
  one.name = QStringLiteral("Scripted");
  auto spooler = std::make_shared<ScriptedSpooler>(std::vector{one});
  const ScopedQxPrinter printer(spooler);
  Printed out;
  spooler->sending = [&](const ScriptedSpooler::Job& job) {
    out.log << job.title;
    if (job.title == failing) throw EOSError("紙詰まり (jam)");
  };
  const TDefaultSheetTexts texts;
  const SheetChoice made{QStringLiteral("mitori"), QStringLiteral("kake")};
  const auto book = MakePaper(&texts, DefaultPaper(), 7, made);
  TJobFollow follow([] {});
  LoggedRun run(*book, made + SheetChoice{kAnswerSheet.key}, 2, one.name, follow,
                {[] { return false; }, [&] { ++out.taken; }, {}});
  run.log = &out.log;
  run.twoSided = twoSided;
  run.failing = failing;
  // Marked as the window marks them: a version's job titles tell it only on a marked page.
  run.MakeVersions(
      [&](int v) { return MakePaper(&texts, DefaultPaper(), 7 + v, made, PaperMark(7 + v, v)); });
  out.report = run.Run();
  return out;
}

// The answer pages of version `label` (Ａ版), in the paper's order.
QStringList AnswerPages(const QString& label) {
  QStringList pages;
  const auto sheets = SheetsWithAnswerTable(DefaultPaper());
  for (std::size_t s = ProblemSheets().size(); s < sheets.size(); ++s) {
    pages << sheets[s].jobTitle + QStringLiteral("（") + label + QStringLiteral("）");
  }
  return pages;
}

// Every version's problem sheets, then every version's answer pages; a failing page fails
// alone. On both sides each version's problem pages are one job, then each version's
// answer pages; a failing job fails its pages only.
TEST(PrintRunTest, VersionsGoProblemsFirstAndTwoSidedAsOneJobEachFailingAlone) {
  const QStringList a = AnswerPages(QStringLiteral("Ａ版")),
                    b = AnswerPages(QStringLiteral("Ｂ版"));
  const Printed single = Print(false, QStringLiteral("かけ算（Ｂ版）"));
  const QStringList order = QStringList{"みとり暗算１（Ａ版）", "かけ算（Ａ版）",
                                        "みとり暗算１（Ｂ版）", "かけ算（Ｂ版）"} +
                            a + b;
  EXPECT_EQ(single.log, order);
  EXPECT_EQ(single.taken, order.size());
  EXPECT_EQ(single.report.Unsent(), QStringList{"かけ算（Ｂ版）"});
  EXPECT_TRUE(
      single.report.Text().contains(QStringLiteral("かけ算（Ｂ版）: 送れませんでした。紙詰まり")));

  const Printed both = Print(true, QStringLiteral("大会問題（Ｂ版）"));
  const QStringList jobs =
      QStringList{"[", "みとり暗算１（Ａ版）", "かけ算（Ａ版）", "] 大会問題（Ａ版）",
                  "[", "みとり暗算１（Ｂ版）", "かけ算（Ｂ版）", "] 大会問題（Ｂ版）",
                  "["} +
      a + QStringList{"] 大会問題 解答（Ａ版）", "["} + b + QStringList{"] 大会問題 解答（Ｂ版）"};
  EXPECT_EQ(both.log, jobs);
  EXPECT_EQ(both.report.Unsent(), (QStringList{"みとり暗算１（Ｂ版）", "かけ算（Ｂ版）"}));
  EXPECT_TRUE(both.report.Text().contains(QStringLiteral("両面の失敗")));
}

}  // namespace
}  // namespace tamariko::testing
