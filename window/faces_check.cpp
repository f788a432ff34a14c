#include "window/faces_check.h"

#include <cstdio>
#include <exception>

#include "platform/font_resources.h"
#include "window/message_box.h"

namespace tamariko {
namespace {

QString& Missing() {
  static QString message;
  return message;
}

}  // namespace

void InstallWindowFaces(const std::function<void()>& install) {
  try {
    if (install) {
      install();
    } else {
      InstallFaceSubstitutions();
    }
    Missing().clear();
  } catch (const std::exception& e) {
    Missing() = QString::fromUtf8(e.what());
    std::fprintf(stderr, "tamariko: %s\n", e.what());
    std::fflush(stderr);
    ShowException(nullptr, Missing());
  }
}

QString MissingFacesMessage() { return Missing(); }

bool FacesInPlace(QWidget* parent) {
  if (Missing().isEmpty()) return true;
  ShowException(parent, Missing());
  return false;
}

}  // namespace tamariko
