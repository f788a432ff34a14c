#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/framework_printer.h"
#include "printing/qxprinters.h"
#include "tests/support/scripted_spooler.h"

namespace tamariko {
namespace {

using Printer = ScriptedSpooler::Printer;

Printer Named(const QString& name) {
  Printer p;
  p.name = name;
  return p;
}

struct Rig {
  explicit Rig(std::vector<Printer> printers, QString defaultPrinter = {})
      : spooler(std::make_shared<ScriptedSpooler>(std::move(printers), std::move(defaultPrinter))),
        framework(std::make_shared<FrameworkPrinter>(spooler)),
        qx(spooler, framework) {}

  // The framework printer's current device mode.
  DevMode Current() {
    QString device, driver, port;
    DevModeHandle handle;
    framework->GetPrinter(device, driver, port, handle);
    if (!handle) {
      framework->SetPrinterIndex(framework->PrinterIndex());
      framework->GetPrinter(device, driver, port, handle);
    }
    return *handle->AsDevMode();
  }

  std::shared_ptr<ScriptedSpooler> spooler;
  std::shared_ptr<FrameworkPrinter> framework;
  TQxPrinter qx;
};

template <typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing thrown)";
}

TEST(QxPrinterNoPrinter, EveryQueryRaisesNoPrinterWithNoneOrOnlyHiddenPrinters) {
  Printer hidden = Named("hidden");
  hidden.attributes |= PRINTER_ATTRIBUTE_HIDDEN;
  const std::vector<std::vector<Printer>> setups = {{}, {hidden}, {hidden, hidden}};
  for (const auto& printers : setups) {
    using Call = void (*)(TQxPrinter&);
    const Call calls[] = {
        [](TQxPrinter& q) { q.SetPaperSizeNumber(DMPAPER_B4); },
        [](TQxPrinter& q) { q.GetPixelsPerInch(); },
        [](TQxPrinter& q) { q.GetPageOffset(); },
    };
    for (Call call : calls) {
      Rig rig(printers);
      EXPECT_THROW(call(rig.qx), EQxPrinterNoPrinter);
    }
  }
}

TEST(QxPrinterNoPrinter, OneVisiblePrinterAmongHiddenOnesIsEnough) {
  Printer hidden = Named("hidden");
  hidden.attributes |= PRINTER_ATTRIBUTE_HIDDEN;
  Rig rig({hidden, Named("visible")});
  EXPECT_NO_THROW(rig.qx.CheckNoPrinter());
}

TEST(QxPrinterPaper, SamePaperIsNotMarkedChangedAndApplyDoesNothing) {
  Printer p = Named("B4 printer");
  p.paperSize = 12;
  Rig rig({p});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  EXPECT_FALSE(rig.qx.SettingsChanged());
  const int merges = rig.spooler->MergeCalls();
  rig.qx.ApplySettings();
  EXPECT_EQ(rig.spooler->MergeCalls(), merges);
  EXPECT_NE(rig.qx.Settings(), nullptr);
}

TEST(QxPrinterPaper, AnotherPaperIsMergedIntoTheFrameworkPrinter) {
  Rig rig({Named("A4 printer")});
  ASSERT_EQ(rig.Current().dmPaperSize, DMPAPER_A4);
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  EXPECT_TRUE(rig.qx.SettingsChanged());
  rig.qx.ApplySettings();

  const DevMode dm = rig.Current();
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_B4);
  EXPECT_EQ(dm.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u);
  EXPECT_NE(dm.dmFields & DM_PAPERSIZE, 0u);
  EXPECT_EQ(rig.spooler->MergeCalls(), 1);
  EXPECT_EQ(rig.qx.Settings(), nullptr);
  EXPECT_FALSE(rig.qx.SettingsChanged());
  EXPECT_EQ(rig.qx.PrinterIndexCache(), -1);
  EXPECT_EQ(rig.spooler->OpenHandles(), 0);
}

TEST(QxPrinterPaper, UserDefinedSizeKeepsLengthAndWidthBits) {
  Rig rig({Named("p")});
  rig.qx.SetPaperSizeNumber(DMPAPER_USER);
  rig.qx.ApplySettings();
  const DevMode dm = rig.Current();
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_USER);
  EXPECT_EQ(dm.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH), DM_PAPERLENGTH | DM_PAPERWIDTH);
}

TEST(QxPrinterPaper, PaperSizeMissingFromTheFieldsIsNotSupported) {
  Printer p = Named("no paper");
  p.fields = DM_ORIENTATION | DM_COPIES;
  Rig rig({p});
  EXPECT_THROW(rig.qx.SetPaperSizeNumber(DMPAPER_B4), EQxPrinterNotSupported);
  EXPECT_EQ(MessageOf([&] { rig.qx.SetPaperSizeNumber(DMPAPER_B4); }),
            "TQxPrinter.SetPaperSizeNumber: PaperSize is not Supported");
}

