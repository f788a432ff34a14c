#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <csignal>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTranslator>

#include "app_fixture.h"
#include "platform/carried_font.h"
#include "printing/qxprint_dialogs.h"
#include "window/faces_check.h"
#include "window/form3.h"
#include "window/shutdown_signals.h"

namespace tamariko::testing {
namespace {

bool SplashOnScreen() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<TForm3*>(w) && w->isVisible()) return true;
  }
  return false;
}

bool SplashExists() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<TForm3*>(w)) return true;
  }
  return false;
}

TEST_F(AppTest, StartUpRunsItsStepsInOrder) {
  bool splashShownDuringPause = false;
  Startup().Sleep = [&](int ms) {
    sleeps.push_back(ms);
    splashShownDuringPause = SplashOnScreen();
  };
  CreateWindows();
  EXPECT_EQ(trace, QStringList({"FormCreate", "splash", "Randomize", "paper", "font", "sets",
                                "Form2", "Form4"}));
  EXPECT_EQ(sleeps, std::vector<int>{3000});
  EXPECT_TRUE(splashShownDuringPause);
  EXPECT_FALSE(SplashExists()) << "the splash is released once the message loop runs";
  EXPECT_TRUE(form->SetsCreated());
  EXPECT_TRUE(boxes.shown.empty());

  DestroyForms();
  EXPECT_EQ(trace.last(), QStringLiteral("FormDestroy"));
  EXPECT_EQ(Form1, nullptr);
  EXPECT_EQ(Form2, nullptr);
  EXPECT_EQ(Form4, nullptr);
}

TEST(ProgramIcon, IsCarriedAtEverySizeTheDesktopGets) {
  const QList<QSize> sizes = ProgramIcon().availableSizes();
  EXPECT_EQ(sizes.size(), 6);
  EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
}

TEST_F(AppTest, FailedStartUpIsReportedAndTheWindowsStillExist) {
  failInSplash = true;
  CreateWindows();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("テスト用の起動失敗"));
  EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONSTOP);
  EXPECT_FALSE(trace.contains("Randomize"));
  EXPECT_FALSE(trace.contains("sets"));
  EXPECT_FALSE(form->SetsCreated());
  EXPECT_NE(Form2, nullptr);
  EXPECT_NE(Form4, nullptr);
  EXPECT_FALSE(SplashExists()) << "a failed pause must not leave the splash behind";
}

TEST_F(AppTest, StartUpPutsTheCarriedFontInPlaceAndShutDownRemovesIt) {
  CreateWindows();
  const QString fontPath = CarriedFontPath();
  EXPECT_TRUE(fontPath.startsWith(tempFolder.path()));
  EXPECT_TRUE(QFileInfo(fontPath).isFile());
  DestroyForms();
  EXPECT_FALSE(QFileInfo::exists(fontPath));
}

TEST_F(AppTest, StartUpSetsB4OnThePrinter) {
  CreateWindows();
  ASSERT_TRUE(boxes.shown.empty());
  // A job started now carries the paper chosen at start-up.
  QxPrinter().BeginDoc(QStringLiteral("t"));
  QxPrinter().EndDoc();
  ASSERT_EQ(spooler->Jobs().size(), 1u);
  EXPECT_EQ(spooler->Jobs()[0].devMode.dmPaperSize, DMPAPER_B4);
}

// Not on the driver's own Letter: on A4, the B4 page fitted to it.
TEST_F(AppTest, StartUpOnAPrinterWithoutB4SetsA4Fitted) {
  ScriptedSpooler::Printer noB4 = OnePrinter().front();
  noB4.papers = {1, 9};
  noB4.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4")};
  noB4.paperSize = 1;
  spooler = std::make_shared<ScriptedSpooler>(std::vector{noB4});
  UsePrinters(spooler);
  CreateWindows();
  ASSERT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(QxPrinter().FitToPaper());
  QxPrinter().BeginDoc(QStringLiteral("t"));
  QxPrinter().EndDoc();
  ASSERT_EQ(spooler->Jobs().size(), 1u);
  EXPECT_EQ(spooler->Jobs()[0].devMode.dmPaperSize, DMPAPER_A4);
}

TEST_F(AppTest, StartUpWithoutAPrinterStopsAtThePaperAndSaysWhy) {
  UsePrinters(std::make_shared<ScriptedSpooler>());
  CreateWindows();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("TQxPrinter.CheckNoPrinter: No Printer"));
  EXPECT_FALSE(trace.contains("font"));
  EXPECT_FALSE(form->SetsCreated());
  EXPECT_FALSE(QFileInfo::exists(CarriedFontPath()));
}

