#include "app/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/design.h"
#include "app/faces_check.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/form4.h"
#include "app/help_window.h"
#include "app/kinds.h"
#include "app/message_box.h"
#include "app/shortcuts.h"
#include "app/startup.h"
#include "app/timage.h"
#include "app/window_size.h"
#include "core/error.h"
#include "core/random.h"
#include "platform/carried_font.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "resources/resources.h"

namespace tamariko {
namespace {

// The hourglass for as long as a command runs, however it ends.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

void Sleep(int milliseconds) {
  if (Startup().Sleep) {
    Startup().Sleep(milliseconds);
  } else {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
  }
}

// The widget of a sheet's place in a window's design: "CheckBox3", "TabSheet3".
template <typename Widget>
Widget* Numbered(const QWidget* form, const char* name, int tab) {
  return form->findChild<Widget*>(QLatin1String(name) + QString::number(tab));
}

// The sheets the ticked boxes of a window choose.
SheetChoice Ticked(const QWidget* form, bool withAnswerTable) {
  SheetChoice choice;
  auto sheets = ProblemSheets();
  if (withAnswerTable) sheets.push_back(kAnswerSheet);
  for (const SheetSpec& sheet : sheets) {
    const auto* box = Numbered<QCheckBox>(form, "CheckBox", sheet.tab);
    if (box && box->isChecked()) choice.insert(sheet.key);
  }
  return choice;
}

}  // namespace

QString TForm1::EditTexts::RoundText() const { return Form.Edit1->text(); }
QString TForm1::EditTexts::Heading1() const { return Form.Edit2->text(); }
QString TForm1::EditTexts::Heading2() const { return Form.Edit3->text(); }

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setupUi(this);
  ApplyDesign(this);
  PageControl1->setCurrentWidget(TabSheet3);
  Image4->SetPictureFile(kKerimoBitmap);
  Image8->SetPictureFile(kInsatsuBitmap);
  Image9->SetPictureFile(kInsatsuSetteiBitmap);
  Image10->SetPictureFile(kFourArrowsIcon);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(200);
  // The sheets the program makes are offered; the design's other boxes stay disabled.
  for (const SheetSpec& sheet : ProblemSheets()) {
    Numbered<QCheckBox>(this, "CheckBox", sheet.tab)->setEnabled(true);
  }
  QxPrinterSetupDialog1 = std::make_unique<TQxPrinterSetupDialog>(this);
  QxPrintDialog1 = std::make_unique<TQxPrintDialog>(this);
  AddHelpEntry(Panel1, Edit2->geometry().right() + 1, 1);
  ConnectKeyboard(this, {Image4, Image8, Image9}, {Edit1, Edit2, Edit3});
  FitWindow(this, Panel1, PageControl1);
  CenterOnScreen(this);

  connect(Image4, &TImage::clicked, this, [this] { Guarded(this, [this] { Image4Click(); }); });
  connect(Image8, &TImage::clicked, this, [this] { Guarded(this, [this] { Image8Click(); }); });
  connect(Image9, &TImage::clicked, this, [this] { Guarded(this, [this] { Image9Click(); }); });
  ConnectScrolling();
}

TForm1::~TForm1() {
  Guarded(this, [this] { FormDestroy(); });
}

void TForm1::FormCreate() {
  TraceStep(QStringLiteral("FormCreate"));
  {
    auto* splash = new TForm3(this);
    // Released even when the pause fails, so it never outlives the start-up.
    auto release = qScopeGuard([splash] { splash->deleteLater(); });
    splash->ShowPainted();
    TraceStep(QStringLiteral("splash"));
    Sleep(Startup().SplashMilliseconds);
  }

  TraceStep(QStringLiteral("Randomize"));
  std::uint32_t seed;
  if (Startup().Seed) {
    seed = *Startup().Seed;
    SetRandomSeed(seed);
  } else {
    seed = Randomize();
  }
  // As the batch mode does: a set seen in the window can be made again from it.
  std::fprintf(stderr, "seed: %u\n", seed);

  TraceStep(QStringLiteral("paper"));
  SettleFirstPrinterRead();
  QxPrinter().SetPaperSizeNumber(DMPAPER_B4);
  QxPrinter().ApplySettings();

  TraceStep(QStringLiteral("font"));
  InstallCarriedFont(CarriedFontPath());

  CreateSets();
}

void TForm1::CreateSets() {
  TraceStep(QStringLiteral("sets"));
  Book = std::make_unique<TWorkbook>(&Texts);
}

// Only the first time: coming back to the window from a dialog or another program must not
// take the focus from the control the user left it on.
void TForm1::FormActivate() {
  if (Activated) return;
  Activated = true;
  Panel1->setFocus();
}

void TForm1::FormDestroy() {
  if (Destroyed) return;
  Destroyed = true;
  TraceStep(QStringLiteral("FormDestroy"));
  RemoveCarriedFont(CarriedFontPath());
  Book.reset();
}

