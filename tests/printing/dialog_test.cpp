#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QThread>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/print_summary.h"
#include "printing/printer_setup_form.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/scripted_spooler.h"

namespace tamariko {
namespace {

ScriptedSpooler::Printer Named(const QString& name) {
  ScriptedSpooler::Printer p;
  p.name = name;
  return p;
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

void Pick(QComboBox* box, const QString& text) {
  const int index = box->findText(text);
  ASSERT_GE(index, 0) << text.toStdString() << " is not in " << Items(box).join(", ").toStdString();
  box->setCurrentIndex(index);
}

// Answers the real modal dialog once it is up: the test edits it, then presses a button.
void AnswerDialog(std::function<void(TPrinterSetupForm&)> answer) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, answer] {
    auto* form = qobject_cast<TPrinterSetupForm*>(QApplication::activeModalWidget());
    if (form == nullptr) return;
    poll->stop();
    poll->deleteLater();
    answer(*form);
  });
  poll->start(10);
}

bool OffscreenOnly() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

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

// Two printers as a school might have them: the office one with trays, another without B4.
std::vector<ScriptedSpooler::Printer> SchoolPrinters() {
  ScriptedSpooler::Printer office = Named("office");
  office.papers = {9, 12, 8, 43};
  office.paperNames = {"A4", "JIS B4", "A3", "Postcard"};
  office.bins = {7, 4, 1};
  office.binNames = {"自動選択", "手差し", "トレイ1"};
  office.info.driverName = "Laser 3000";
  office.info.location = "職員室";
  office.info.comment = "両面対応";
  office.info.status = PRINTER_STATUS_PAUSED;
  office.info.statusMessage = "用紙切れ";
  ScriptedSpooler::Printer small = Named("small");
  small.papers = {9, 13};
  small.paperNames = {"A4", "JIS B5"};
  small.paperSize = 13;
  small.bins = {};
  small.binNames = {};
  return {office, small};
}

TEST(PrinterSetupDialog, ConfirmedChoiceSelectsThePrinterAndResetsTheObject) {
  DialogRig rig;
  QxPrinter().SetPaperSizeNumber(DMPAPER_B4);
  QxPrinter().ApplySettings();
  PrinterChoice shown;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice& choice) {
    shown = choice;
    choice.printer = "q";
    choice.paper = 8;
    choice.fit = false;
    return true;
  });
  TQxPrinterSetupDialog dialog;
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(shown.printer, "p");
  EXPECT_EQ(shown.paper, 12);
  EXPECT_TRUE(shown.fit);
  const DevMode dm = rig.Current();
  EXPECT_STREQ(dm.dmDeviceName, "q");
  EXPECT_EQ(dm.dmPaperSize, 8);
  EXPECT_FALSE(QxPrinter().FitToPaper());
  EXPECT_EQ(QxPrinter().PrinterIndexCache(), 1);
  EXPECT_FALSE(QxPrinter().SettingsChanged());
}

