#include "platform/resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/error.h"
#include "resources/resources.h"

namespace tamariko {
namespace {

// The entry of `folder` whose name equals `name` ignoring case, or an empty path.
QString FindEntry(const QString& folder, const QString& name, QDir::Filters filter) {
  const QFileInfoList entries = QDir(folder).entryInfoList(filter | QDir::Hidden);
  for (const QFileInfo& entry : entries) {
    if (entry.fileName().compare(name, Qt::CaseInsensitive) == 0) return entry.filePath();
  }
  return {};
}

}  // namespace

QByteArray LoadResource(const QString& type, const QString& name) {
  const QString missing =
      QStringLiteral("プログラムのリソース %1/%2 が見つかりません").arg(type, name);
  if (type.isEmpty() || name.isEmpty() || type.contains(QLatin1Char('/')) ||
      name.contains(QLatin1Char('/'))) {
    throw Error(missing.toStdString());
  }
  const QString folder = FindEntry(kResourceRoot, type, QDir::Dirs | QDir::NoDotAndDotDot);
  const QString file = folder.isEmpty() ? QString() : FindEntry(folder, name, QDir::Files);
  if (file.isEmpty()) throw Error(missing.toStdString());
  QFile resource(file);
  if (!resource.open(QIODevice::ReadOnly)) throw Error(missing.toStdString());
  return resource.readAll();
}

}  // namespace tamariko