bool TForm1::CommandAllowed(bool waitsForPrinting) {
  if (!SetsCreated()) {
    ShowMessageBox(this,
                   QStringLiteral("起動時の準備が途中で止まったため、問題セットが作られていません。"
                                  "この操作はできません。原因を取り除いてから、タマリコを起動し直"
                                  "してください。"),
                   QStringLiteral("タマリコ"), MB_OK | MB_ICONWARNING);
    return false;
  }
  // Window events are handled while a job is sent; a second print or a printer change
  // then would run into the job under way: say so rather than drop the click.
  if (waitsForPrinting && Printing) {
    ShowMessageBox(
        this, QStringLiteral("ただいま印刷中です。印刷が終わってから、もう一度押してください。"),
        QStringLiteral("印刷中"), MB_OK | MB_ICONINFORMATION);
    return false;
  }
  return true;
}

void TForm1::Image4Click() {
  if (!CommandAllowed(false)) return;
  if (!FacesInPlace(this)) return;
  WaitCursor cursor;
  TForm2* progress = Progress;
  if (progress) progress->show();
  // A failing sheet must not leave the progress window on screen.
  auto closeProgress = qScopeGuard([progress] {
    if (!progress) return;
    progress->close();
    progress->Reset();
  });
  Book->MakeProblems(
      Ticked(this, false),
      [this](const SheetSpec& sheet, const TWorkbook::PreviewDraw& draw) {
        ShowSheet(sheet, draw);
      },
      [progress] {
        if (!progress) return;
        progress->StepIt();
        progress->repaint();
      });
}

void TForm1::Image8Click() {
  if (!CommandAllowed(true)) return;
  if (!FacesInPlace(this)) return;
  if (!PrintSelection) return;
  PrintSelection->ShowModal();
  if (!PrintSelection->PrintSelected) return;
  if (ShowMessageBox(this, QStringLiteral("印刷しますか？"), QStringLiteral("印刷の確認"),
                     MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }

  Image4->setEnabled(false);
  Printing = true;
  auto enable = qScopeGuard([this] {
    Printing = false;
    Image4->setEnabled(true);
  });
  const qsizetype pdfBefore = PdfPrinterFilesWritten().size();
  try {
    Book->PrintRun(Ticked(PrintSelection, true), [this](SheetRef sheet) { PrintOneSheet(sheet); });
  } catch (const std::exception& e) {
    // The sheets saved before the failure are complete: the teacher needs them named too.
    const QStringList written = PdfPrinterFilesWritten().mid(pdfBefore);
    if (written.isEmpty()) throw;
    throw Error(
        (QString::fromUtf8(e.what()) +
         QStringLiteral("\n\n次のPDFファイルは保存しました (these PDF files were saved):\n") +
         written.join(u'\n'))
            .toStdString());
  }
  // The PDF printer has no paper to show for it: say where the files went.
  const QStringList written = PdfPrinterFilesWritten().mid(pdfBefore);
  if (!written.isEmpty()) {
    ShowMessageBox(this, QStringLiteral("PDFファイルに保存しました。\n") + written.join(u'\n'),
                   QStringLiteral("印刷"), MB_OK | MB_ICONINFORMATION);
  }
}

void TForm1::Image9Click() {
  if (!CommandAllowed(true)) return;
  RunPrinterSetupCommand(*QxPrinterSetupDialog1);
}

// Draws a sheet on a fresh preview page and shows it on its tab. The printer is asked for
// the scale first, and a sheet that fails half-way leaves the last preview whole.
void TForm1::ShowSheet(const SheetSpec& sheet, const TWorkbook::PreviewDraw& draw) {
  const PageMapping mapping = PreviewMappingOf(QxPrinter());
  Previews.Show(Numbered<QWidget>(this, "TabSheet", sheet.tab)->findChild<TImage*>(), sheet.key,
                mapping, draw);
}

void TForm1::FollowScreen() {
  if (Book) Previews.Follow(*Book);
}

void TForm1::PrintOneSheet(SheetRef sheet) { Book->PrintSheet(sheet, QxPrinter()); }

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    // No change notice comes from the system: look at the printers whenever the user
    // comes back to the window.
    Guarded(this, [] { CheckForPrinterChanges(); });
    Guarded(this, [this] { FormActivate(); });
    Guarded(this, [this] { FollowScreen(); });
  } else if (event->type() == QEvent::ScreenChangeInternal) {
    Guarded(this, [this] { FollowScreen(); });
  } else if (event->type() == QEvent::Close) {
    // Closing the main window ends the program, whatever other windows are open.
    QCoreApplication::quit();
  }
  return QWidget::event(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The command panel keeps its height; the tabs take the rest.
  Panel1->setGeometry(0, 0, width(), Panel1->height());
  PageControl1->setGeometry(0, Panel1->height(), width(), height() - Panel1->height());
}

}  // namespace tamariko
