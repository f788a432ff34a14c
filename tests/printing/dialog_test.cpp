#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "tests/support/scripted_spooler.h"

namespace tamariko {
namespace {

ScriptedSpooler::Printer Named(const QString& name) {
  ScriptedSpooler::Printer p;
  p.name = name;
  return p;
}

struct DialogRig {
  DialogRig()
      : spooler(std::make_shared<ScriptedSpooler>(
            std::vector<ScriptedSpooler::Printer>{Named("p"), Named("q")})),
        scoped(spooler) {}
  ~DialogRig() { TQxPrinterSetupDialog::SetRunner({}); }

  DevMode Current() {
    QString device, driver, port;
    DevModeHandle handle;
    QxPrinter().Framework().GetPrinter(device, driver, port, handle);
    return *handle->AsDevMode();
  }

  std::shared_ptr<ScriptedSpooler> spooler;
  ScopedQxPrinter scoped;
};

TEST(PrinterSetupDialog, ConfirmedChoiceSelectsThePrinterAndResetsTheObject) {
  DialogRig rig;
  QxPrinter().SetPaperSizeNumber(12);
  QxPrinter().ApplySettings();
  PrinterChoice shown;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice& choice) {
    shown = choice;
    choice.printer = "q";
    choice.paper = 8;
    choice.landscape = true;
    return true;
  });
  TQxPrinterSetupDialog dialog;
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(shown.printer, "p");
  EXPECT_EQ(shown.paper, 12);
  const DevMode dm = rig.Current();
  EXPECT_STREQ(dm.dmDeviceName, "q");
  EXPECT_EQ(dm.dmPaperSize, 8);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(QxPrinter().PrinterIndexCache(), 1);
  EXPECT_FALSE(QxPrinter().SettingsChanged());
}

TEST(PrinterSetupDialog, CancelChangesNothingButTheCommandStillResets) {
  DialogRig rig;
  QxPrinter().SetPaperSizeNumber(12);  // marked, not applied
  TQxPrinterSetupDialog::SetRunner([](PrinterChoice& choice) {
    choice.printer = "q";
    return false;
  });
  TQxPrinterSetupDialog dialog;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(QxPrinter().SettingsChanged());
  EXPECT_STREQ(rig.Current().dmDeviceName, "p");

  RunPrinterSetupCommand(dialog);
  EXPECT_FALSE(QxPrinter().SettingsChanged());
  EXPECT_EQ(QxPrinter().PrinterIndexCache(), 0);
  // The start-up paper is not applied again.
  EXPECT_EQ(rig.Current().dmPaperSize, 9);
}

TEST(PrinterSetupDialog, UnknownPrinterIsAClearError) {
  DialogRig rig;
  TQxPrinterSetupDialog::SetRunner([](PrinterChoice& choice) {
    choice.printer = "gone";
    return true;
  });
  TQxPrintDialog dialog;
  EXPECT_THROW(dialog.Execute(), Error);
}

TEST(PrinterSetupDialog, RealDialogClosedWithoutOkReturnsFalse) {
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    GTEST_SKIP() << "runs the modal dialog only on the offscreen platform";
  }
  DialogRig rig;
  bool closed = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
      closed = true;
    }
  });
  closer.start(50);
  TQxPrinterSetupDialog dialog;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace tamariko
