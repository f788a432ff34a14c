#pragma once

#include <QString>

namespace tamariko {

// Paths of the carried pictures, for QPixmap / QImage.
inline const QString kKerimoBitmap = QStringLiteral(":/tamariko/bitmaps/kerimo.png");
inline const QString kInsatsuBitmap = QStringLiteral(":/tamariko/bitmaps/insatsu.png");
inline const QString kInsatsuSetteiBitmap = QStringLiteral(":/tamariko/bitmaps/insatsu_settei.png");
inline const QString kFourArrowsIcon = QStringLiteral(":/tamariko/bitmaps/four_arrows.png");
// The licence of the carried font, shown in the version window.
inline const QString kCarriedFontLicence =
    QStringLiteral(":/tamariko/licenses/ORVFont-LICENSE.txt");

// The teachers' guide in Markdown, shown by F1 and spliced into the README.
inline const QString kGuideMarkdown = QStringLiteral(":/tamariko/help/guide.md");

// The folder under which every carried resource lives, one subfolder per resource type.
inline const QString kResourceRoot = QStringLiteral(":/tamariko");

// True when the resource data was linked into this executable.
bool ResourcesLinked();

}  // namespace tamariko
