// A paper added in test code only is made by the batch mode from its --sheets key: its
// files take its sheets' names and the JSON its kind's member.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "tests/support/own_paper.h"

namespace tamariko::testing {
namespace {

TEST(OwnPaperBatch, ItsSheetKeyMakesItsFilesAndItsJsonMember) {
  const ScopedQuizPaper quiz;
  EXPECT_THROW(ParseBatchOptions({"tamariko", "--batch", "--sheets", "quiz,kake"}), BatchUsageError)
      << "one paper a run";
  EXPECT_THROW(ParseBatchOptions({"tamariko", "--batch", "--sheets", "quizkaitou"}),
               BatchUsageError)
      << "an answer page is no problem sheet";

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  std::vector<std::string> args = {
      "tamariko", "--batch",
      "--seed",   "5",
      "--sheets", "quiz",
      "--png",    folder.path().toStdString(),
      "--json",   folder.filePath(QStringLiteral("sets.json")).toStdString()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  ASSERT_EQ(RunBatch(static_cast<int>(args.size()), argv.data()), 0);

  EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("quiz.png"))));
  EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("quizkaitou.png"))));
  EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("kaitou.png"))));
  QFile json(folder.filePath(QStringLiteral("sets.json")));
  ASSERT_TRUE(json.open(QIODevice::ReadOnly));
  const QByteArray line = json.readAll();
  // Answers as printed, without comma or ¥; no contest kind.
  EXPECT_TRUE(line.startsWith("{\"seed\": 5, \"quiz\": {\"answers\": [68.551, -1234, "))
      << line.toStdString();
  EXPECT_FALSE(line.contains("mental")) << line.toStdString();
}

// Adding the kind leaves every problem of the kinds before it as it was, and the batch
// makes its files and its JSON member under the contest paper's own options.
TEST(EveryPaper, AKindAddedToTheContestPaperKeepsTheSetsBeforeItAndReachesTheBatch) {
  QTemporaryDir folder;
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("png")));
  const auto run = [&](const QString& name, const std::vector<std::string>& more) {
    std::vector<std::string> args = {"tamariko", "--batch", "--seed",
                                     "731",      "--json",  folder.filePath(name).toStdString()};
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(RunBatch(static_cast<int>(args.size()), argv.data()), 0);
    QFile json(folder.filePath(name));
    EXPECT_TRUE(json.open(QIODevice::ReadOnly));
    return json.readAll();
  };
  const QByteArray before = run(QStringLiteral("before.json"), {"--sheets", "all"});
  const ScopedQuizOnContest quizOnContest;
  const QByteArray after =
      run(QStringLiteral("after.json"),
          {"--sheets", "all", "--png", folder.filePath(QStringLiteral("png")).toStdString()});
  ASSERT_TRUE(after.startsWith(before.chopped(2))) << after.constData();
  EXPECT_TRUE(after.contains("\"quiz\": {\"answers\": ["));
  for (const char* png : {"quiz.png", "kaitou.png", "kaitou2.png", "omote.png"}) {
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("png/") + QLatin1String(png)))) << png;
  }
}

}  // namespace
}  // namespace tamariko::testing
