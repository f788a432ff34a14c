#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "app/papers.h"
#include "core/error.h"
#include "kake/kake_kind.h"
#include "mitori1_1/mental_kind.h"
#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "tests/support/scripted_spooler.h"
#include "window/form1.h"
#include "window/form2.h"
#include "window/form4.h"
#include "window/message_box.h"
#include "window/program.h"
#include "window/timage.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
QT_END_NAMESPACE

namespace tamariko::testing {

// A control the window built from its paper, by the name it carries ("SheetBox3",
// "Preview4", "ScrollBox6", "SheetTab2"); fails the test where there is none.
template <typename T>
T* Child(const QObject* window, const char* name) {
  T* child = window->findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

struct ShownMessage {
  QString text;
  QString caption;
  unsigned flags;
};

// Answers every question (a Yes/No box) from a queue, IDOK when it runs dry, and every other
// box with IDOK; keeps what was shown.
class ScriptedMessageBoxes {
 public:
  ScriptedMessageBoxes() {
    previous = SetMessageBoxFunction(
        [this](QWidget*, const QString& text, const QString& caption, unsigned flags) {
          shown.push_back({text, caption, flags});
          if (answers.empty() || (flags & 0x0F) != MB_YESNO) return IDOK;
          const int answer = answers.front();
          answers.pop_front();
          return answer;
        });
  }
  ~ScriptedMessageBoxes() { SetMessageBoxFunction(previous); }

  std::deque<int> answers;
  std::vector<ShownMessage> shown;

 private:
  MessageBoxFunction previous;
};

// A main window whose sheet operations are recorded instead of drawn and printed.
class RecordingForm1 : public TForm1 {
 public:
  struct Call {
    QString operation;
    int progress;  // the progress bar when the operation ran
    bool progressShown;
    bool makeEnabled;  // MakeButton
  };
  std::vector<Call> calls;
  QString failOn;                // the operation that throws, if any
  std::function<void()> during;  // run inside each operation

 protected:
  // "Make mitori", "Make kaitou": the problem sheets are drawn for real, the answer table not.
  // A page that goes with another sheet (the table's second page) is that sheet's operation.
  void ShowSheet(const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw) override {
    if (!sheet.tickedWith.isEmpty()) return TForm1::ShowSheet(sheet, draw);
    Record(QStringLiteral("Make ") + sheet.key, [&] {
      if (sheet.key != kAnswerSheet.key) TForm1::ShowSheet(sheet, draw);
    });
  }
  // "Print mitori".
  void PrintOneSheet(SheetRef sheet) override {
    if (!Workbook()->Info(sheet).tickedWith.isEmpty()) return;
    Record(QStringLiteral("Print ") + Workbook()->Info(sheet).key, [] {});
  }

 private:
  void Record(const QString& operation, const std::function<void()>& real) {
    calls.push_back({operation, Form2 ? Form2->ProgressBar->value() : -1,
                     Form2 && Form2->isVisible(), MakeButton->isEnabled()});
    if (during) during();
    if (operation == failOn) throw Error("テスト用の失敗: " + operation.toStdString());
    real();
  }
};

// The boxes of sheet `key`: the main window's sheet panel's, the print selection's.
inline QCheckBox* MainBox(const TForm1* form, const char* key) {
  QCheckBox* box = form->SheetBox(QLatin1String(key));
  EXPECT_NE(box, nullptr) << key;
  return box;
}
inline QCheckBox* PrintBox(const TForm4* selection, const char* key) {
  QCheckBox* box = BoxOf(selection->Boxes(), QLatin1String(key));
  EXPECT_NE(box, nullptr) << key;
  return box;
}
// How many pages of the default paper go with another sheet (none until a kind fills the
// contest's answer table), each one more job where its sheet is printed.
inline int PagesTickedWithOthers() {
  int pages = 0;
  for (const SheetInfo& sheet : SheetsWithAnswerTable(DefaultPaper())) {
    pages += !sheet.tickedWith.isEmpty();
  }
  return pages;
}

// The sets a workbook (a window's, or one of a test's own) holds.
inline TMitori1_1& MentalOf(const TWorkbook& book) {
  return static_cast<TMentalKind*>(book.KindOf(QStringLiteral("mitori")))->Problems();
}
inline Tkake& MultiplicationOf(const TWorkbook& book) {
  return static_cast<TKakeKind*>(book.KindOf(QStringLiteral("kake")))->Problems();
}
inline TMitori1_1& MentalOf(const TForm1* form) { return MentalOf(*form->Workbook()); }
inline Tkake& MultiplicationOf(const TForm1* form) { return MultiplicationOf(*form->Workbook()); }
inline TAnswerPage& AnswersOf(const TForm1* form) { return form->Workbook()->Answers(); }

// Types a paper's number into the window's 問題番号 box, as the teacher does.
inline void TypePaperNumber(TForm1* form, std::uint32_t number) {
  form->NumberBox->selectAll();
  form->NumberBox->insert(QString::number(number));
}
// The program's windows made as at start-up, without the splash pause, over a scripted
// printer and a private temporary folder.
class AppTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InstallFaceSubstitutions(); }

  void SetUp() override {
    ASSERT_TRUE(tempFolder.isValid());
    savedRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", tempFolder.path().toLocal8Bit());
    // The settings the window remembers go to the test's own folder.
    savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", tempFolder.path().toLocal8Bit());
    UsePrinters(spooler);
    Startup().Sleep = [this](int ms) {
      sleeps.push_back(ms);
      if (failInSplash) throw Error("テスト用の起動失敗");
    };
    Startup().Trace = [this](const QString& step) { trace.push_back(step); };
  }

  void CreateWindows() {
    CreateForms([this] {
      form = new RecordingForm1;
      return form;
    });
  }

  void TearDown() override {
    DestroyForms();
    Startup() = StartupHooks{};
    printer.reset();
    qputenv("XDG_RUNTIME_DIR", savedRuntimeDir);
    qputenv("XDG_CONFIG_HOME", savedConfigHome);
  }

  // Runs the print command, answering the selection window with the given action once it
  // is on screen.
  void PrintAnswering(const std::function<void()>& answerSelection) {
    QTimer::singleShot(0, Form4, answerSelection);
    form->PrintButton->Click();
  }

  QStringList Operations() const {
    QStringList names;
    for (const auto& call : form->calls) names << call.operation;
    return names;
  }

  // The scoped printer object puts back the one it replaced, so the old one goes first.
  void UsePrinters(std::shared_ptr<Spooler> printers) {
    printer.reset();
    printer = std::make_unique<ScopedQxPrinter>(std::move(printers));
  }

  static std::vector<ScriptedSpooler::Printer> OnePrinter() {
    ScriptedSpooler::Printer printer;
    printer.name = QStringLiteral("Scripted");
    return {printer};
  }

  QTemporaryDir tempFolder;
  QByteArray savedRuntimeDir;
  QByteArray savedConfigHome;
  std::shared_ptr<ScriptedSpooler> spooler = std::make_shared<ScriptedSpooler>(OnePrinter());
  std::unique_ptr<ScopedQxPrinter> printer;
  RecordingForm1* form = nullptr;
  ScriptedMessageBoxes boxes;
  std::vector<int> sleeps;
  QStringList trace;
  bool failInSplash = false;
};

}  // namespace tamariko::testing
