#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>

#include <QScopeGuard>
#include <QStatusBar>
#include <QThread>
#include <map>

#include "app_fixture.h"
#include "platform/off_thread.h"
#include "printing/qxprint_dialogs.h"
#include "window/timage.h"

namespace tamariko::testing {
namespace {

struct MakeCase {
  const char* name;
  bool mental;
  bool multiplication;
  QStringList operations;
  std::vector<int> progress;
};

TEST_F(AppTest, MakeProblemsRunsTheTickedSheetsAndStepsTheProgress) {
  const MakeCase cases[] = {
      {"both", true, true, {"Make mitori", "Make kake", "Make kaitou"}, {12, 24, 36}},
      {"none", false, false, {"Make kaitou"}, {12}},
      {"only multiplication", false, true, {"Make kake", "Make kaitou"}, {12, 24}},
      {"only mental", true, false, {"Make mitori", "Make kaitou"}, {12, 24}},
  };
  CreateWindows();
  for (const MakeCase& c : cases) {
    SCOPED_TRACE(c.name);
    form->calls.clear();
    Child<QCheckBox>(form, "SheetBox3")->setChecked(c.mental);
    Child<QCheckBox>(form, "SheetBox4")->setChecked(c.multiplication);
    form->MakeButton->Click();
    EXPECT_EQ(Operations(), c.operations);
    std::vector<int> progress;
    for (const auto& call : form->calls) {
      progress.push_back(call.progress);
      EXPECT_TRUE(call.progressShown);
    }
    EXPECT_EQ(progress, c.progress);
    EXPECT_EQ(Form2->ProgressBar->value(), 0);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(MentalOf(form).GetOrganizerLabel(), QStringLiteral("ORVぽろね教室"));
  EXPECT_EQ(MultiplicationOf(form).GetOrganizerLabel(), QStringLiteral("ORVぽろね教室"));
}

TEST_F(AppTest, MakeProblemsShowsTheWaitCursorWhileItRuns) {
  CreateWindows();
  Qt::CursorShape during = Qt::ArrowCursor;
  // The progress bar moves while the command runs: look at the cursor then.
  QObject::connect(Form2->ProgressBar, &QProgressBar::valueChanged, form, [&](int value) {
    if (value > 0 && QGuiApplication::overrideCursor()) {
      during = QGuiApplication::overrideCursor()->shape();
    }
  });
  form->MakeButton->Click();
  EXPECT_EQ(during, Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AppTest, FailingSheetIsReportedAndLeavesNoProgressOrCursorBehind) {
  const char* failing[] = {"Make mitori", "Make kake", "Make kaitou"};
  CreateWindows();
  for (const char* operation : failing) {
    SCOPED_TRACE(operation);
    form->calls.clear();
    boxes.shown.clear();
    form->failOn = operation;
    form->MakeButton->Click();
    EXPECT_EQ(Operations().last(), QString::fromLatin1(operation)) << "nothing runs after it";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QString::fromLatin1(operation)));
    EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(Form2->ProgressBar->value(), 0);
  }
}

// Each ケリモ shows what it made and nothing else, and the print selection starts as it:
// the sheets made ticked with the answer table, the others greyed.
TEST_F(AppTest, MakeProblemsShowsAndOffersToPrintOnlyWhatItMade) {
  CreateWindows();
  // Before the first ケリモ the tab shows the empty form, and the status line what to do.
  EXPECT_FALSE(Child<TImage>(form, "Preview3")->Picture().isNull());
  EXPECT_EQ(form->StatusLine->currentMessage(), QStringLiteral("ケリモ（F5）で問題を作ります"));
  form->MakeButton->Click();
  EXPECT_EQ(form->StatusLine->currentMessage(), QString());
  ASSERT_TRUE(boxes.shown.empty());
  const QImage drawn = Child<TImage>(form, "Preview3")->Picture();
  EXPECT_EQ(drawn.size(), QSize(865, 1300));
  EXPECT_NE(drawn.pixel(400, 600) & 0xffffff, 0u) << "a page, not a black image";

  Child<QCheckBox>(form, "SheetBox3")->setChecked(false);
  Child<QCheckBox>(form, "SheetBox1")->setChecked(true);  // one side of the abacus set makes both
  PrintBox(Form4, "kaitou")->setChecked(false);
  form->MakeButton->Click();
  EXPECT_TRUE(Child<TImage>(form, "Preview3")->Picture().isNull())
      << "a kind not made shows nothing";
  EXPECT_TRUE(Child<TImage>(form, "Preview5")->Picture().isNull());
  const std::map<QCheckBox*, bool> offered = {
      {PrintBox(Form4, "omote"), true},   {PrintBox(Form4, "ura"), true},
      {PrintBox(Form4, "mitori"), false}, {PrintBox(Form4, "kake"), true},
      {PrintBox(Form4, "wari"), false},   {PrintBox(Form4, "kaitou"), true}};
  for (const auto& [box, made] : offered) {
    EXPECT_EQ(box->isEnabled(), made) << box->objectName().toStdString();
    EXPECT_EQ(box->isChecked(), made) << box->objectName().toStdString();
  }
}

// Print command: the selection window is answered by the given action.
void PressOk() { Form4->OkButton->click(); }
void PressCancel() { Form4->CancelButton->click(); }
void CloseFrame() { Form4->close(); }

bool AskedToPrint(const std::vector<ShownMessage>& shown) {
  for (const auto& m : shown) {
    if (m.text.contains(QStringLiteral("印刷しますか？\n\nプリンター: ")) &&
        m.caption == QStringLiteral("印刷の確認") && m.flags == (MB_YESNO | MB_ICONQUESTION)) {
      return true;
    }
  }
  return false;
}

TEST_F(AppTest, PrintPrintsTheChosenSheetsInOrderWithMakeDisabled) {
  CreateWindows();
  boxes.answers = {IDYES};
  PrintAnswering(PressOk);
  EXPECT_TRUE(Form4->PrintSelected);
  EXPECT_TRUE(AskedToPrint(boxes.shown));
  EXPECT_EQ(Operations(), QStringList({"Print mitori", "Print kake", "Print kaitou"}));
  for (const auto& call : form->calls) EXPECT_FALSE(call.makeEnabled);
  EXPECT_TRUE(form->MakeButton->isEnabled());
  EXPECT_FALSE(Form4->isVisible());
}

TEST_F(AppTest, PrintWithEveryBoxClearedAsksAndPrintsNothing) {
  CreateWindows();
  boxes.answers = {IDYES};
  PrintAnswering([] {
    Child<QCheckBox>(Form4, "SheetBox3")->setChecked(false);
    Child<QCheckBox>(Form4, "SheetBox4")->setChecked(false);
    PrintBox(Form4, "kaitou")->setChecked(false);
    PressOk();
  });
  EXPECT_TRUE(Form4->PrintSelected);
  EXPECT_TRUE(AskedToPrint(boxes.shown));
  EXPECT_TRUE(form->calls.empty());
  EXPECT_TRUE(form->MakeButton->isEnabled());
}

TEST_F(AppTest, PrintSelectionKeepsItsBoxesBetweenUses) {
  CreateWindows();
  boxes.answers = {IDYES, IDYES};
  PrintAnswering([] {
    Child<QCheckBox>(Form4, "SheetBox4")->setChecked(false);
    PressOk();
  });
  form->calls.clear();
  PrintAnswering(PressOk);
  EXPECT_EQ(Operations(), QStringList({"Print mitori", "Print kaitou"}));
}

TEST_F(AppTest, PrintAnsweredNoOrCancelledPrintsNothing) {
  CreateWindows();
  boxes.answers = {IDNO};
  PrintAnswering(PressOk);
  EXPECT_TRUE(AskedToPrint(boxes.shown));
  EXPECT_TRUE(form->calls.empty());
  EXPECT_TRUE(form->MakeButton->isEnabled());

  boxes.shown.clear();
  PrintAnswering(PressCancel);
  EXPECT_FALSE(Form4->PrintSelected);
  EXPECT_TRUE(boxes.shown.empty()) << "no confirmation after キャンセル";
  EXPECT_TRUE(form->calls.empty());

  boxes.answers = {IDYES};
  PrintAnswering(PressOk);
  EXPECT_EQ(Operations(), QStringList({"Print mitori", "Print kake", "Print kaitou"}));
}

TEST_F(AppTest, ClosingTheSelectionThroughItsFrameKeepsTheLastAnswer) {
  CreateWindows();
  PrintAnswering(CloseFrame);
  EXPECT_FALSE(Form4->PrintSelected);
  EXPECT_TRUE(boxes.shown.empty()) << "before any OK the frame leads to nothing";

  boxes.answers = {IDNO, IDYES};
  PrintAnswering(PressOk);
  ASSERT_EQ(boxes.shown.size(), 1u);
  PrintAnswering(CloseFrame);
  EXPECT_TRUE(Form4->PrintSelected);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_TRUE(AskedToPrint({boxes.shown[1]}));
  EXPECT_EQ(boxes.shown[2].caption, QStringLiteral("印刷の結果"));
  EXPECT_EQ(form->calls.size(), 3u);
}

// The question says where and how much; the copies chosen go with every job.
TEST_F(AppTest, PrintAsksWithPrinterPaperAndCountsAndEveryJobCarriesTheCopies) {
  spooler->Find(QStringLiteral("Scripted"))->info.description = QStringLiteral("職員室レーザー");
  CreateForms();  // the real sheets, printing on the scripted printer
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, [] {
    Child<QCheckBox>(Form4, "SheetBox4")->setChecked(false);
    Form4->CopiesBox->setValue(3);
    PressOk();
  });
  Form1->PrintButton->Click();
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_EQ(
      boxes.shown[0].text,
      QStringLiteral("問題のない用紙を印刷します。\n印刷しますか？\n\nプリンター: 職員室レーザー"
                     "（Scripted） 用紙: B4 (JIS) %1 枚 × 3 部")
          .arg(2 + PagesTickedWithOthers()));
  ASSERT_EQ(spooler->Jobs().size(), 2u + PagesTickedWithOthers());
  for (const auto& job : spooler->Jobs()) EXPECT_EQ(job.devMode.dmCopies, 3);
}

TEST_F(AppTest, PrintBeforeAnyMakeProblemsStartsTheJobsAllTheSame) {
  CreateForms();  // the real sheets, printing on the scripted printer
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, PressOk);
  Form1->PrintButton->Click();
  ASSERT_EQ(boxes.shown.size(), 2u) << boxes.shown.back().text.toStdString();
  EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("問題のない用紙を印刷します。\n")));
  EXPECT_EQ(boxes.shown[1].flags, MB_OK | MB_ICONINFORMATION) << boxes.shown[1].text.toStdString();
  EXPECT_EQ(spooler->Jobs().size(), 3u + PagesTickedWithOthers());
  for (const auto& job : spooler->Jobs()) EXPECT_TRUE(job.ended);
  // After a ケリモ the question no longer warns.
  Form1->MakeButton->Click();
  boxes.shown.clear();
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, PressOk);
  Form1->PrintButton->Click();
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("印刷しますか？")));
}

