#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "core/page_mapping.h"
#include "platform/carried_font.h"
#include "platform/font_resources.h"

namespace tamariko::bench {

// Fonts and the preview scale, as the window has them after start-up.
struct DrawingWorld {
  DrawingWorld() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app = std::make_unique<QGuiApplication>(argc, argv);
    InstallFaceSubstitutions();
    InstallCarriedFont(QDir(fontFolder.path()).filePath(QStringLiteral("ORVFont.TTF")));
  }
  int argc = 1;
  char name[9] = "tamariko";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  QTemporaryDir fontFolder;
  // The preview of a 300 dpi printer without offsets, as the PDF printer gives it.
  const PageMapping mapping = PreviewMapping({300, 300}, {0, 0});
};

inline DrawingWorld& World() {
  static DrawingWorld world;
  return world;
}

}  // namespace tamariko::bench
