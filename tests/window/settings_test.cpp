#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>

#include "app/input_limits.h"
#include "app_fixture.h"
#include "platform/cups_spooler.h"
#include "printing/printer_setup_form.h"
#include "printing/qxprint_dialogs.h"
#include "tests/support/scoped_env.h"
#include "window/settings.h"

namespace tamariko::testing {
namespace {

ScriptedSpooler::Printer Office() {
  ScriptedSpooler::Printer office;
  office.name = QStringLiteral("Office");
  office.papers = {9, 12, 8};
  office.paperNames = {"A4", "B4", "A3"};
  office.bins = {7, 4};
  office.binNames = {"自動選択", "手差し"};
  return office;
}

ScriptedSpooler::Printer WithoutB4() {
  ScriptedSpooler::Printer small;
  small.name = QStringLiteral("Small");
  small.papers = {9, 13};
  small.paperNames = {"A4", "B5"};
  return small;
}

// Writes a remembered printer as an earlier run would have left it.
void RememberPrinter(const QString& name, const QString& pdfFolder = {}) {
  PrinterChoice choice;
  choice.printer = name;
  choice.pdfFolder = pdfFolder;
  choice.paper = 8;
  choice.copies = 2;
  choice.fit = false;
  const auto settings = OpenSettings();
  WritePrinterChoice(*settings, choice);
  ASSERT_TRUE(WriteSettings(*settings));
}

TEST_F(AppTest, TextsTicksAndPrinterComeBackInTheNextRun) {
  UsePrinters(std::make_shared<ScriptedSpooler>(
      std::vector<ScriptedSpooler::Printer>{OnePrinter().front(), Office()}));
  CreateWindows();
  EXPECT_EQ(form->Heading2Box->text(), QStringLiteral("タマリコ練習問題"))
      << "no file: the design's";
  form->RoundBox->setText(QStringLiteral("12"));
  form->Heading1Box->setText(QStringLiteral("第12回 校内大会"));
  form->Heading2Box->setText(QStringLiteral("かけ算の練習"));
  form->SchoolBox->setText(QStringLiteral("そろばん塾"));
  Child<QCheckBox>(form, "SheetBox3")->setChecked(false);
  Child<QCheckBox>(form, "SheetBox5")->setChecked(true);
  PrintBox(Form4, "kaitou")->setChecked(false);
  PrinterChoice office = PrinterChoiceInForce();
  office.printer = QStringLiteral("Office");
  office.paper = 8;
  office.bin = 4;
  office.fit = false;
  office.twoSided = {QStringLiteral("Office")};
  PutPrinterChoiceInForce(office);
  Form4->CopiesBox->setValue(3);
  DestroyForms();
  EXPECT_TRUE(QFileInfo(QDir(tempFolder.path()).filePath("tamariko/tamariko.conf")).isFile());

  QxPrinter().Framework().SelectPrinter(QStringLiteral("Scripted"));
  CreateWindows();
  EXPECT_EQ(form->RoundBox->text(), QStringLiteral("12"));
  EXPECT_EQ(form->Heading1Box->text(), QStringLiteral("第12回 校内大会"));
  EXPECT_EQ(form->Heading2Box->text(), QStringLiteral("かけ算の練習"));
  EXPECT_EQ(form->SchoolBox->text(), QStringLiteral("そろばん塾"));
  EXPECT_FALSE(Child<QCheckBox>(form, "SheetBox3")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox4")->isChecked());
  // The print ticks are not remembered: they follow each ケリモ.
  EXPECT_TRUE(PrintBox(Form4, "kaitou")->isChecked());
  EXPECT_FALSE(OpenSettings()->contains(QStringLiteral("print/sheets/kaitou")));
  EXPECT_EQ(Form4->CopiesBox->value(), 3) << "部数 is what every print asks for";
  EXPECT_TRUE(Child<QCheckBox>(form, "SheetBox5")->isChecked())
      << "a kind added to the list is remembered too";
  const PrinterChoice back = PrinterChoiceInForce();
  EXPECT_EQ(back.printer, QStringLiteral("Office"));
  EXPECT_EQ(back.paper, 8);
  EXPECT_EQ(back.bin, 4);
  EXPECT_EQ(back.copies, 3);
  EXPECT_FALSE(back.fit);
  EXPECT_EQ(back.twoSided, QStringList{QStringLiteral("Office")});
}

// A file edited by hand or left by another version gives the boxes only what fits them.
TEST_F(AppTest, ARememberedTextThatDoesNotFitTheSheetIsCutOrLeftOut) {
  const QString longHeading = QString(200, u'長');
  {
    const auto settings = OpenSettings();
    settings->setValue(QStringLiteral("window/round"), QStringLiteral("abc"));
    settings->setValue(QStringLiteral("window/heading2"), longHeading);
    settings->setValue(QStringLiteral("window/organizer"), QStringLiteral("北\x1b教室"));
    ASSERT_TRUE(WriteSettings(*settings));
  }
  CreateWindows();
  EXPECT_EQ(form->RoundBox->text(), QStringLiteral("1")) << "not a round: the design's stays";
  EXPECT_EQ(form->SchoolBox->text(), QStringLiteral("北教室")) << "a control character left out";
  const auto* note = form->findChild<QLabel*>(QStringLiteral("HeadingNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().contains(QStringLiteral("U+001B"))) << note->text().toStdString();
  const QString heading = form->Heading2Box->text();
  EXPECT_TRUE(HeadingFits(kContestPlaces, HeadingLine::Second, heading));
  EXPECT_FALSE(heading.isEmpty());
  EXPECT_TRUE(longHeading.startsWith(heading)) << "cut at its end, not dropped";
}

// A file that cannot be written is said once on the status line, with the reason, and not
// on standard error; one with unreadable bytes is written over and said to be so, once.
TEST_F(AppTest, SettingsThatCannotBeSavedAreSaidOnceOnTheStatusLineWithTheReason) {
  const QString path = SettingsFilePath();
  ASSERT_TRUE(QDir().mkpath(path)) << "a folder in the file's place";
  ::testing::internal::CaptureStderr();
  CreateWindows();
  form->show();
  form->MakeButton->Click();
  const QString said = form->StatusLine->currentMessage();
  EXPECT_TRUE(said.startsWith(QStringLiteral("設定を保存できません："))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("フォルダーになっています"))) << said.toStdString();
  form->MakeButton->Click();
  DestroyForms();
  EXPECT_EQ(::testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);

  ASSERT_TRUE(QDir(path).removeRecursively());
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const char bytes[] = "[window]\nround=3\n\0\1\2\xff\n";
    file.write(bytes, sizeof bytes - 1);
  }
  CreateWindows();
  form->show();
  form->MakeButton->Click();
  EXPECT_TRUE(form->StatusLine->currentMessage().contains(QStringLiteral("書き直しました")))
      << form->StatusLine->currentMessage().toStdString();
  form->MakeButton->Click();
  EXPECT_TRUE(form->StatusLine->currentMessage().isEmpty()) << "said once";
  DestroyForms();
  CreateWindows();
  form->show();
  form->MakeButton->Click();
  EXPECT_TRUE(form->StatusLine->currentMessage().isEmpty())
      << form->StatusLine->currentMessage().toStdString();
}

// The default printer takes a vanished one's place, on B4 where it has it, and the set-up
// dialog says so the first time only.
TEST_F(AppTest, AVanishedPrinterFallsBackToTheDefaultAndTheDialogSaysSoOnce) {
  const struct {
    ScriptedSpooler::Printer printer;
    int paper;
  } cases[] = {{Office(), DMPAPER_B4}, {WithoutB4(), DMPAPER_A4}};
  std::vector<QString> notices;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice&) {
    notices.push_back(Form1->PrinterSetupDialog->NoticeOnce());
    return false;
  });
  auto resetRunner = qScopeGuard([] { TQxPrinterSetupDialog::SetRunner({}); });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.printer.name.toStdString());
    UsePrinters(std::make_shared<ScriptedSpooler>(
        std::vector<ScriptedSpooler::Printer>{OnePrinter().front(), c.printer}, c.printer.name));
    RememberPrinter(QStringLiteral("Gone"));
    CreateWindows();
    const PrinterChoice now = PrinterChoiceInForce();
    EXPECT_EQ(now.printer, c.printer.name);
    EXPECT_EQ(now.paper, c.paper);
    EXPECT_EQ(now.copies, 2);
    EXPECT_TRUE(now.fit) << "the default printer's paper is fitted, whatever the gone one had";
    EXPECT_TRUE(boxes.shown.empty()) << "said in the dialog, not in a box";
    notices.clear();
    form->PrinterSetupButton->Click();
    form->PrinterSetupButton->Click();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("「Gone」が見つからない")))
        << notices[0].toStdString();
    EXPECT_TRUE(
        notices[0].contains(c.paper == DMPAPER_B4 ? QStringLiteral("B4") : QStringLiteral("A4")));
    EXPECT_TRUE(notices[1].isEmpty());
    DestroyForms();
  }
}