// The real sheets on the scripted printer, whose middle send fails as a silent server's does:
// the sheet after it goes all the same, and the run is told once, in Japanese only.
TEST_F(AppTest, AFailingSheetHoldsBackNoneAndTheRunIsReportedOnceAtTheEnd) {
  CreateForms();
  spooler->sending = [](const ScriptedSpooler::Job& job) {
    if (job.title != QStringLiteral("かけ算")) return;
    throw EOSError(
        "「Scripted」へ印刷できませんでした: 印刷サーバー (CUPS) が応答しません (the print "
        "server does not answer: timed out)");
  };
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, PressOk);
  Form1->PrintButton->Click();
  QStringList ended;
  for (const auto& job : spooler->Jobs()) {
    if (job.ended) ended << job.title;
  }
  EXPECT_EQ(ended.mid(0, 2), QStringList({"みとり暗算１", "解答表"}));
  EXPECT_EQ(ended.size(), 2 + PagesTickedWithOthers());
  ASSERT_EQ(boxes.shown.size(), 2u);
  const ShownMessage& report = boxes.shown[1];
  EXPECT_EQ(report.caption, QStringLiteral("印刷の結果"));
  EXPECT_EQ(report.flags, MB_OK | MB_ICONWARNING);
  for (const QString& line :
       {QStringLiteral("プリンター「Scripted」"), QStringLiteral("みとり暗算１: 送りました"),
        QStringLiteral("かけ算: 送れませんでした。印刷サーバーが応答しません"),
        QStringLiteral("解答表: 送りました")}) {
    EXPECT_TRUE(report.text.contains(line)) << line.toStdString() << " in\n"
                                            << report.text.toStdString();
  }
  // No English words: the printer's name is the only Latin text.
  EXPECT_FALSE(QString(report.text)
                   .remove(QStringLiteral("Scripted"))
                   .contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
      << report.text.toStdString();
  EXPECT_TRUE(Form1->MakeButton->isEnabled());
}

