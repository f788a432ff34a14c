#include <gtest/gtest.h>

#include "app/job_follow.h"
#include "app/papers.h"
#include "app/print_run.h"
#include "core/sheet_texts.h"
#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "tests/support/scripted_spooler.h"

// The print run without the window: two versions of the contest paper to a scripted printer.
namespace tamariko::testing {
namespace {

// Both sides: each group of pages that share sheets is logged as "[" … "] job title".
class TwoSidedRun : public TPrintRun {
 public:
  using TPrintRun::TPrintRun;
  QStringList* log = nullptr;
  QString failingJob;

 protected:
  bool GatherJob() override {
    *log << QStringLiteral("[");
    return true;
  }
  void SendGatheredJob(const QString& title) override {
    *log << QStringLiteral("] ") + title;
    if (title == failingJob) throw EOSError("両面の失敗 (duplex)");
  }
  void DropGatheredJob() override {}
};

class PrintRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InstallFaceSubstitutions(); }

  // The run of mitori, kake and the answer pages in two versions, failing `failingJob` when
  // printed on both sides or the page `failingPage` when not.
  TPrintReport Print(bool twoSided, const QString& failingJob, const QString& failingPage) {
    spooler->sending = [&](const ScriptedSpooler::Job& job) {
      log << job.title;
      if (job.title == failingPage) throw EOSError("紙詰まり (jam)");
    };
    const SheetChoice made{QStringLiteral("mitori"), QStringLiteral("kake")};
    const SheetChoice choice = made + SheetChoice{kAnswerSheet.key};
    auto book = MakePaper(&texts, DefaultPaper(), kNumber, made);
    TJobFollow follow([] {});
    TPrintRun::Hooks hooks{[] { return false; }, [&] { ++taken; }, {}};
    std::unique_ptr<TPrintRun> run;
    if (twoSided) {
      auto both = std::make_unique<TwoSidedRun>(*book, choice, 2, kPrinter, follow, hooks);
      both->log = &log;
      both->failingJob = failingJob;
      run = std::move(both);
    } else {
      run = std::make_unique<TPrintRun>(*book, choice, 2, kPrinter, follow, hooks);
    }
    run->MakeVersions([&](int v) {
      const std::uint32_t number = kNumber + static_cast<std::uint32_t>(v);
      return MakePaper(&texts, DefaultPaper(), number, made, PaperMark(number, v));
    });
    titles = run->Titles();
    return run->Run();
  }
  // The answer pages of version `label` (Ａ版), in the paper's order.
  static QStringList AnswerPages(const QString& label) {
    const auto sheets = SheetsWithAnswerTable(DefaultPaper());
    QStringList pages;
    for (auto s = sheets.begin() + static_cast<std::ptrdiff_t>(ProblemSheets().size());
         s != sheets.end(); ++s) {
      pages << s->jobTitle + QStringLiteral("（") + label + QStringLiteral("）");
    }
    return pages;
  }

  static constexpr std::uint32_t kNumber = 20261208;
  const QString kPrinter = QStringLiteral("Scripted");
  std::shared_ptr<ScriptedSpooler> spooler = [this] {
    ScriptedSpooler::Printer one;
    one.name = kPrinter;
    return std::make_shared<ScriptedSpooler>(std::vector<ScriptedSpooler::Printer>{one});
  }();
  ScopedQxPrinter printer{spooler};
  TDefaultSheetTexts texts;
  QStringList log;
  QStringList titles;
  int taken = 0;
};

// A page a job: every version's problem sheets, then every version's answer pages; each page
// taken up once; a failing page fails alone, the report naming it and its version.
TEST_F(PrintRunTest, VersionsGoProblemsFirstAndAFailingPageFailsAlone) {
  const TPrintReport report = Print(false, {}, QStringLiteral("かけ算（Ｂ版）"));
  const QStringList expected = QStringList{"みとり暗算１（Ａ版）", "かけ算（Ａ版）",
                                           "みとり暗算１（Ｂ版）", "かけ算（Ｂ版）"} +
                               AnswerPages(QStringLiteral("Ａ版")) +
                               AnswerPages(QStringLiteral("Ｂ版"));
  EXPECT_EQ(log, expected);
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(taken, expected.size());
  EXPECT_EQ(report.Unsent(), QStringList{QStringLiteral("かけ算（Ｂ版）")});
  const QString text = report.Text();
  EXPECT_TRUE(text.contains(QStringLiteral("かけ算（Ｂ版）: 送れませんでした。紙詰まり")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(kPrinter));
}

// Both sides: each version's problem pages are one job, then each version's answer pages;
// a job that fails fails its pages only.
TEST_F(PrintRunTest, TwoSidedSendsEachVersionsPagesAsOneJob) {
  const TPrintReport report = Print(true, QStringLiteral("大会問題（Ｂ版）"), {});
  const QStringList expected =
      QStringList{"[", "みとり暗算１（Ａ版）", "かけ算（Ａ版）", "] 大会問題（Ａ版）",
                  "[", "みとり暗算１（Ｂ版）", "かけ算（Ｂ版）", "] 大会問題（Ｂ版）",
                  "["} +
      AnswerPages(QStringLiteral("Ａ版")) + QStringList{"] 大会問題 解答（Ａ版）", "["} +
      AnswerPages(QStringLiteral("Ｂ版")) + QStringList{"] 大会問題 解答（Ｂ版）"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(report.Unsent(), (QStringList{"みとり暗算１（Ｂ版）", "かけ算（Ｂ版）"}));
  EXPECT_TRUE(report.Text().contains(QStringLiteral("両面の失敗"))) << report.Text().toStdString();
}

}  // namespace
}  // namespace tamariko::testing