// A remembered paper that cannot be read (too big a number, a wrong type) is not taken as
// some number: the remembered printer gets B4 where it has it, and the dialog says so once.
TEST_F(AppTest, AnUnreadableRememberedPaperBecomesB4WhereThePrinterHasIt) {
  const struct {
    ScriptedSpooler::Printer printer;
    QVariant paper;
    int now;
  } cases[] = {{Office(), QStringLiteral("2147483648"), DMPAPER_B4},
               {Office(), QStringList{QStringLiteral("B4"), QStringLiteral("A4")}, DMPAPER_B4},
               {WithoutB4(), QStringLiteral("B4"), DMPAPER_A4}};
  std::vector<QString> notices;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice&) {
    notices.push_back(Form1->PrinterSetupDialog->NoticeOnce());
    return false;
  });
  auto resetRunner = qScopeGuard([] { TQxPrinterSetupDialog::SetRunner({}); });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.paper.toString().toStdString());
    UsePrinters(std::make_shared<ScriptedSpooler>(
        std::vector<ScriptedSpooler::Printer>{OnePrinter().front(), c.printer}));
    RememberPrinter(c.printer.name);
    {
      const auto settings = OpenSettings();
      settings->setValue(QStringLiteral("printer/paper"), c.paper);
      ASSERT_TRUE(WriteSettings(*settings));
    }
    CreateWindows();
    const PrinterChoice now = PrinterChoiceInForce();
    EXPECT_EQ(now.printer, c.printer.name);
    EXPECT_EQ(now.paper, c.now);
    EXPECT_EQ(now.copies, 2) << "the rest of the remembered choice stands";
    notices.clear();
    form->PrinterSetupButton->Click();
    form->PrinterSetupButton->Click();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(
        notices[0].contains(c.now == DMPAPER_B4 ? QStringLiteral("B4") : QStringLiteral("A4")))
        << notices[0].toStdString();
    EXPECT_TRUE(notices[1].isEmpty());
    DestroyForms();
  }
}