// The question names the sheet under way and those after it.
bool AskedToEnd(const ShownMessage& m) {
  // The answer table's pages after the first follow it in the list.
  return m.text.startsWith(QStringLiteral("印刷中です。終了すると、まだ送っていない次の用紙は"
                                          "印刷されません。\n\nかけ算、解答表")) &&
         m.text.endsWith(QStringLiteral("\n\n終了しますか？")) &&
         m.flags == (MB_YESNO | MB_ICONQUESTION);
}

// Closing the window while かけ算 is being sent, on the real sheets and the scripted printer:
// the status line says which sheet is being sent until the report; the question names the
// sheets not sent yet; "no" lets the run go on; "yes" gives up the send under way at once
// (it waits on its own thread, as a send to a silent print server does), sends nothing more
// and names the sheets not sent on standard error.
TEST_F(AppTest, ClosingDuringAPrintAsksAndOnYesEndsAtOnceNamingTheUnsentSheets) {
  CreateForms();
  Form1->show();
  bool stayed = false;
  QStringList status;
  spooler->sending = [&](const ScriptedSpooler::Job& job) {
    status << Form1->StatusLine->currentMessage();
    if (job.title != QStringLiteral("かけ算")) return;
    if (boxes.answers.front() == IDNO) {
      stayed = !Form1->close();
      return;
    }
    QTimer::singleShot(0, Form1, [] { Form1->close(); });
    const bool sent = RunOffThread(
        [](OffThreadLink& link) {
          while (!link.cancel) QThread::msleep(5);
        },
        20000);
    if (!sent) throw EOSError("「Scripted」へ印刷できませんでした (timed out)");
  };
  auto print = [] {
    QTimer::singleShot(0, Form4, PressOk);
    Form1->PrintButton->Click();
  };

  boxes.answers = {IDYES, IDNO};
  print();
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(Form1->isVisible());
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_TRUE(AskedToEnd(boxes.shown[1]));
  EXPECT_EQ(boxes.shown[2].caption, QStringLiteral("印刷の結果"));
  const int jobs = 3 + PagesTickedWithOthers();
  EXPECT_EQ(spooler->Jobs().size(), static_cast<std::size_t>(jobs));
  QStringList told;
  for (int i = 1; i <= jobs; ++i) told << QStringLiteral("印刷中… %1/%2").arg(i).arg(jobs);
  EXPECT_EQ(status, told);
  EXPECT_FALSE(Form1->StatusLine->currentMessage().startsWith(QStringLiteral("印刷中")))
      << "said until the report";

  boxes.shown.clear();
  boxes.answers = {IDYES, IDYES};
  QTimer::singleShot(0, print);
  QTimer hang;  // should the close be lost, end rather than hang
  QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  hang.start(30000);
  QElapsedTimer clock;
  clock.start();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(QApplication::exec(), 0) << "the message loop ends with the window";
  const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());
  EXPECT_LT(clock.elapsed(), 10000) << "the send under way was given up at once";
  ASSERT_EQ(boxes.shown.size(), 2u) << "no report after the end";
  EXPECT_TRUE(AskedToEnd(boxes.shown[1]));
  ASSERT_EQ(spooler->Jobs().size(), static_cast<std::size_t>(jobs) + 2)
      << "nothing after the sheet under way";
  EXPECT_FALSE(spooler->Jobs().back().ended);
  EXPECT_TRUE(err.contains(QStringLiteral("かけ算, 解答表"))) << err.toStdString();
}