TEST_F(AppTest, CommandsAfterAFailedStartUpOnlySaySo) {
  UsePrinters(std::make_shared<ScriptedSpooler>());
  bool setupShown = false;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice&) { return setupShown = true; });
  auto resetRunner = qScopeGuard([] { TQxPrinterSetupDialog::SetRunner({}); });
  CreateWindows();
  boxes.shown.clear();
  bool selectionShown = false;
  // Should the print command wrongly open the selection, close it rather than hang.
  QTimer::singleShot(0, Form4, [&] {
    selectionShown = Form4->isVisible();
    Form4->close();
  });
  for (TImage* button : {form->MakeButton, form->PrintButton, form->PrinterSetupButton}) {
    SCOPED_TRACE(button->objectName().toStdString());
    const size_t before = boxes.shown.size();
    button->Click();
    ASSERT_EQ(boxes.shown.size(), before + 1);
    EXPECT_TRUE(boxes.shown.back().text.contains(QStringLiteral("問題セットが作られていません")));
  }
  EXPECT_FALSE(selectionShown);
  EXPECT_FALSE(setupShown);
  EXPECT_TRUE(form->calls.empty());
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AppTest, WithoutTheLabelFaceMakeAndPrintRefuseWithItsMessage) {
  const QString missing = QStringLiteral("フォントがありません (no font)");
  InstallWindowFaces([&] { throw Error(missing.toStdString()); });
  auto restore = qScopeGuard([] { InstallWindowFaces([] {}); });
  CreateWindows();
  // Should the print command wrongly open the selection, close it rather than hang.
  QTimer::singleShot(0, Form4, [] { Form4->close(); });
  form->MakeButton->Click();
  form->PrintButton->Click();
  ASSERT_EQ(boxes.shown.size(), 3u);
  for (const ShownMessage& box : boxes.shown) EXPECT_EQ(box.text, missing);
  EXPECT_TRUE(form->calls.empty());
  EXPECT_TRUE(Child<TImage>(form, "Preview3")->Picture().isNull());

  InstallWindowFaces([] {});
  form->MakeButton->Click();
  EXPECT_TRUE(Operations().contains(QStringLiteral("Make mitori")));
}

TEST_F(AppTest, FirstActivationTakesFocusFromTheEditBoxesAndLaterOnesLeaveIt) {
  CreateWindows();
  form->RoundBox->setFocus();
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(form, &activate);
  EXPECT_EQ(form->focusWidget(), form->CommandPanel);
  // Back from a dialog or another program: the focus stays where the user left it.
  form->PrintButton->setFocus();
  QCoreApplication::sendEvent(form, &activate);
  EXPECT_EQ(form->focusWidget(), form->PrintButton);
}

TEST_F(AppTest, ClosingTheMainWindowEndsTheMessageLoopAndShutsDown) {
  Startup().Trace = [this](const QString& step) {
    trace.push_back(step);
    if (step == QStringLiteral("Form4")) {
      QTimer::singleShot(0, [] { Form1->close(); });
    }
  };
  EXPECT_EQ(RunApplication(), 0);
  EXPECT_EQ(trace, QStringList({"application", "FormCreate", "splash", "Randomize", "paper", "font",
                                "sets", "Form2", "Form4", "FormDestroy"}));
  EXPECT_EQ(Form1, nullptr);
}

TEST_F(AppTest, SignalDuringStartUpEndsThroughTheShutDown) {
  // Read by the splash's event processing, before the message loop runs; or left waiting
  // through the pause until the loop reads it.
  for (const QString& at : {QStringLiteral("FormCreate"), QStringLiteral("splash")}) {
    SCOPED_TRACE(at.toStdString());
    ShutdownSignals shutdownSignals;
    shutdownSignals.Watch();
    // Should the signal be lost, close the window rather than hang.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { Form1->close(); });
    bool readBeforeLoop = false;
    trace.clear();
    Startup().Trace = [&](const QString& step) {
      trace.push_back(step);
      if (step == at) std::raise(SIGTERM);
      if (step == QStringLiteral("Form4")) {
        readBeforeLoop = SignalledEnd().has_value();
        fallback.start(10000);
      }
    };
    EXPECT_EQ(RunApplication(), 128 + SIGTERM);
    EXPECT_EQ(readBeforeLoop, at == QStringLiteral("FormCreate"));
    EXPECT_TRUE(trace.contains(QStringLiteral("font")));
    EXPECT_EQ(trace.last(), QStringLiteral("FormDestroy"));
    EXPECT_FALSE(QFileInfo::exists(CarriedFontPath()));
  }
}

TEST_F(AppTest, MainWindowOpensAfterAFailedStartUp) {
  UsePrinters(std::make_shared<ScriptedSpooler>());
  bool shown = false;
  Startup().Trace = [&](const QString& step) {
    if (step == QStringLiteral("Form4")) {
      QTimer::singleShot(0, [&] {
        shown = Form1->isVisible();
        Form1->close();
      });
    }
  };
  EXPECT_EQ(RunApplication(), 0);
  EXPECT_TRUE(shown);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("TQxPrinter.CheckNoPrinter: No Printer"));
}

TEST(QtTexts, StandardButtonsAndEditMenusAreJapaneseWhateverTheSessionLanguage) {
  QTranslator* translator = InstallQtJapanese();
  ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
  auto remove = qScopeGuard([translator] {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  });
  QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "キャンセル");
  QLineEdit edit(QStringLiteral("第1回"));
  const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions()) texts << action->text();
  EXPECT_TRUE(texts.join(u'|').contains(QStringLiteral("コピー")))
      << texts.join(u'|').toStdString();
}

}  // namespace
}  // namespace tamariko::testing
