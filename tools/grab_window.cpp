// Draws the main window offscreen after ケリモ and saves it as a PNG, for the README's
// picture (scripts/make-docs-pictures.sh). Not installed and not part of the normal build:
//   cmake --build <build> --target tamariko_grab_window
//   <build>/resources/tamariko_grab_window SEED OUT.png
#include <QApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "window/form1.h"
#include "window/program.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SEED OUT.png\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  tamariko::QxPrintersUnit printers;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("タマリコ"));
  tamariko::InstallFaceSubstitutions();
  tamariko::Startup().SplashMilliseconds = 0;
  // The same seed gives the same problems, so the picture only changes with the program.
  tamariko::Startup().Seed = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  tamariko::CreateForms();
  tamariko::Form1->show();
  tamariko::Form1->MakeClicked();
  QApplication::processEvents();
  QImage picture = tamariko::Form1->grab().toImage();
  // Small enough for a README page.
  if (picture.width() > 900) picture = picture.scaledToWidth(900, Qt::SmoothTransformation);
  const bool saved = picture.save(QString::fromLocal8Bit(argv[2]), "PNG");
  tamariko::DestroyForms();
  if (!saved) std::fprintf(stderr, "cannot write %s\n", argv[2]);
  return saved ? 0 : 1;
}