TEST(QxPrinterPaper, CopiesAreRefusedOnlyByAPrinterWithoutThem) {
  Printer p = Named("no copies");
  p.fields = DM_PAPERSIZE | DM_ORIENTATION;
  Rig rig({p});
  EXPECT_NO_THROW(rig.qx.SetPaperSizeNumber(DMPAPER_B4));
  EXPECT_NO_THROW(rig.qx.SetCopies(1));
  EXPECT_THROW(rig.qx.SetCopies(3), EQxPrinterNotSupported);
  Rig able({Named("p")});
  able.qx.SetCopies(3);
  able.qx.ApplySettings();
  EXPECT_EQ(able.Current().dmCopies, 3);
}

TEST(QxPrinterCapabilities, AreReadOncePerSelectedPrinter) {
  Rig rig({Named("p")});
  rig.qx.RefreshCapabilities();
  EXPECT_EQ(rig.qx.PaperNumbers(), (std::vector<std::uint16_t>{9, 12, 1}));
  EXPECT_EQ(rig.qx.PaperNames().size(), 3);
  EXPECT_EQ(rig.qx.ResolutionCount(), 2);
  EXPECT_EQ(rig.qx.MaxCopies(), 99);
  EXPECT_EQ(rig.qx.GetPixelsPerInch(), std::make_pair(600, 600));
  EXPECT_EQ(rig.qx.GetPageOffset(), std::make_pair(50, 60));
}

TEST(QxPrinterCapabilities, APrinterWithoutPapersStillGivesItsResolutionsAndCopies) {
  Printer p = Named("p");
  p.papers.clear();
  p.paperNames.clear();
  p.bins.clear();
  p.binNames.clear();
  Rig rig({p});
  rig.qx.RefreshCapabilities();
  EXPECT_TRUE(rig.qx.PaperNumbers().empty());
  EXPECT_EQ(rig.qx.ResolutionCount(), 2);
  EXPECT_EQ(rig.qx.MaxCopies(), 99);
}

TEST(QxPrinterAssertions, FailuresCarryTheirTextAndTheUnitName) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> arrange;
    std::function<void(Rig&)> act;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"commit cannot open the printer",
       [](Rig& r) {
         r.qx.SetPaperSizeNumber(DMPAPER_B4);
         r.spooler->Find("p")->cannotOpen = true;
       },
       [](Rig& r) { r.qx.ApplySettings(); }, "Assertion failure"},
      {"driver refuses the merge",
       [](Rig& r) {
         r.qx.SetPaperSizeNumber(DMPAPER_B4);
         r.spooler->Find("p")->documentPropertiesFails = true;
       },
       [](Rig& r) { r.qx.ApplySettings(); }, "Assertion failure"},
      {"second resolution query fails",
       [](Rig& r) { r.spooler->Find("p")->secondResolutionQueryFails = true; },
       [](Rig& r) { r.qx.RefreshCapabilities(); }, "Assertion failure"},
      {"device mode of size 0 in ApplySettings",
       [](Rig& r) {
         r.qx.SetPaperSizeNumber(DMPAPER_B4);
         r.framework->SetPrinter("p", "", "LPT1:", std::make_shared<MemoryBlock>(0));
       },
       [](Rig& r) { r.qx.ApplySettings(); },
       "TQxPrinter.ApplySettings; Devmode Size Should be greater than 0"},
      {"device mode of size 0 in LoadSettings",
       [](Rig& r) { r.framework->SetPrinter("p", "", "LPT1:", std::make_shared<MemoryBlock>(0)); },
       [](Rig& r) { r.qx.LoadSettings(); }, "Assertion failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig({Named("p")});
    c.arrange(rig);
    std::string message = "(nothing thrown)";
    try {
      c.act(rig);
    } catch (const EAssertionFailed& e) {
      message = e.what();
    }
    EXPECT_EQ(message.rfind(c.text + " (QxPrinters, line ", 0), 0u) << message;
  }
}

TEST(QxPrinterCommit, FailingDriverStillUnlocksAndHandsTheRecordBack) {
  Rig rig({Named("p")});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.spooler->Find("p")->documentPropertiesFails = true;
  QString device, driver, port;
  DevModeHandle before;
  rig.framework->GetPrinter(device, driver, port, before);
  ASSERT_TRUE(before);
  EXPECT_THROW(rig.qx.ApplySettings(), EAssertionFailed);
  DevModeHandle after;
  rig.framework->GetPrinter(device, driver, port, after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(after->LockCount(), 0);
  EXPECT_EQ(device, "p");
  EXPECT_EQ(rig.spooler->OpenHandles(), 0);
}

TEST(QxPrinterApply, SettingsOfAnotherPrinterAreDroppedNotCopied) {
  Printer a = Named("a");
  Printer b = Named("b");
  b.paperSize = 1;
  b.driverExtra = 16;  // same size: only the name tells them apart
  Rig rig({a, b});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);  // read from "a"
  rig.framework->SetPrinterIndex(1);
  rig.qx.ApplySettings();
  EXPECT_EQ(rig.Current().dmPaperSize, 1);
  EXPECT_EQ(rig.qx.Settings(), nullptr);
  QString device, driver, port;
  DevModeHandle handle;
  rig.framework->GetPrinter(device, driver, port, handle);
  EXPECT_EQ(device, "b");
}