TEST(PrinterSetupDialog, CancelChangesNothingButTheCommandStillResets) {
  DialogRig rig;
  QxPrinter().SetPaperSizeNumber(DMPAPER_B4);  // marked, not applied
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

namespace tamariko {
namespace {

TEST(PrinterSetupForm, ShowsTheCachedDetailsAndSwitchingPrintersRefreshesTheLists) {
  ScriptedSpooler spooler(SchoolPrinters());
  PrinterChoice choice;
  choice.printer = "office";
  choice.paper = 12;
  choice.bin = 4;
  TPrinterSetupForm form(spooler, choice);

  EXPECT_EQ(Items(form.PrinterBox), (QStringList{"office", "small"}));
  EXPECT_EQ(form.PrinterBox->currentText(), "office");
  EXPECT_EQ(form.StateText->text(), "一時停止 (用紙切れ)");
  {
    // The server's word for the state is not said again after it; a reason is.
    auto printers = SchoolPrinters();
    printers[0].info.statusMessage = "Paused";
    ScriptedSpooler paused(printers);
    EXPECT_EQ(TPrinterSetupForm(paused, choice).StateText->text(), "一時停止");
  }
  EXPECT_EQ(form.ModelText->text(), "Laser 3000");
  EXPECT_EQ(form.LocationText->text(), "職員室");
  EXPECT_EQ(form.CommentText->text(), "両面対応");
  // Japanese names, the Japanese sizes first, the paper and tray in force selected.
  EXPECT_EQ(Items(form.PaperBox), (QStringList{"B4 (JIS)", "A4", "A3", "はがき"}));
  EXPECT_EQ(form.PaperBox->currentText(), "B4 (JIS)");
  EXPECT_EQ(form.BinBox->currentText(), "手差し");
  EXPECT_TRUE(form.BinBox->isEnabled());
  EXPECT_FALSE(form.FolderEdit->isVisibleTo(&form));

  EXPECT_FALSE(form.PaperNote->isVisibleTo(&form));
  // The sheets are upright: landscape is greyed, with the reason.
  EXPECT_TRUE(form.PortraitButton->isChecked());
  EXPECT_FALSE(form.LandscapeButton->isEnabled());
  EXPECT_EQ(form.OrientationNote->text(), "この用紙は縦向きで印刷します");

  form.ActualSizeButton->setChecked(true);
  Pick(form.PrinterBox, "small");
  EXPECT_EQ(Items(form.PaperBox), (QStringList{"A4", "B5 (JIS)"}));
  EXPECT_EQ(form.PaperBox->currentText(), "A4") << "no B4 here: A4 before the driver's B5";
  EXPECT_TRUE(form.FitButton->isChecked()) << "and the page fitted to it";
  EXPECT_TRUE(form.PaperNote->isVisibleTo(&form));
  EXPECT_TRUE(form.PaperNote->text().contains("B4"));
  EXPECT_FALSE(form.BinBox->isEnabled());
  EXPECT_EQ(form.StateText->text(), "準備完了");
  EXPECT_TRUE(form.LocationText->text().isEmpty());
  EXPECT_EQ(form.Choice().bin, 0);

  Pick(form.PrinterBox, "office");
  EXPECT_EQ(form.PaperBox->currentText(), "B4 (JIS)") << "A4 only stood in for B4";
  EXPECT_EQ(form.BinBox->currentText(), "手差し") << "the tray in force comes back";
  Pick(form.PaperBox, "A3");
  Pick(form.PrinterBox, "small");
  Pick(form.PrinterBox, "office");
  EXPECT_EQ(form.PaperBox->currentText(), "A3") << "the paper chosen stays where it can";

  Pick(form.BinBox, "トレイ1");
  form.ActualSizeButton->setChecked(true);
  const PrinterChoice chosen = form.Choice();
  EXPECT_EQ(chosen.printer, "office");
  EXPECT_EQ(chosen.paper, 8);
  EXPECT_EQ(chosen.paperWidthTenthMm, 2970);
  EXPECT_EQ(chosen.bin, 1);
  EXPECT_FALSE(chosen.fit);
}

// 両面 only where the printer has it, and as it was last set for that printer.
TEST(PrinterSetupForm, TwoSidedIsOfferedWhereThePrinterCanAndRememberedPerPrinter) {
  std::vector<ScriptedSpooler::Printer> printers = SchoolPrinters();
  printers[0].duplex = true;
  ScriptedSpooler spooler(printers);
  PrinterChoice choice;
  choice.printer = "office";
  choice.twoSided = {"elsewhere"};
  TPrinterSetupForm form(spooler, choice);
  EXPECT_TRUE(form.TwoSidedBox->isEnabled());
  EXPECT_FALSE(form.TwoSidedBox->isChecked());
  form.TwoSidedBox->setChecked(true);
  Pick(form.PrinterBox, "small");
  EXPECT_FALSE(form.TwoSidedBox->isEnabled());
  EXPECT_FALSE(form.TwoSidedBox->isChecked());
  Pick(form.PrinterBox, "office");
  EXPECT_TRUE(form.TwoSidedBox->isChecked());
  EXPECT_EQ(form.Choice().twoSided, (QStringList{"elsewhere", "office"}));
  form.TwoSidedBox->setChecked(false);
  EXPECT_EQ(form.Choice().twoSided, QStringList{"elsewhere"});
}

TEST(PrinterSetupForm, OkPutsPaperTrayAndScaleInForceAndCancelChangesNothing) {
  if (!OffscreenOnly()) GTEST_SKIP() << "answers the modal dialog only offscreen";
  auto spooler = std::make_shared<ScriptedSpooler>(SchoolPrinters());
  ScopedQxPrinter scoped(spooler);
  QxPrinter().SetPaperSizeNumber(DMPAPER_B4);
  QxPrinter().ApplySettings();
  auto current = [] {
    QString device, driver, port;
    DevModeHandle handle;
    QxPrinter().Framework().GetPrinter(device, driver, port, handle);
    return *handle->AsDevMode();
  };

  AnswerDialog([](TPrinterSetupForm& form) {
    Pick(form.PaperBox, "A4");
    form.ActualSizeButton->setChecked(true);
    Pick(form.BinBox, "トレイ1");
    form.ButtonBox->button(QDialogButtonBox::Cancel)->click();
  });
  TQxPrinterSetupDialog dialog;
  RunPrinterSetupCommand(dialog);
  EXPECT_EQ(current().dmPaperSize, 12);
  EXPECT_TRUE(QxPrinter().FitToPaper());
  EXPECT_EQ(current().dmDefaultSource, 7);

  AnswerDialog([](TPrinterSetupForm& form) {
    Pick(form.PaperBox, "A4");
    form.ActualSizeButton->setChecked(true);
    Pick(form.BinBox, "トレイ1");
    form.ButtonBox->button(QDialogButtonBox::Ok)->click();
  });
  RunPrinterSetupCommand(dialog);
  const DevMode dm = current();
  EXPECT_EQ(dm.dmPaperSize, 9);
  EXPECT_FALSE(QxPrinter().FitToPaper());
  EXPECT_EQ(dm.dmDefaultSource, 1);

  QxPrinter().BeginDoc("A4");
  QxPrinter().EndDoc();
  ASSERT_EQ(spooler->Jobs().size(), 1u);
  EXPECT_EQ(spooler->Jobs()[0].devMode.dmPaperSize, 9);
  EXPECT_EQ(spooler->Jobs()[0].devMode.dmDefaultSource, 1);
}

// The CUPS spooler with one queue as its cache holds it, never asking the server.
struct CupsDialogRig {
  CupsDialogRig() : spooler(std::make_shared<CupsSpooler>()) {
    CupsQueue office;
    office.name = "office";
    office.port = "ipp://office.local/ipp/print";
    office.makeAndModel = "Laser 3000";
    office.location = "職員室";
    office.info = "2階";
    office.state = 4;
    office.papers = {{21000, 29700}, {25700, 36400}};
    office.defaultPaper = office.papers[0];
    office.trays = {{"auto", "Automatic"}, {"by-pass-tray", "Multipurpose"}, {"x-deep", "Deep"}};
    office.defaultTray = "auto";
    spooler->Adopt(CupsReading{true, {}, {office}});
    spooler->SetPdfOutputFolder(home.path());
    scoped = std::make_unique<ScopedQxPrinter>(spooler);
  }

  QTemporaryDir home;
  std::shared_ptr<CupsSpooler> spooler;
  std::unique_ptr<ScopedQxPrinter> scoped;
};

TEST(PrinterSetupForm, CupsQueuesShowFromTheCacheAndThePdfPrinterItsFolder) {
  CupsDialogRig rig;
  PrinterChoice choice;
  choice.printer = "office";
  choice.paper = 12;
  choice.pdfFolder = rig.home.path();
  TPrinterSetupForm form(*rig.spooler, choice);
  EXPECT_EQ(Items(form.PrinterBox), (QStringList{"2階（office）", "PDF"}));
  EXPECT_EQ(form.StateText->text(), "印刷中");
  EXPECT_EQ(form.ModelText->text(), "Laser 3000");
  EXPECT_EQ(form.CommentText->text(), "2階");
  EXPECT_EQ(Items(form.PaperBox), (QStringList{"B4 (JIS)", "A4"}));
  EXPECT_EQ(Items(form.BinBox), (QStringList{"自動選択", "手差しトレイ", "Deep"}));
  EXPECT_EQ(form.BinBox->currentText(), "自動選択");

  Pick(form.PrinterBox, "PDF");
  EXPECT_TRUE(form.FolderEdit->isVisibleTo(&form));
  EXPECT_EQ(form.ModelText->text(), "PDFファイルに保存");
  EXPECT_TRUE(form.CommentText->text().contains("1枚ごとに")) << "one file per sheet";
  EXPECT_EQ(form.LocationText->text(), QDir::toNativeSeparators(rig.home.path()));
  EXPECT_EQ(form.PaperBox->currentText(), "B4 (JIS)");
  // The sizes teachers use first; typing B4 means JIS wherever the list stands.
  EXPECT_EQ(Items(form.PaperBox).mid(0, 5),
            (QStringList{"B4 (JIS)", "A4", "A3", "B5 (JIS)", "レター"}));
  EXPECT_GT(form.PaperBox->count(), 50);
  for (const char* from : {"A3", "B5 (JIS)", "A4"}) {
    Pick(form.PaperBox, from);
    for (const char* key : {"B", "4"}) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(key));
      QCoreApplication::sendEvent(form.PaperBox, &press);
    }
    EXPECT_EQ(form.PaperBox->currentText(), "B4 (JIS)") << from;
    QThread::msleep(static_cast<unsigned long>(QApplication::keyboardInputInterval()) + 50);
  }
  EXPECT_FALSE(form.BinBox->isEnabled());

  // A folder that is not there is refused with the reason, and nothing typed is lost.
  const QString missing = rig.home.filePath("なし");
  form.FolderEdit->setText(missing);
  form.show();
  form.ButtonBox->button(QDialogButtonBox::Ok)->click();
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.FolderError->isVisibleTo(&form));
  EXPECT_TRUE(form.FolderError->text().contains(missing));
  EXPECT_EQ(form.FolderEdit->text(), missing);

  form.ChooseFolder = [&](const QString&) { return rig.home.filePath("."); };
  form.FolderButton->click();
  EXPECT_FALSE(form.FolderError->isVisibleTo(&form));
  form.ButtonBox->button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(QFileInfo(form.Choice().pdfFolder), QFileInfo(rig.home.path()));
}

