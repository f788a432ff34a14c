#pragma once

#include <QByteArray>
#include <QString>

namespace tamariko {

// The bytes of a resource carried in the executable, found by type and name without regard
// to case (the font is type "MYFONT", name "MyFont"). Throws Error when there is none.
QByteArray LoadResource(const QString& type, const QString& name);

}  // namespace tamariko
