// A paper added in test code only is made by the batch mode from its --sheets key: its
// files take its sheets' names and the JSON its kind's member.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/batch.h"
#include "tests/app/own_paper.h"

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

}  // namespace
}  // namespace tamariko::testing