TEST(PrinterSetupForm, ThePdfFolderAndPaperChosenAreWhereAndHowTheFilesComeOut) {
  if (!OffscreenOnly()) GTEST_SKIP() << "answers the modal dialog only offscreen";
  CupsDialogRig rig;
  QTemporaryDir chosen;
  AnswerDialog([&](TPrinterSetupForm& form) {
    Pick(form.PrinterBox, "PDF");
    Pick(form.PaperBox, "A4");
    form.FolderEdit->setText(chosen.path());
    form.ButtonBox->button(QDialogButtonBox::Ok)->click();
  });
  TQxPrinterSetupDialog dialog;
  RunPrinterSetupCommand(dialog);
  EXPECT_EQ(rig.spooler->PdfOutputFolder(), chosen.path());

  QxPrinter().BeginDoc("みとり暗算");
  QxPrinter().Canvas().TextOut(300, 300, "1");
  QxPrinter().EndDoc();
  ASSERT_EQ(rig.spooler->PdfFilesWritten().size(), 1);
  const QString file = rig.spooler->PdfFilesWritten().first();
  EXPECT_EQ(QFileInfo(file).absolutePath(), QFileInfo(chosen.path()).absoluteFilePath());
  const test::PdfFacts facts = test::ReadPdf(file);
  EXPECT_NEAR(facts.widthPt, 210 / 25.4 * 72, 1.0) << "A4, upright";
  EXPECT_NEAR(facts.heightPt, 297 / 25.4 * 72, 1.0);
}

