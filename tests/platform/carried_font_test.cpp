#include "platform/carried_font.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "core/error.h"
#include "platform/font_resources.h"
#include "platform/resource.h"
#include "tests/platform/test_dirs.h"

namespace tamariko {
namespace {

using test::PrivateDir;

bool FaceRegistered() { return QFontDatabase::families().contains(kCarriedFace); }

struct stat LStat(const QString& path) {
  struct stat st {};
  lstat(QFile::encodeName(path).constData(), &st);
  return st;
}

bool Exists(const QString& path) {
  struct stat st;
  return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

class CarriedFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.Valid());
    carried_ = LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont"));
  }
  void TearDown() override { RemoveCarriedFont(path_); }

  // The face is registered and its file holds exactly the carried bytes.
  void ExpectInstalled() {
    EXPECT_TRUE(FaceRegistered());
    EXPECT_TRUE(S_ISREG(LStat(path_).st_mode));
    EXPECT_EQ(test::ReadAll(path_), carried_);
  }

  PrivateDir dir_;
  QString path_ = dir_.File(QStringLiteral("ORVFont.TTF"));
  QByteArray carried_;
};

TEST_F(CarriedFontTest, FirstStartWritesRegistersAndShutDownRemoves) {
  ASSERT_FALSE(FaceRegistered());
  InstallCarriedFont(path_);
  ExpectInstalled();
  EXPECT_EQ(LStat(path_).st_mode & 077, 0u) << "not readable by others";
  RemoveCarriedFont(path_);
  EXPECT_FALSE(FaceRegistered());
  EXPECT_FALSE(Exists(path_));
  EXPECT_EQ(QDir(dir_.Path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0)
      << "no temporary file left behind";
}

TEST_F(CarriedFontTest, FileWithTheSameBytesIsKeptAndStillRegistered) {
  test::WriteAll(path_, carried_);
  const ino_t inode = LStat(path_).st_ino;
  InstallCarriedFont(path_);
  ExpectInstalled();
  EXPECT_EQ(LStat(path_).st_ino, inode) << "the file was rewritten";
}

TEST_F(CarriedFontTest, ForeignContentIsReplaced) {
  for (const QByteArray& planted :
       {QByteArray("not a font"), QByteArray(), carried_.left(carried_.size() - 1), carried_ + "x",
        QByteArray(carried_).replace(5000, 1, "\x7f")}) {
    SCOPED_TRACE(planted.size());
    test::WriteAll(path_, planted);
    InstallCarriedFont(path_);
    ExpectInstalled();
    RemoveCarriedFont(path_);
  }
}

TEST_F(CarriedFontTest, PlantedSymlinkIsReplacedNotFollowed) {
  PrivateDir elsewhere;
  const QString victim = elsewhere.File(QStringLiteral("victim"));
  const QString dangling = elsewhere.File(QStringLiteral("dangling"));
  test::WriteAll(victim, "precious");
  for (const QString& target : {victim, dangling}) {
    SCOPED_TRACE(target.toStdString());
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(path_).constData()),
              0);
    InstallCarriedFont(path_);
    ExpectInstalled();
    EXPECT_EQ(test::ReadAll(victim), QByteArray("precious"));
    EXPECT_FALSE(Exists(dangling));
    RemoveCarriedFont(path_);
  }
}

TEST_F(CarriedFontTest, SymlinkToAnIdenticalFileIsStillReplaced) {
  const QString copy = dir_.File(QStringLiteral("copy.ttf"));
  test::WriteAll(copy, carried_);
  ASSERT_EQ(symlink(QFile::encodeName(copy).constData(), QFile::encodeName(path_).constData()), 0);
  InstallCarriedFont(path_);
  ExpectInstalled();
}

TEST_F(CarriedFontTest, PlantedPipeDoesNotHang) {
  ASSERT_EQ(mkfifo(QFile::encodeName(path_).constData(), 0600), 0);
  InstallCarriedFont(path_);
  ExpectInstalled();
}

TEST_F(CarriedFontTest, UnwritableFolderIsAClearError) {
  const QString file = dir_.File(QStringLiteral("plain-file"));
  test::WriteAll(file, "x");
  // A folder path that runs through a plain file cannot be written, even by root.
  for (const QString& fontPath :
       {file + QStringLiteral("/ORVFont.TTF"), dir_.File(QStringLiteral("missing/ORVFont.TTF"))}) {
    SCOPED_TRACE(fontPath.toStdString());
    try {
      InstallCarriedFont(fontPath);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_NE(QString::fromUtf8(e.what()).indexOf(fontPath), -1) << e.what();
    }
    EXPECT_FALSE(FaceRegistered());
  }
}

TEST_F(CarriedFontTest, ReadOnlyFolderIsAClearError) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ASSERT_EQ(chmod(dir_.Native().constData(), 0500), 0);
  EXPECT_THROW(InstallCarriedFont(path_), Error);
  chmod(dir_.Native().constData(), 0700);
  EXPECT_FALSE(FaceRegistered());
  EXPECT_FALSE(Exists(path_));
}

// Another copy of the program deletes the file when it exits; this one keeps drawing.
TEST_F(CarriedFontTest, FaceOutlivesItsFile) {
  InstallCarriedFont(path_);
  ASSERT_EQ(unlink(QFile::encodeName(path_).constData()), 0);
  QFont font(kCarriedFace);
  font.setPixelSize(40);
  EXPECT_EQ(QFontInfo(font).family(), kCarriedFace);
  QImage image(200, 60, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setFont(font);
  p.drawText(10, 45, QStringLiteral("1234"));
  p.end();
  int ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
  }
  EXPECT_GT(ink, 100);
}

TEST_F(CarriedFontTest, ShutDownAfterTheFileVanishedIsQuiet) {
  InstallCarriedFont(path_);
  unlink(QFile::encodeName(path_).constData());
  EXPECT_NO_THROW(RemoveCarriedFont(path_));
  EXPECT_FALSE(FaceRegistered());
}

TEST_F(CarriedFontTest, ShutDownDeletesALinkButNotItsTarget) {
  InstallCarriedFont(path_);
  PrivateDir elsewhere;
  const QString victim = elsewhere.File(QStringLiteral("victim"));
  test::WriteAll(victim, "precious");
  unlink(QFile::encodeName(path_).constData());
  ASSERT_EQ(symlink(QFile::encodeName(victim).constData(), QFile::encodeName(path_).constData()),
            0);
  RemoveCarriedFont(path_);
  EXPECT_FALSE(Exists(path_));
  EXPECT_EQ(test::ReadAll(victim), QByteArray("precious"));
}

TEST_F(CarriedFontTest, DefaultPathIsInTheTemporaryFolder) {
  test::ScopedEnv env("XDG_RUNTIME_DIR", dir_.Native());
  EXPECT_EQ(CarriedFontPath(), path_);
  InstallCarriedFont();
  ExpectInstalled();
  RemoveCarriedFont();
  EXPECT_FALSE(Exists(path_));
  EXPECT_FALSE(FaceRegistered());
}

}  // namespace
}  // namespace tamariko