TEST(QxPrinterApply, SettingsOfAnotherSizeAreDroppedNotCopied) {
  Printer p = Named("p");
  Rig rig({p});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.spooler->Find("p")->driverExtra = 64;
  rig.framework->SetPrinterIndex(0);  // reloads a bigger device mode of the same printer
  rig.qx.ApplySettings();
  EXPECT_EQ(rig.Current().dmPaperSize, DMPAPER_A4);
}

TEST(QxPrinterApply, PortReadWithTheSettingsIsHandedBack) {
  Rig rig({Named("p")});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  EXPECT_EQ(rig.qx.SettingsPort(), "LPT1:");
  rig.qx.ApplySettings();
  QString device, driver, port;
  DevModeHandle handle;
  rig.framework->GetPrinter(device, driver, port, handle);
  EXPECT_EQ(port, "LPT1:");
}

TEST(QxPrinterReset, ForgetsSettingsAndRereadsCapabilities) {
  Rig rig({Named("p"), Named("q")});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.framework->SetPrinterIndex(1);
  rig.qx.ResetPrinter();
  EXPECT_EQ(rig.qx.PrinterIndexCache(), 1);
  EXPECT_FALSE(rig.qx.SettingsChanged());
  ASSERT_NE(rig.qx.Settings(), nullptr);
  EXPECT_STREQ(const_cast<MemoryBlock*>(rig.qx.Settings())->AsDevMode()->dmDeviceName, "q");
}

struct ChangeRig : Rig {
  ChangeRig() : Rig({Named("p"), Named("q")}) {
    qx.OnChange = [this](TQxPrinter& sender) {
      EXPECT_EQ(&sender, &qx);
      ++fired;
    };
    qx.GetPorts();
  }
  int fired = 0;
};

TEST(QxPrinterChanges, AddedOrRemovedPrinterFiresOnceAndRebuilds) {
  ChangeRig rig;
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  ASSERT_TRUE(rig.qx.SettingsChanged());
  rig.spooler->AddPrinter(Named("new"));
  EXPECT_EQ(rig.fired, 1);
  EXPECT_EQ(rig.qx.PrintersInfo().Count(), 3);
  EXPECT_EQ(rig.qx.Settings(), nullptr);
  EXPECT_FALSE(rig.qx.SettingsChanged());
  EXPECT_EQ(rig.qx.PrinterIndexCache(), -1);
  EXPECT_EQ(rig.framework->Printers().size(), 3);

  rig.spooler->RemovePrinter("q");
  EXPECT_EQ(rig.fired, 2);
  EXPECT_EQ(rig.framework->Printers(), QStringList({"p", "new"}));
}

TEST(QxPrinterChanges, SamePrintersAndPortsFireNothing) {
  ChangeRig rig;
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.spooler->BroadcastSettingsChange();
  EXPECT_EQ(rig.fired, 0);
  EXPECT_TRUE(rig.qx.SettingsChanged());
}

TEST(QxPrinterChanges, PortChangeFiresOnce) {
  ChangeRig rig;
  rig.spooler->SetPort("q", "usb://new");
  EXPECT_EQ(rig.fired, 1);
  rig.spooler->BroadcastSettingsChange();
  EXPECT_EQ(rig.fired, 1);
}

TEST(QxPrinterChanges, AttributeChangeCountsAsAnotherPrinterList) {
  ChangeRig rig;
  rig.spooler->Find("p")->attributes |= PRINTER_ATTRIBUTE_HIDDEN;
  rig.spooler->BroadcastSettingsChange();
  EXPECT_EQ(rig.fired, 1);
}

TEST(QxPrinterChanges, NoListenerAfterDestruction) {
  auto spooler = std::make_shared<ScriptedSpooler>(std::vector<Printer>{Named("p")});
  { TQxPrinter qx(spooler, std::make_shared<FrameworkPrinter>(spooler)); }
  EXPECT_NO_THROW(spooler->AddPrinter(Named("q")));
}

