// --class through the real executable: three pupils at two papers read back from the PDF
// and the JSON against the papers each pupil's number makes alone.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <vector>

#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"

namespace tamariko::testing {
namespace {

using test::Tamariko;

// 山田 and 伊藤 practise 8級, 青木 10級・9級 (earlier in the paper box): 青木, 伊藤, 山田.
const char kList[] =
    "氏名,ふりがな,用紙,受験番号,組,印刷\n"
    "山田 花子,やまだ はなこ,shuzan-8,101,1組,1\n"
    "青木 太郎,あおき たろう,shuzan-10-9,102,2組,1\n"
    "伊藤 次郎,いとう じろう,shuzan-8,,1組,1\n"
    "休み 三郎,やすみ さぶろう,shuzan-8,104,1組,0\n";

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& text) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  return path;
}

TEST(ClassBatchTest, EachPupilGetsTheirOwnNumbersPaperAndNameInOrder) {
  QTemporaryDir dir;
  const QString csv = Write(dir, "class.csv", kList);
  const QString pdf = dir.filePath(QStringLiteral("class.pdf"));
  const auto run =
      Tamariko({"--batch", "--class", csv, "--seed", "7000", "--pdf", pdf, "--json", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList names = {"青木 太郎", "伊藤 次郎", "山田 花子"};
  const QStringList keys = {"shuzan-10-9", "shuzan-8", "shuzan-8"};
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3) << "the unticked pupil is left out";
  int problemPages = 0;
  std::vector<int> ownPages;
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    QJsonObject own = QJsonDocument::fromJson(lines[k]).object();
    const QJsonObject pupil = own.take(QStringLiteral("pupil")).toObject();
    EXPECT_EQ(pupil[QStringLiteral("name")].toString(), names[k]);
    EXPECT_EQ(pupil[QStringLiteral("number")].toString(), QStringList({"102", "", "101"})[k]);
    const auto alone = Tamariko(
        {"--batch", "--exam", keys[k], "--seed", QString::number(7000 + k), "--json", "-"});
    ASSERT_EQ(alone.exitCode, 0);
    EXPECT_EQ(own, QJsonDocument::fromJson(alone.out).object());
    const auto one = Tamariko({"--batch", "--exam", keys[k], "--seed", "1", "--pdf",
                               dir.filePath(QStringLiteral("one.pdf"))});
    ASSERT_EQ(one.exitCode, 0);
    ownPages.push_back(test::ReadPdf(dir.filePath(QStringLiteral("one.pdf"))).pages - 1);
    problemPages += ownPages.back();
  }
  const QStringList pages = test::PdfPageTexts(pdf);
  if (pages.isEmpty()) GTEST_SKIP() << "pdftotext missing";
  // Each pupil's problem pages, the overview, then each one's answer page.
  ASSERT_EQ(pages.size(), problemPages + 1 + 3);
  int page = 0;
  for (int k = 0; k < 3; ++k) {
    for (int p = 0; p < ownPages[static_cast<std::size_t>(k)]; ++p, ++page) {
      EXPECT_TRUE(pages[page].contains(names[k])) << page;
      EXPECT_FALSE(pages[page].contains(QStringLiteral("解答"))) << page;
    }
  }
  const QString overview = pages[page++];
  EXPECT_TRUE(overview.contains(QStringLiteral("一覧")));
  qsizetype at = 0;
  for (int k = 0; k < 3; ++k) {
    at = overview.indexOf(names[k], at);
    ASSERT_GE(at, 0) << k;
    EXPECT_TRUE(overview.mid(at, 200).contains(QString::number(7000 + k))) << k;
  }
  for (int k = 0; k < 3; ++k, ++page) {
    EXPECT_TRUE(pages[page].contains(names[k])) << page;
    EXPECT_TRUE(pages[page].contains(QStringLiteral("解答"))) << page;
  }
}

TEST(ClassBatchTest, ABadLineOrANameTooLongIsRefusedAndNothingWritten) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
  const QString bad = Write(dir, "bad.csv", QByteArray(kList) + ",なまえなし,shuzan-8\n");
  auto run = Tamariko({"--batch", "--class", bad, "--pdf", pdf});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.contains(QStringLiteral("6 行目"))) << run.err.toStdString();
  const QString longName =
      Write(dir, "long.csv",
            QByteArray(kList) +
                "寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末,じゅげむ,shuzan-8,,,1\n");
  run = Tamariko({"--batch", "--class", longName, "--pdf", pdf});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.contains(QStringLiteral("「寿限無寿限無"))) << run.err.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
}  // namespace tamariko::testing
