#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/scoped_env.h"

namespace tamariko {
namespace {

// The server's sample LaserJet driver: PDF is turned into raster, then into PCL, whose
// tray command for "Tray3" is ESC & l 4 H.
constexpr char kLaserJet[] = "drv:///sample.drv/laserjet.ppd";
const QByteArray kTray3Command = QByteArray("\x1b&l4H");
// How IPP writes copies = 2 into the server's record of the job.
const QByteArray kTwoCopies = QByteArray(
    "\x21\x00\x06"
    "copies"
    "\x00\x04\x00\x00\x00\x02",
    15);

QString MissingDriverParts() {
  for (const char* path : {"/usr/share/cups/drv/sample.drv", "/usr/lib/cups/filter/rastertohp",
                           "/usr/lib/cups/filter/gstoraster", "/usr/bin/gs"}) {
    if (!QFileInfo::exists(QLatin1String(path))) return QLatin1String(path);
  }
  return QString();
}

TEST(CupsTrayJob, TheChosenTrayReachesTheDriversPrinterDataAndTheCopiesTheJob) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  if (const QString missing = MissingDriverParts(); !missing.isEmpty()) {
    GTEST_SKIP() << missing.toStdString() << " is missing (cups, cups-filters, ghostscript)";
  }
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                        QFileDevice::WriteOther | QFileDevice::ExeOther);
  const QString data = out.filePath(QStringLiteral("printer-data.pcl"));
  {
    QFile file(data);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                        QFileDevice::WriteOther);
  }
  ASSERT_TRUE(cupsd.AddDriverQueue(QStringLiteral("lj"), QLatin1String(kLaserJet), data));
  const testing::ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  auto spooler = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(spooler->Refresh(15000)) << spooler->ServerFailure().toStdString();
  ScopedQxPrinter scoped(spooler);

  CapabilityOutput names;
  ASSERT_EQ(spooler->DeviceCapabilities("lj", {}, DC_BINNAMES, &names, nullptr), 7);
  EXPECT_EQ(names.names, (QStringList{"自動選択", "トレイ1", "トレイ2", "トレイ3", "トレイ4",
                                      "手差し", "封筒トレイ"}));

  TQxPrinterSetupDialog::SetRunner([](PrinterChoice& choice) {
    choice.printer = QStringLiteral("lj");
    choice.paper = DMPAPER_A4;
    choice.bin = DMBIN_MIDDLE;  // tray-3
    return true;
  });
  TQxPrinterSetupDialog dialog;
  const bool accepted = dialog.Execute();
  TQxPrinterSetupDialog::SetRunner({});
  ASSERT_TRUE(accepted);
  QxPrinter().SetCopies(2);
  QxPrinter().ApplySettings();
  QxPrinter().BeginDoc(QStringLiteral("トレイ"));
  QxPrinter().Canvas().Rectangle(300, 300, 600, 600);
  QxPrinter().EndDoc();

  // The driver writes the printer data, and the server its record of the job, a moment
  // later: wait for both, within bounds.
  QElapsedTimer clock;
  clock.start();
  QByteArray printed;
  QByteArray records;
  while (clock.elapsed() < 60000 &&
         !(printed.contains(kTray3Command) && records.contains(kTwoCopies))) {
    QThread::msleep(200);
    QFile file(data);
    if (file.open(QIODevice::ReadOnly)) printed = file.readAll();
    records = cupsd.JobRecords();
  }
  EXPECT_TRUE(printed.contains(kTray3Command))
      << "no tray command in " << printed.size() << " bytes of printer data";
  EXPECT_TRUE(records.contains(kTwoCopies));
}

}  // namespace
}  // namespace tamariko
