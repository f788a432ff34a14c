#include "resources/resources.h"

#include <QFileInfo>

namespace tamariko {

bool ResourcesLinked() { return QFileInfo(kResourceRoot).isDir(); }

}  // namespace tamariko