// Until the print server has answered, the remembered printer is not "gone": it stays
// remembered (a run closed meanwhile keeps it), and goes in force when the queues arrive.
TEST_F(AppTest, ARememberedQueueWaitsForTheServerAndIsNotForgotten) {
  const ScopedEnv server("CUPS_SERVER",
                         QDir(tempFolder.path()).filePath("no-server").toLocal8Bit());
  const QString folder = tempFolder.path();
  RememberPrinter(QStringLiteral("office"), folder);
  auto cups = std::make_shared<CupsSpooler>();
  UsePrinters(cups);
  CreateWindows();
  EXPECT_EQ(PrinterChoiceInForce().printer, QLatin1String(kPdfPrinterName));
  EXPECT_EQ(cups->PdfOutputFolder(), folder) << "the PDF printer's folder serves at once";
  DestroyForms();
  EXPECT_EQ(ReadPrinterChoice(*OpenSettings())->printer, QStringLiteral("office"));
  EXPECT_EQ(ReadPrinterChoice(*OpenSettings())->pdfFolder, folder);

  CreateWindows();
  CupsReading reading;
  reading.answered = true;
  CupsQueue office;
  office.name = QStringLiteral("office");
  office.port = QStringLiteral("ipp://office");
  reading.queues = {office};
  cups->Adopt(reading);
  const PrinterChoice now = PrinterChoiceInForce();
  EXPECT_EQ(now.printer, QStringLiteral("office"));
  EXPECT_EQ(now.paper, 8);
  EXPECT_EQ(now.copies, 2);
}

