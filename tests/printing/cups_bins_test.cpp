#include <gtest/gtest.h>

#include "platform/cups_spooler.h"

namespace tamariko {
namespace {

// Two keywords with one classic number ("main" and "tray-1") must not share a bin, or the
// teacher's choice would send the other tray.
TEST(CupsTrays, EveryTrayGetsANumberOfItsOwn) {
  const std::vector<CupsBin> bins =
      BinsOfTrays({{"main", "Main"}, {"tray-1", "Tray 1"}, {"x-deep", "Deep drawer"}});
  ASSERT_EQ(bins.size(), 3u);
  EXPECT_NE(bins[0].number, bins[1].number);
  EXPECT_NE(bins[1].number, bins[2].number);
  EXPECT_NE(bins[0].number, bins[2].number);
  EXPECT_EQ(bins[2].name, "Deep drawer") << "an unknown tray keeps the printer's own name";
}

TEST(CupsTrays, TheDeviceModeCarriesAKnownBinAndTheJobItsKeyword) {
  CupsSpooler spooler;
  CupsQueue queue;
  queue.name = "office";
  queue.trays = {{"auto", "Auto"}, {"tray-1", "Tray 1"}, {"x-deep", "Deep"}};
  queue.defaultTray = "tray-1";
  spooler.Adopt(CupsReading{true, {}, {queue}});

  CapabilityOutput bins;
  EXPECT_EQ(spooler.DeviceCapabilities("office", {}, DC_BINS, &bins, nullptr), 3);
  EXPECT_EQ(bins.numbers, (std::vector<std::uint16_t>{7, 1, 258}));
  EXPECT_EQ(spooler.DeviceCapabilities("PDF", {}, DC_BINS, nullptr, nullptr), 0);

  const PrinterHandle handle = spooler.OpenPrinter("office");
  DevMode dm{};
  ASSERT_EQ(spooler.DocumentProperties(handle, "office", &dm, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(dm.dmDefaultSource, 1) << "the queue's default tray";
  EXPECT_NE(dm.dmFields & DM_DEFAULTSOURCE, 0u);

  dm.dmDefaultSource = 258;
  ASSERT_EQ(spooler.DocumentProperties(handle, "office", &dm, &dm, DM_IN_BUFFER | DM_OUT_BUFFER),
            IDOK);
  EXPECT_EQ(dm.dmDefaultSource, 258);
  EXPECT_EQ(spooler.TrayOfBin("office", dm.dmDefaultSource), "x-deep");

  dm.dmDefaultSource = DMBIN_LARGECAPACITY;  // not a tray of this queue
  ASSERT_EQ(spooler.DocumentProperties(handle, "office", &dm, &dm, DM_IN_BUFFER | DM_OUT_BUFFER),
            IDOK);
  EXPECT_EQ(dm.dmDefaultSource, 1);
  EXPECT_TRUE(spooler.TrayOfBin("office", DMBIN_LARGECAPACITY).isEmpty());
  spooler.ClosePrinter(handle);
}

// A queue that goes busy or gets a new message is no change of the printers; another paper
// or another queue is.
TEST(CupsQueueCache, OnlyAChangeOfThePrintersIsAnnounced) {
  CupsSpooler spooler;
  int notices = 0;
  spooler.Subscribe([&] { ++notices; });
  CupsQueue queue;
  queue.name = "office";
  queue.papers = {{25700, 36400}};
  spooler.Adopt(CupsReading{true, {}, {queue}});
  EXPECT_EQ(notices, 1);
  queue.state = 4;
  queue.stateMessage = "printing";
  spooler.Adopt(CupsReading{true, {}, {queue}});
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(spooler.Queues().front().state, 4) << "the cache still follows";
  queue.papers.push_back({21000, 29700});
  spooler.Adopt(CupsReading{true, {}, {queue}});
  EXPECT_EQ(notices, 2);
}

}  // namespace
}  // namespace tamariko