TEST(QxAllPrintersInfo, EqualsComparesNamesAndAttributesInOrder) {
  ScriptedSpooler empty1, empty2;
  EXPECT_TRUE(TQxAllPrintersInfo(empty1).Equals(TQxAllPrintersInfo(empty2)));
  ScriptedSpooler ab({Named("a"), Named("b")});
  ScriptedSpooler ba({Named("b"), Named("a")});
  ScriptedSpooler aB({Named("a"), Named("B")});
  EXPECT_TRUE(TQxAllPrintersInfo(ab).Equals(TQxAllPrintersInfo(ab)));
  EXPECT_FALSE(TQxAllPrintersInfo(ab).Equals(TQxAllPrintersInfo(ba)));
  EXPECT_FALSE(TQxAllPrintersInfo(ab).Equals(TQxAllPrintersInfo(aB)));
  EXPECT_FALSE(TQxAllPrintersInfo(ab).Equals(TQxAllPrintersInfo(empty1)));
}

TEST(QxAllPrintersInfo, FailingEnumerationIsAPlatformError) {
  ScriptedSpooler spooler({Named("a")});
  spooler.enumerationFails = true;
  EXPECT_THROW(TQxAllPrintersInfo info(spooler), EOSError);
}

TEST(QxPrinterPorts, AreListedOnceInEnumerationOrder) {
  Printer a = Named("a");
  Printer b = Named("b");
  b.port = "usb://b";
  Rig rig({a, b, Named("c")});
  rig.spooler->extraPorts = {"FILE:", "usb://b"};
  EXPECT_EQ(rig.qx.GetPorts(), QStringList({"LPT1:", "usb://b", "FILE:"}));
  rig.spooler->portEnumerationFails = true;
  EXPECT_THROW(rig.qx.GetPorts(), EOSError);
}

TEST(QxPrinterJobs, TitleIsCutTo31CharactersAndTheJobEnds) {
  Rig rig({Named("p")});
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.qx.ApplySettings();
  rig.qx.BeginDoc(QString(40, QChar(u'算')));
  rig.qx.Canvas().LineTo(10, 20);
  rig.qx.EndDoc();
  ASSERT_EQ(rig.spooler->Jobs().size(), 1u);
  const auto& job = rig.spooler->Jobs()[0];
  EXPECT_EQ(job.title.size(), 31);
  EXPECT_EQ(job.devMode.dmPaperSize, DMPAPER_B4);
  EXPECT_TRUE(job.ended);
  ASSERT_EQ(job.page->ops.size(), 1u);
  EXPECT_EQ(job.page->ops[0].kind, RecordingCanvas::Kind::LineTo);
  EXPECT_EQ(job.page->ops[0].x2, 10);
  EXPECT_EQ(job.page->ops[0].y2, 20);
}

TEST(QxPrinterJobs, CanvasOutsideAJobAndSecondBeginAreErrors) {
  Rig rig({Named("p")});
  EXPECT_THROW(rig.qx.Canvas(), Error);
  EXPECT_THROW(rig.qx.EndDoc(), Error);
  rig.qx.BeginDoc("みとり暗算１");
  EXPECT_THROW(rig.qx.BeginDoc("かけ算"), Error);
  rig.qx.EndDoc();
}

TEST(QxPrinterJobs, FailingSendStillEndsTheJob) {
  Rig rig({Named("p")});
  rig.spooler->endDocFails = true;
  rig.qx.BeginDoc("解答表");
  EXPECT_THROW(rig.qx.EndDoc(), EOSError);
  EXPECT_FALSE(rig.framework->Printing());
  rig.spooler->endDocFails = false;
  rig.qx.BeginDoc("解答表");
  rig.qx.EndDoc();
}

TEST(QxPrinterJobs, PrinterChangeDuringAJobWaitsForItsEnd) {
  ChangeRig rig;
  rig.qx.BeginDoc("みとり暗算１");
  rig.spooler->AddPrinter(Named("new"));
  EXPECT_EQ(rig.fired, 1);
  rig.qx.Canvas().MoveTo(1, 1);
  rig.qx.EndDoc();
  EXPECT_EQ(rig.framework->Printers().size(), 3);
}

TEST(QxPrinterGlobal, ScopedOverrideIsTheGlobalAndIsUndone) {
  auto spooler = std::make_shared<ScriptedSpooler>(std::vector<Printer>{Named("p")});
  TQxPrinter* outer = nullptr;
  try {
    outer = &QxPrinter();
  } catch (const Error&) {
  }
  {
    ScopedQxPrinter scoped(spooler);
    EXPECT_EQ(&QxPrinter(), &scoped.Get());
    EXPECT_EQ(QxPrinter().GetPixelsPerInch(), std::make_pair(600, 600));
  }
  if (outer == nullptr) {
    EXPECT_THROW(QxPrinter(), Error);
  } else {
    EXPECT_EQ(&QxPrinter(), outer);
  }
}

}  // namespace
}  // namespace tamariko
