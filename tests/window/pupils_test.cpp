// The pupils' list: read from a spreadsheet's CSV in either encoding and written back as it
// was; lines that do not read are kept and named; the dialog keeps what it is given.
#include <gtest/gtest.h>
#include <iconv.h>

#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/papers.h"
#include "app/pupils.h"
#include "core/error.h"
#include "tests/support/scoped_env.h"
#include "tests/window/app_fixture.h"
#include "window/pupils_dialog.h"

namespace tamariko::testing {
namespace {

QByteArray ToCp932(const QString& text) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  QByteArray in = text.toUtf8();
  QByteArray out(in.size() * 2 + 8, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = static_cast<std::size_t>(in.size());
  std::size_t dstLeft = static_cast<std::size_t>(out.size());
  EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<std::size_t>(-1));
  iconv_close(cd);
  out.truncate(dst - out.constData());
  return out;
}

std::string Thrown(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "nothing thrown";
}

// Columns in a spreadsheet's own order, one it does not know, quoting where a cell needs it
// and where it does not, the paper by key and by the name the paper box shows.
QString ClassText() {
  const QString sixth = ExamPaperNamed(QStringLiteral("shuzan-6"))->name;
  return QStringLiteral(
             "組,氏名,用紙,メモ,ふりがな,受験番号\r\n"
             "1,山田 太郎,shuzan-6,,やまだ たろう,101\r\n"
             "1,\"髙橋, ①子\",\"%1\",\"よく\"\"できる\"\"\r\n二行\",たかはし まるこ,\r\n"
             "2,\"佐藤\",anzan-3,,さとう,\r\n")
      .arg(sixth);
}

TEST(PupilListTest, ReadsBothEncodingsAndWritesThemBackByteForByte) {
  EXPECT_EQ(ExamPaperNamed(QStringLiteral("shuzan-6"))->name, QStringLiteral("珠算検定練習 6級"));
  const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") + ClassText().toUtf8();
  const QByteArray cp932 = ToCp932(ClassText());
  for (const auto& [bytes, encoding] :
       {std::pair{utf8, CsvEncoding::Utf8Bom}, std::pair{cp932, CsvEncoding::Cp932},
        std::pair{ClassText().toUtf8().replace("\r\n", "\n").chopped(1), CsvEncoding::Utf8}}) {
    const PupilList list = ReadPupilCsv(bytes);
    EXPECT_EQ(list.encoding, encoding);
    ASSERT_EQ(list.pupils.size(), 3u);
    const Pupil& takahashi = list.pupils[1];
    EXPECT_EQ(takahashi.name, QStringLiteral("髙橋, ①子"));
    EXPECT_EQ(takahashi.kana, QStringLiteral("たかはし まるこ"));
    EXPECT_EQ(takahashi.paper, QStringLiteral("shuzan-6"));
    EXPECT_EQ(takahashi.group, QStringLiteral("1"));
    EXPECT_TRUE(takahashi.ticked);
    EXPECT_EQ(list.pupils[0].number, QStringLiteral("101"));
    EXPECT_EQ(list.pupils[2].name, QStringLiteral("佐藤"));
    EXPECT_EQ(list.pupils[2].line, 5);  // the quoted line break counts
    EXPECT_EQ(WritePupilCsv(list, encoding), bytes);

    // An edit rewrites its own line only, the paper under the name the box shows.
    PupilList edited = list;
    edited.pupils[0].paper = QStringLiteral("anzan-3");
    const QByteArray out = WritePupilCsv(edited, encoding);
    const PupilList again = ReadPupilCsv(out);
    EXPECT_EQ(again.pupils[0].paper, QStringLiteral("anzan-3"));
    EXPECT_EQ(again.pupils[1].source, list.pupils[1].source);
    EXPECT_TRUE(QString::fromUtf8(WritePupilCsv(edited, CsvEncoding::Utf8))
                    .contains(ExamPaperNamed(QStringLiteral("anzan-3"))->name));
  }
}

TEST(PupilListTest, LinesThatDoNotReadAreKeptUntickedAndNamed) {
  const QString text = QStringLiteral(
                           "name,paper,kana\n"
                           "山田,shuzan-6,やまだ\n"
                           ",shuzan-6,なし\n"
                           "鈴木,%1,すずき\n"
                           "田中,shuzan-99,たなか\n"
                           "山田,shuzan-6,やまだ\n"
                           "\n"
                           ",,\n"
                           "伊藤,,いとう\n"
                           "小林,\"shuzan-6,こばやし\n")
                           .arg(DefaultPaper().key);
  const PupilList list = ReadPupilCsv(text.toUtf8());
  ASSERT_EQ(list.pupils.size(), 7u);  // the blank lines are no pupils; duplicates are two
  const std::vector<std::pair<int, QString>> bad{{3, QStringLiteral("氏名")},
                                                 {4, DefaultPaper().key},
                                                 {5, QStringLiteral("shuzan-99")},
                                                 {9, QStringLiteral("用紙")},
                                                 {10, QStringLiteral("引用符")}};
  std::size_t b = 0;
  for (const Pupil& pupil : list.pupils) {
    if (!pupil.Bad()) {
      EXPECT_EQ(pupil.name, QStringLiteral("山田"));
      EXPECT_TRUE(pupil.ticked);
      continue;
    }
    ASSERT_LT(b, bad.size());
    EXPECT_FALSE(pupil.ticked);
    EXPECT_EQ(pupil.line, bad[b].first);
    EXPECT_TRUE(pupil.reason.contains(bad[b].second)) << pupil.reason.toStdString();
    EXPECT_TRUE(text.contains(pupil.text));
    ++b;
  }
  EXPECT_EQ(b, bad.size());
  const QString back = QString::fromUtf8(WritePupilCsv(list, CsvEncoding::Utf8));
  EXPECT_EQ(back, QString(text).remove(QStringLiteral("\n\n,,")));
}

TEST(PupilListTest, MoreThanTheLimitIsRefusedAsAWhole) {
  QString text = QStringLiteral("氏名,用紙\n");
  for (int i = 0; i < kMaxPupils; ++i) text += QStringLiteral("生徒%1,shuzan-6\n").arg(i);
  EXPECT_EQ(ReadPupilCsv(text.toUtf8()).pupils.size(), static_cast<std::size_t>(kMaxPupils));
  text += QStringLiteral(",bad\n");
  EXPECT_NE(Thrown([&] { ReadPupilCsv(text.toUtf8()); }).find("200"), std::string::npos);
  // No column to find the pupils by: refused, not read as bad lines.
  EXPECT_NE(Thrown([] { ReadPupilCsv("name,kana\nA,a\n"); }).find("用紙"), std::string::npos);
}

TEST(PupilListTest, ANameShiftJisCannotHoldIsRefusedNamingItAndNothingIsWritten) {
  PupilList list = ReadPupilCsv(ToCp932(ClassText()));
  list.pupils[0].name = QStringLiteral("𠮷田 一");
  const std::string message = Thrown([&] { WritePupilCsv(list, CsvEncoding::Cp932); });
  EXPECT_NE(message.find("𠮷田 一"), std::string::npos) << message;
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("class.csv"));
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
  old.close();
  EXPECT_THROW(WritePupilFile(path, list, CsvEncoding::Cp932), Error);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
  // UTF-8 holds it.
  EXPECT_EQ(ReadPupilCsv(WritePupilCsv(list, CsvEncoding::Utf8Bom)).pupils[0].name,
            QStringLiteral("𠮷田 一"));
}

