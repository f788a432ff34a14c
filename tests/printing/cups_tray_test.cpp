#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/scoped_env.h"

namespace tamariko {
namespace {

// A PDF queue whose driver file offers four input slots.
QString WriteTrayDriver(const QTemporaryDir& dir) {
  QFile base(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
  const QString path = dir.filePath(QStringLiteral("trays.ppd"));
  QFile out(path);
  if (!base.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return QString();
  out.write(base.readAll());
  out.write(
      "*OpenUI *InputSlot/Media Source: PickOne\n"
      "*OrderDependency: 20 AnySetup *InputSlot\n"
      "*DefaultInputSlot: Auto\n"
      "*InputSlot Auto/Automatic: \"\"\n"
      "*InputSlot Manual/Manual Feed: \"\"\n"
      "*InputSlot Tray1/Tray 1: \"\"\n"
      "*InputSlot Deep/Deep Drawer: \"\"\n"
      "*CloseUI: *InputSlot\n");
  return path;
}

TEST(CupsTrayJob, TheQueuesInputSlotsAreBinsAndTheChosenOneGoesWithTheJob) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  QTemporaryDir dir;
  const QString ppd = WriteTrayDriver(dir);
  ASSERT_FALSE(ppd.isEmpty());
  ASSERT_TRUE(cupsd.AddQueue(QStringLiteral("trays"), ppd));
  const testing::ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  auto spooler = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(spooler->Refresh(15000)) << spooler->ServerFailure().toStdString();
  ScopedQxPrinter scoped(spooler);

  CapabilityOutput names;
  ASSERT_EQ(spooler->DeviceCapabilities("trays", {}, DC_BINNAMES, &names, nullptr), 4);
  EXPECT_EQ(names.names.mid(0, 3), (QStringList{"自動選択", "手差し", "トレイ1"}));

  TQxPrinterSetupDialog::SetRunner([](PrinterChoice& choice) {
    choice.printer = QStringLiteral("trays");
    choice.paper = 12;
    choice.bin = DMBIN_UPPER;  // tray-1
    return true;
  });
  TQxPrinterSetupDialog dialog;
  const bool accepted = dialog.Execute();
  TQxPrinterSetupDialog::SetRunner({});
  ASSERT_TRUE(accepted);
  QxPrinter().BeginDoc(QStringLiteral("トレイ"));
  QxPrinter().Canvas().Rectangle(300, 300, 600, 600);
  QxPrinter().EndDoc();

  QElapsedTimer clock;
  clock.start();
  QByteArray records;
  while (clock.elapsed() < 15000 && !records.contains("tray-1")) {
    QThread::msleep(100);
    records = cupsd.JobRecords();
  }
  EXPECT_TRUE(records.contains("media-source"));
  EXPECT_TRUE(records.contains("tray-1"));
}

}  // namespace
}  // namespace tamariko
