#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/carried_font.h"
#include "platform/font_resources.h"

namespace tamariko::test {

// Sets an environment variable for the life of the object, restoring the old value.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<QByteArray>& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      hadOld_ = true;
      old_ = QByteArray(old);
    }
    if (value) {
      setenv(name, value->constData(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_, old_.constData(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  QByteArray old_;
};

// A fresh folder owned by this user with mode 0700, removed afterwards.
class PrivateDir {
 public:
  PrivateDir() { chmod(Native().constData(), 0700); }
  QString Path() const { return dir_.path(); }
  QString File(const QString& name) const { return dir_.filePath(name); }
  QByteArray Native() const { return QFile::encodeName(dir_.path()); }
  bool Valid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
};

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

// Tests that draw text: the carried face and the label face are in place for the whole
// suite, the carried font file in a folder of the suite's own.
class FontsInstalled : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new PrivateDir;
    InstallCarriedFont(dir_->File(QStringLiteral("ORVFont.TTF")));
    InstallFaceSubstitutions();
  }
  static void TearDownTestSuite() {
    RemoveCarriedFont(dir_->File(QStringLiteral("ORVFont.TTF")));
    delete dir_;
    dir_ = nullptr;
  }
  static inline PrivateDir* dir_ = nullptr;
};

}  // namespace tamariko::test