// The dialog adds a pupil and keeps the list on OK; a refused file changes nothing.
TEST(PupilListTest, TheDialogAddsAPupilAndKeepsIt) {
  QTemporaryDir data;
  const ScopedEnv env("XDG_DATA_HOME", data.path().toLocal8Bit());
  ScriptedMessageBoxes boxes;
  {
    TPupilsDialog dialog;
    dialog.AddPupil();
    QTableWidget* table = dialog.Table;
    ASSERT_EQ(table->rowCount(), 1);
    table->item(0, TPupilsDialog::kNameColumn)->setText(QStringLiteral("山田 花子"));
    table->item(0, TPupilsDialog::kPaperColumn)
        ->setData(Qt::UserRole + 1, QStringLiteral("zenshu-8"));
    const QString tooMany = data.filePath(QStringLiteral("many.csv"));
    QFile many(tooMany);
    ASSERT_TRUE(many.open(QIODevice::WriteOnly));
    many.write("name,paper\n" + QByteArray("a,shuzan-6\n").repeated(kMaxPupils + 1));
    many.close();
    EXPECT_FALSE(dialog.ImportFrom(tooMany));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("200")));
    EXPECT_EQ(table->rowCount(), 1);
    dialog.accept();
  }
  QFile kept(PupilListPath());
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_TRUE(kept.readAll().startsWith("\xEF\xBB\xBF"));
  const PupilList list = LoadPupilList();
  ASSERT_EQ(list.pupils.size(), 1u);
  EXPECT_EQ(list.pupils[0].name, QStringLiteral("山田 花子"));
  EXPECT_EQ(list.pupils[0].paper, QStringLiteral("zenshu-8"));
  EXPECT_TRUE(list.pupils[0].ticked);
  TPupilsDialog again;
  EXPECT_EQ(again.Table->rowCount(), 1);
}

}  // namespace
}  // namespace tamariko::testing