// The PDF printer writes one file a sheet whatever copies were asked; a queue takes them.
TEST(PrintSummary, ACupsQueueTakesTheCopiesAndThePdfPrinterWritesOneFileASheet) {
  CupsDialogRig rig;
  TQxPrinter& qx = QxPrinter();
  qx.Framework().SelectPrinter("office");
  qx.SetPaperSizeNumber(DMPAPER_A4);
  qx.SetCopies(2);
  qx.ApplySettings();
  EXPECT_EQ(SummarizePrint(qx, 3).Text(),
            "プリンター: 2階（office） 用紙: A4（用紙に合わせる） 3 枚 × 2 部");
  qx.SetFitToPaper(false);
  EXPECT_EQ(SummarizePrint(qx, 3).fit, "原寸");
  qx.SetFitToPaper(true);

  qx.Framework().SelectPrinter("PDF");
  qx.SetPaperSizeNumber(DMPAPER_B4);
  qx.SetCopies(2);
  qx.ApplySettings();
  const PrintSummary pdf = SummarizePrint(qx, 3);
  EXPECT_EQ(pdf.copies, 1);
  EXPECT_EQ(pdf.Text(), "プリンター: PDF 用紙: B4 (JIS) 3 枚（1 枚ずつPDFファイルに保存）");
}

}  // namespace
}  // namespace tamariko
