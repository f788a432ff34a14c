#include "platform/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "core/error.h"
#include "tests/platform/test_dirs.h"

namespace tamariko {
namespace {

using test::PrivateDir;
using test::ScopedEnv;

mode_t ModeOf(const QString& path) {
  struct stat st;
  return lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class TempPathTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(runtime_.Valid() && cache_.Valid()); }

  QString Fallback() const { return cache_.Path() + QStringLiteral("/tamariko/"); }

  PrivateDir runtime_;
  PrivateDir cache_;
  ScopedEnv cacheEnv_{"XDG_CACHE_HOME", cache_.Native()};
};

TEST_F(TempPathTest, PrivateRuntimeFolderIsUsedWithTrailingSlash) {
  ScopedEnv env("XDG_RUNTIME_DIR", runtime_.Native());
  EXPECT_EQ(TempPath(), runtime_.Path() + QLatin1Char('/'));
  ScopedEnv slash("XDG_RUNTIME_DIR", runtime_.Native() + "/");
  EXPECT_EQ(TempPath(), runtime_.Path() + QLatin1Char('/'));
}

TEST_F(TempPathTest, RuntimeFolderOpenToOthersIsRefused) {
  ScopedEnv env("XDG_RUNTIME_DIR", runtime_.Native());
  for (const mode_t mode : {0755, 0711, 0770, 0707, 01777, 0500}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(chmod(runtime_.Native().constData(), mode), 0);
    EXPECT_EQ(TempPath(), Fallback());
  }
  chmod(runtime_.Native().constData(), 0700);
}

TEST_F(TempPathTest, RuntimeFolderOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "handing a folder to another user needs root";
  ASSERT_EQ(chown(runtime_.Native().constData(), 65534, 65534), 0);
  ScopedEnv env("XDG_RUNTIME_DIR", runtime_.Native());
  EXPECT_EQ(TempPath(), Fallback());
}

TEST_F(TempPathTest, RuntimeFolderThatIsNoFolderIsRefused) {
  const QString link = cache_.File(QStringLiteral("link"));
  ASSERT_EQ(symlink(runtime_.Native().constData(), QFile::encodeName(link).constData()), 0);
  const QString file = cache_.File(QStringLiteral("file"));
  test::WriteAll(file, "x");
  for (const QByteArray& value :
       {QFile::encodeName(link), QFile::encodeName(file), QByteArray("relative/dir"),
        QByteArray(""), runtime_.Native() + "/missing"}) {
    SCOPED_TRACE(value.constData());
    ScopedEnv env("XDG_RUNTIME_DIR", value);
    EXPECT_EQ(TempPath(), Fallback());
  }
  ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
  EXPECT_EQ(TempPath(), Fallback());
}

TEST_F(TempPathTest, FallbackFolderIsCreatedPrivate) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  ASSERT_EQ(TempPath(), Fallback());
  EXPECT_EQ(ModeOf(Fallback()), 0700u);
}

TEST_F(TempPathTest, OwnFallbackFolderWithWideModeIsNarrowed) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  ASSERT_TRUE(QDir().mkpath(Fallback()));
  ASSERT_EQ(chmod(QFile::encodeName(Fallback()).constData(), 0777), 0);
  EXPECT_EQ(TempPath(), Fallback());
  EXPECT_EQ(ModeOf(Fallback()), 0700u);
}

TEST_F(TempPathTest, PlantedFallbackSymlinkIsNotFollowed) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  PrivateDir home;
  ScopedEnv homeEnv("HOME", home.Native());
  QString fallback = Fallback();
  fallback.chop(1);
  ASSERT_EQ(symlink(runtime_.Native().constData(), QFile::encodeName(fallback).constData()), 0);
  EXPECT_EQ(TempPath(), home.Path() + QStringLiteral("/.cache/tamariko/"));
  EXPECT_EQ(ModeOf(home.Path() + QStringLiteral("/.cache/tamariko")), 0700u);
}

TEST_F(TempPathTest, LastResortIsAPrivateFolderInTmpdir) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  ScopedEnv noCache("XDG_CACHE_HOME", std::nullopt);
  ScopedEnv noHome("HOME", std::nullopt);
  ScopedEnv tmp("TMPDIR", runtime_.Native());
  const QString expected =
      runtime_.Path() + QStringLiteral("/tamariko-%1/").arg(static_cast<qulonglong>(geteuid()));
  EXPECT_EQ(TempPath(), expected);
  EXPECT_EQ(ModeOf(expected), 0700u);
}

TEST_F(TempPathTest, NoUsableFolderIsAClearError) {
  const QString file = cache_.File(QStringLiteral("plain-file"));
  test::WriteAll(file, "x");
  const QByteArray underFile = QFile::encodeName(file);
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  ScopedEnv cache("XDG_CACHE_HOME", underFile);
  ScopedEnv home("HOME", underFile);
  ScopedEnv tmp("TMPDIR", underFile);
  try {
    TempPath();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(QString::fromUtf8(e.what()).indexOf(file), -1) << e.what();
  }
}

}  // namespace
}  // namespace tamariko