// A hand-edited file: what is out of range or of the wrong type is replaced by the default
// and said once, naming it; an empty list is no key rather than "@Invalid()".
TEST_F(AppTest, ValuesOutOfRangeAreReplacedAndNamedOnTheStatusLine) {
  RememberPrinter(QLatin1String(kPdfPrinterName));
  {
    const auto settings = OpenSettings();
    settings->setValue(QStringLiteral("window/zoom"), QStringLiteral("nan"));
    settings->setValue(QStringLiteral("print/versions"), 41);
    settings->setValue(QStringLiteral("printer/copies"), -5);
    settings->setValue(QStringLiteral("window/grade"), QStringLiteral("shuzan-99"));
    settings->setValue(QStringLiteral("window/heading1"), QStringList{"a", "b"});
    ASSERT_TRUE(WriteSettings(*settings));
  }
  CreateWindows();
  EXPECT_EQ(form->PreviewArea().ZoomChoice(), PreviewZoom{});
  EXPECT_EQ(Form4->Versions(), 1);
  EXPECT_EQ(Form4->Copies(), 1);
  const QString said = form->StatusLine->currentMessage();
  for (const char* name : {"表示の倍率", "版数", "部数", "級", "上の見出し"}) {
    EXPECT_TRUE(said.contains(QString::fromUtf8(name))) << name << " in " << said.toStdString();
  }
  EXPECT_FALSE(said.contains(QStringLiteral("教室名"))) << said.toStdString();
  form->MakeButton->Click();
  EXPECT_EQ(form->StatusLine->currentMessage(), QString()) << "said once";
  DestroyForms();

  QFile file(SettingsFilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_FALSE(text.contains("@Invalid")) << text.constData();
  EXPECT_FALSE(text.contains("twoSided")) << text.constData();
  EXPECT_TRUE(ReadPrinterChoice(*OpenSettings())->twoSided.isEmpty());
  CreateWindows();
  EXPECT_FALSE(form->StatusLine->currentMessage().contains(QStringLiteral("設定ファイル")))
      << "the file saved is whole";
}

// A fresh account has no documents folder: the PDF printer's folder is made when first
// needed, from the set-up dialog as from a print, without a word; one that cannot be made
// is one clear message.
TEST_F(AppTest, AFreshAccountsDocumentsFolderIsMadeWhenFirstNeeded) {
  const ScopedEnv server("CUPS_SERVER",
                         QDir(tempFolder.path()).filePath("no-server").toLocal8Bit());
  const ScopedEnv home("HOME", QDir(tempFolder.path()).filePath("home").toLocal8Bit());
  const QString documents = DocumentsFolder();
  ASSERT_FALSE(QFileInfo::exists(documents));
  RememberPrinter(QLatin1String(kPdfPrinterName), documents);
  UsePrinters(std::make_shared<CupsSpooler>());
  CreateWindows();
  EXPECT_EQ(form->PrinterSetupDialog->NoticeOnce(), QString());
  {
    TPrinterSetupForm setup(QxPrinter().GetSpooler(), PrinterChoiceInForce());
    EXPECT_EQ(QDir::fromNativeSeparators(setup.FolderEdit->text()), documents);
    setup.show();
    setup.ButtonBox->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(setup.result(), QDialog::Accepted) << setup.FolderError->text().toStdString();
    EXPECT_TRUE(QFileInfo(documents).isDir());
  }
  QFile file(QDir(tempFolder.path()).filePath("a-file"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const ScopedEnv blocked("HOME", file.fileName().toLocal8Bit() + "/home");
  PrinterChoice choice = PrinterChoiceInForce();
  choice.pdfFolder = DocumentsFolder();
  TPrinterSetupForm setup(QxPrinter().GetSpooler(), choice);
  setup.show();
  setup.ButtonBox->button(QDialogButtonBox::Ok)->click();
  EXPECT_TRUE(setup.isVisible());
  EXPECT_EQ(setup.FolderError->text(),
            QStringLiteral("PDFの保存先「%1」を作れません (cannot create the folder '%1')")
                .arg(choice.pdfFolder));
}

}  // namespace
}  // namespace tamariko::testing
