#pragma once

#include <QString>

#include "core/canvas.h"  // kCarriedFace, the face the file holds

namespace tamariko {

// TempPath() followed by "ORVFont.TTF", computed afresh at each call.
QString CarriedFontPath();

// Program start: writes the carried font to `fontPath` and registers it.
// - No file there: the file is written (created exclusively under a fresh name, then
//   renamed into place, so nothing is ever written through a planted symlink).
// - A regular file with exactly the carried bytes: left as it is, registered all the same
//   (a font registered by an earlier run did not outlive that run).
// - Anything else (other bytes, a symlink, a pipe...): replaced the same safe way.
// The face is registered from the carried bytes themselves, so another copy of the
// program deleting the file at its exit does not take the face away from this one.
// Throws Error with the path and the reason when the file cannot be written.
void InstallCarriedFont(const QString& fontPath);
void InstallCarriedFont();

// Shut-down: unregisters the face, announces the change, deletes the file. Never throws;
// a file that is already gone is fine.
void RemoveCarriedFont(const QString& fontPath);
void RemoveCarriedFont();

}  // namespace tamariko