// Events are handled while a job is sent, so the buttons can be pressed then.
TEST_F(AppTest, PrintAndPrinterSetUpDuringAPrintSayItIsUnderWayAndWait) {
  CreateWindows();
  int setups = 0;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice&) { return ++setups > 0; });
  auto resetRunner = qScopeGuard([] { TQxPrinterSetupDialog::SetRunner({}); });
  form->during = [this] {
    // Should a second selection open, answer it rather than hang.
    QTimer::singleShot(0, Form4, [] { Form4->close(); });
    form->PrintButton->Click();
    form->PrinterSetupButton->Click();
  };
  boxes.answers = {IDYES};
  PrintAnswering(PressOk);
  EXPECT_EQ(Operations(), QStringList({"Print mitori", "Print kake", "Print kaitou"}));
  EXPECT_EQ(setups, 0);
  // One confirmation; every click during the job is told that printing is under way; one
  // report at the end.
  ASSERT_EQ(boxes.shown.size(), 8u);
  EXPECT_TRUE(AskedToPrint({boxes.shown.front()}));
  EXPECT_EQ(boxes.shown.back().caption, QStringLiteral("印刷の結果"));
  for (std::size_t i = 1; i + 1 < boxes.shown.size(); ++i) {
    EXPECT_TRUE(boxes.shown[i].text.contains(QStringLiteral("印刷中"))) << i;
  }

  form->during = {};
  form->PrinterSetupButton->Click();
  EXPECT_EQ(setups, 1);
}

TEST_F(AppTest, PrinterSetUpRunsTheDialogWhateverItAnswers) {
  CreateWindows();
  int dialogs = 0;
  TQxPrinterSetupDialog::SetRunner([&](PrinterChoice&) {
    ++dialogs;
    return dialogs == 1;
  });
  auto resetRunner = qScopeGuard([] { TQxPrinterSetupDialog::SetRunner({}); });
  form->PrinterSetupButton->Click();
  form->PrinterSetupButton->Click();
  EXPECT_EQ(dialogs, 2);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace tamariko::testing
