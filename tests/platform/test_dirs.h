#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

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

}  // namespace tamariko::test
