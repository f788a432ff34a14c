#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tamariko {

// Puts the sheets' faces in place for the window (`install` stands in for
// InstallFaceSubstitutions in tests). When a face is missing, the message goes to standard
// error as well as to a message box (a window without fonts shows only empty boxes) and is
// kept, so that the commands drawing sheets refuse with it instead of drawing empty boxes.
void InstallWindowFaces(const std::function<void()>& install = {});

// The message while a face is missing; empty once the faces are in place.
QString MissingFacesMessage();

// False, after saying why over `parent`, while a face is missing.
bool FacesInPlace(QWidget* parent);

}  // namespace tamariko
