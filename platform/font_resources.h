#pragma once

#include <QByteArray>
#include <QString>

#include "core/canvas.h"

namespace tamariko {

// Stand-ins for the classic font-resource calls, over the application font database.
// A font is registered from bytes held in memory, never read lazily from its file, so
// deleting or replacing the file later (by this or another copy of the program) cannot
// take the face away. One registration is kept per path; registering a path again
// replaces the earlier one. All of them need a running QGuiApplication.

// Reads the font file (not through a symlink) and registers it under `path`.
// Returns the number of faces added, 0 when the file cannot be read or is no font.
int AddFontResource(const QString& path);
// Registers `data` under `path` without touching the file.
int AddFontResource(const QString& path, const QByteArray& data);
// Drops the registration made under `path`; false when there was none.
bool RemoveFontResource(const QString& path);
// Telling other programs about a changed font set has no counterpart here: fonts an
// application registers are its own. Kept so the shut-down reads as it always did.
void BroadcastFontChange();

// The installed face that kLabelFace, the labels' face, stands for (Debian
// fonts-ipafont-gothic).
inline const QString kLabelSubstitute = QStringLiteral("IPAPGothic");

// Makes kLabelFace resolve to kLabelSubstitute on every paint device (windows, images,
// PDF). Without it fontconfig picks some other fallback, differently from run to run.
// Throws Error when the substitute face is not installed.
void InstallFaceSubstitutions();

}  // namespace tamariko
