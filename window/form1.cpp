#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "app/class_print.h"
#include "app/input_limits.h"
#include "app/papers.h"
#include "app/versions.h"
#include "core/error.h"
#include "core/random.h"
#include "kentei/exam_grades.h"
#include "platform/carried_font.h"
#include "platform/off_thread.h"
#include "platform/spooler.h"
#include "printing/print_summary.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "resources/resources.h"
#include "window/design.h"
#include "window/faces_check.h"
#include "window/form2.h"
#include "window/form3.h"
#include "window/form4.h"
#include "window/heading_boxes.h"
#include "window/help_window.h"
#include "window/job_follow.h"
#include "window/message_box.h"
#include "window/pupils_dialog.h"
#include "window/shortcuts.h"
#include "window/shutdown_signals.h"
#include "window/startup.h"
#include "window/timage.h"
#include "window/window_size.h"

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

// The sheets of `paper` the ticked boxes of a window choose.
SheetChoice Ticked(const SheetBoxes& boxes, const TPaper& paper, bool withAnswerTable) {
  SheetChoice choice;
  for (const SheetInfo& sheet :
       withAnswerTable ? SheetsWithAnswerTable(paper) : ProblemSheets(paper)) {
    const QCheckBox* box = BoxOf(boxes, sheet.key);
    if (box && box->isChecked()) choice.insert(sheet.key);
  }
  return choice;
}

// The paper choice's row stands above the boxes, which the papers place below the heading.
constexpr int kPaperRow = 28;

// The window offers one exam paper a grade, from the grade table: a ladder is an entry of the
// paper choice after 大会問題, and grades that share a paper are one grade entry, named as its
// title.
struct GradeChoice {
  QString label;
  QString key;
};
struct LadderChoice {
  QString name;
  std::vector<GradeChoice> grades;
};
const std::vector<LadderChoice>& Ladders() {
  static const std::vector<LadderChoice> ladders = [] {
    std::vector<LadderChoice> made;
    // The teacher's own papers after the shipped ones, under their ladder's word.
    for (const TExamGrade* grade : AllExamGrades()) {
      const TExamGrade& g = *grade;
      auto ladder = std::find_if(made.begin(), made.end(),
                                 [&](const LadderChoice& l) { return l.name == g.ladder; });
      if (ladder == made.end()) ladder = made.insert(made.end(), {g.ladder, {}});
      std::vector<GradeChoice>& grades = ladder->grades;
      if (grades.empty() || grades.back().label != g.paperName)
        grades.push_back({g.paperName, g.key});
    }
    return made;
  }();
  return ladders;
}

// The ladder that offers `key`, or -1.
int LadderOf(const QString& key) {
  for (int l = 0; l < static_cast<int>(Ladders().size()); ++l) {
    for (const GradeChoice& g : Ladders()[static_cast<std::size_t>(l)].grades) {
      if (key == g.key) return l;
    }
  }
  return -1;
}

// The entry the window offers for a remembered `key`: a grade of a shared paper is that
// paper's entry (「10級・9級」 was shuzan-10 before it had a paper of its own).
QString OfferedKey(const QString& key) {
  const TExamGrade* grade = FindExamGrade(key);
  if (grade == nullptr || LadderOf(key) >= 0) return key;
  for (const LadderChoice& ladder : Ladders()) {
    if (ladder.name != grade->ladder) continue;
    for (const GradeChoice& g : ladder.grades) {
      if (g.label == grade->paperName) return g.key;
    }
  }
  return key;
}

// The grade box holds the grades of one ladder; another ladder's keeps a grade of the same name.
void FillGrades(QComboBox* box, int ladder) {
  if (box->count() > 0 && LadderOf(box->itemData(0).toString()) == ladder) return;
  const QSignalBlocker block(box);
  const QString kept = box->currentText();
  box->clear();
  for (const GradeChoice& g : Ladders()[static_cast<std::size_t>(ladder)].grades)
    box->addItem(g.label, g.key);
  box->setCurrentIndex(std::max(0, box->findText(kept)));
}

// 名簿 beside ヘルプ; Ctrl+L opens it from anywhere in the window.
QToolButton* AddPupilsEntry(QToolButton* help, const std::function<void(const PupilList&)>& print) {
  QWidget* panel = help->parentWidget();
  auto* button = new QToolButton(panel);
  button->setObjectName(QStringLiteral("PupilsButton"));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  auto* open = new QAction(QStringLiteral("名簿"), panel->window());
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  open->setShortcutContext(Qt::WindowShortcut);
  open->setToolTip(QStringLiteral("名簿 (Ctrl+L)"));
  QObject::connect(open, &QAction::triggered, panel->window(), [panel, print] {
    Guarded(panel->window(), [panel, print] {
      PupilList list;
      {
        TPupilsDialog dialog(panel->window());
        dialog.exec();
        if (!dialog.PrintAsked) return;
        list = dialog.List();
      }
      print(list);
    });
  });
  panel->window()->addAction(open);
  button->setDefaultAction(open);
  button->adjustSize();
  button->move(help->x() - button->width() - 2, help->y());
  button->show();
  return button;
}

}  // namespace

QString TForm1::EditTexts::RoundText() const { return Form.RoundBox->text(); }
QString TForm1::EditTexts::Heading1() const { return Form.Heading1Box->text(); }
QString TForm1::EditTexts::Heading2() const { return Form.Heading2Box->text(); }
QString TForm1::EditTexts::Organizer() const { return Form.SchoolBox->text(); }

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setupUi(this);
  ApplyDesign(this);
  MakeButton->SetPictureFile(kKerimoBitmap);
  PrintButton->SetPictureFile(kInsatsuBitmap);
  PrinterSetupButton->SetPictureFile(kInsatsuSetteiBitmap);
  ScrollArrows->SetPictureFile(kFourArrowsIcon);
  LimitRoundBox(RoundBox);
  const auto places = [this]() -> const TeacherPlaces& {
    return (Paper_ ? Paper_ : &DefaultPaper())->places;
  };
  LimitHeadingBox(Heading1Box, HeadingLine::First, places);
  LimitHeadingBox(Heading2Box, HeadingLine::Second, places);
  LimitHeadingBox(SchoolBox, HeadingLine::Organizer, places);
  PrinterSetupDialog = std::make_unique<TQxPrinterSetupDialog>(this);
  PrintDialog = std::make_unique<TQxPrintDialog>(this);
  QToolButton* help = AddHelpEntry(CommandPanel, Heading1Box->geometry().right() + 1, 1);
  QToolButton* pupils = AddPupilsEntry(help, [this](const PupilList& list) { PrintClass(list); });
  ConnectKeyboard(this, {MakeButton, PrintButton, PrinterSetupButton},
                  {SchoolBox, RoundBox, Heading1Box, Heading2Box});
  QWidget::setTabOrder(help, pupils);
  StatusLine = new QStatusBar(this);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  JobFollow = std::make_unique<TJobFollow>([this] { Guarded(this, [this] { ShowJobNews(); }); });
  Area = std::make_unique<TPreviewArea>(
      TPreviewArea::Parts{this, PreviewTabs, ScrollMarker, ScrollArrows, StatusLine},
      [this] { FollowScreen(); }, [this](bool shown) { ShowAnswers(shown); });
  ConnectPaperNumber();
  FillPaperChoice();
  SheetPanelDesignSize = SheetPanel->size();
  CommandPanelDesignHeight = CommandPanel->height();
  UsePaper(DefaultPaper());
  FitWindow(this, CommandPanel, PreviewTabs, StatusLine);
  PlaceWindow(this, {});

  connect(MakeButton, &TImage::clicked, this, [this] { Guarded(this, [this] { MakeClicked(); }); });
  connect(PrintButton, &TImage::clicked, this,
          [this] { Guarded(this, [this] { PrintClicked(); }); });
  connect(PrinterSetupButton, &TImage::clicked, this,
          [this] { Guarded(this, [this] { PrinterSetupClicked(); }); });
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
  // The first ケリモ makes the paper of this number, as the batch mode does from --seed.
  const std::uint32_t seed = Startup().Seed ? *Startup().Seed : FreshPaperNumber();
  NumberBox->setText(QString::number(seed));
  NumberTyped = true;
  std::fprintf(stderr, "seed: %u\n", seed);

  TraceStep(QStringLiteral("paper"));
  SettleFirstPrinterRead();
  QxPrinter().UseSheetPaper();

  TraceStep(QStringLiteral("font"));
  InstallCarriedFont(CarriedFontPath());

  CreateSets();
}

void TForm1::CreateSets() {
  TraceStep(QStringLiteral("sets"));
  Book = std::make_unique<TWorkbook>(&Texts, Paper_);
  Book->SetAnswersShown(AnswersOnScreen);
  ShowForms();
}

void TForm1::ShowForms() {
  // Without the sheets' faces a form would show empty boxes; the commands say why.
  if (!Book || MadeOnce || !MissingFacesMessage().isEmpty()) return;
  PageMapping mapping;
  try {
    mapping = PreviewMappingOf(QxPrinter());
  } catch (const std::exception&) {
    return;  // no printer to ask the scale of: the tabs stay blank until one answers
  }
  for (const SheetRef sheet : Book->Sheets()) {
    Area->Pages().Show(Area->Preview(Book->Info(sheet).key), Book->Info(sheet).key, mapping,
                       [&](TCanvas& c, const PageMapping& m) { Book->DrawPreview(sheet, c, m); });
  }
  if (StatusLine) UpdateStatusLine();  // 「ケリモ（F5）で問題を作ります」
}

void TForm1::UsePaper(const TPaper& paper) {
  if (Paper_ == &paper) return;
  if (Paper_) {
    KeptTicks[Paper_->key] = {
        Ticked(Boxes, *Paper_, false),
        PrintSelection ? Ticked(PrintSelection->Boxes(), *Paper_, true) : SheetChoice()};
  }
  Area->RemoveTabs();
  for (const auto& [key, box] : std::exchange(Boxes, {})) delete box;
  Paper_ = &paper;
  ShowPaperChoice(paper);
  // The texts measured on this paper's pages.
  RefitHeadingBox(Heading1Box, HeadingLine::First);
  RefitHeadingBox(Heading2Box, HeadingLine::Second);
  RefitHeadingBox(SchoolBox, HeadingLine::Organizer);

  const auto kept = KeptTicks.find(paper.key);
  SheetChoice first(paper.firstTicked.begin(), paper.firstTicked.end());
  BuildSheetBoxes(kept != KeptTicks.end() ? kept->second.main : first);
  if (kept == KeptTicks.end() && SettingsRestored) {
    RestoreSheetChoices(*OpenSettings(), Boxes, paper, QStringLiteral("window"));
  }
  Area->BuildTabs(paper, AnswersOnScreen);
  if (PrintSelection) {
    PrintSelection->UsePaper(paper, kept != KeptTicks.end() ? kept->second.print : first);
  }
  if (Book) {
    MadeOnce = false;
    CreateSets();
    Number.reset();
    MadeChoice.clear();
    UpdateStatusLine();
  }
}

void TForm1::FillPaperChoice() {
  PaperBox->addItem(DefaultPaper().name);
  for (const LadderChoice& ladder : Ladders()) PaperBox->addItem(ladder.name);
  FillGrades(GradeBox, 0);
  GradeBox->setEnabled(false);
  // The keyboard goes from the round box to the paper choice, then to the sheet boxes.
  QWidget::setTabOrder(RoundBox, PaperBox);
  QWidget::setTabOrder(PaperBox, GradeBox);
  connect(PaperBox, &QComboBox::activated, this,
          [this] { Guarded(this, [this] { PaperBoxChange(); }); });
  connect(GradeBox, &QComboBox::activated, this,
          [this] { Guarded(this, [this] { PaperBoxChange(); }); });
}

const TPaper& TForm1::ChosenPaper() const {
  if (PaperBox->currentIndex() < 1) return DefaultPaper();
  const TPaper* paper = PaperNamed(GradeBox->currentData().toString());
  return paper ? *paper : DefaultPaper();
}

void TForm1::ShowPaperChoice(const TPaper& paper) {
  const QSignalBlocker paperBlock(PaperBox), gradeBlock(GradeBox);
  const int ladder = LadderOf(paper.key);
  if (ladder >= 0) FillGrades(GradeBox, ladder);
  const int grade = GradeBox->findData(paper.key);
  PaperBox->setCurrentIndex(grade >= 0 ? ladder + 1 : 0);
  if (grade >= 0) GradeBox->setCurrentIndex(grade);
  GradeBox->setEnabled(grade >= 0);
}

void TForm1::PaperBoxChange() {
  if (PaperBox->currentIndex() >= 1) FillGrades(GradeBox, PaperBox->currentIndex() - 1);
  GradeBox->setEnabled(PaperBox->currentIndex() >= 1);
  const TPaper& chosen = ChosenPaper();
  if (&chosen == Paper_) return;
  // A print under way prints the paper it started with.
  if (SetsCreated() && !CommandAllowed(true)) {
    ShowPaperChoice(*Paper_);
    return;
  }
  UsePaper(chosen);
  if (SettingsRestored) SaveSettings();
}

void TForm1::BuildSheetBoxes(const SheetChoice& ticked) {
  const std::vector<SheetInfo> sheets = ProblemSheets(*Paper_);
  // Boxes the paper does not place go in rows below those it places (under the paper
  // choice where it places none), as wide as their texts; the panel grows to hold them.
  int top = 37 + kPaperRow;
  for (std::size_t i = 0; i < sheets.size() && i < Paper_->boxPlaces.size(); ++i) {
    const BoxPlace& p = Paper_->boxPlaces[i];
    top = std::max(top, p.y + kPaperRow + p.height);
  }
  QPoint next(8, top);
  int bottom = 0;
  QWidget* before = GradeBox;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    QCheckBox* box = MakeSheetBox(SheetPanel, sheets[i], static_cast<int>(i) + 1,
                                  ticked.contains(sheets[i].key));
    if (i < Paper_->boxPlaces.size()) {
      const BoxPlace& p = Paper_->boxPlaces[i];
      box->setGeometry(p.x, p.y + kPaperRow, p.width, p.height);
    } else {
      const int width = std::min(box->sizeHint().width(), SheetPanelDesignSize.width() - 16);
      if (next.x() > 8 && next.x() + width > SheetPanelDesignSize.width() - 8) {
        next = QPoint(8, next.y() + 24);
      }
      box->setGeometry(next.x(), next.y(), width, 24);
      next.rx() += width + 7;
    }
    bottom = std::max(bottom, box->geometry().bottom() + 1);
    box->show();
    Boxes[sheets[i].key] = box;
    QWidget::setTabOrder(before, box);
    before = box;
  }
  QWidget::setTabOrder(before, Heading1Box);
  // A paper of more sheets than the design holds makes the panels taller.
  const int grow = std::max(0, bottom + 7 - SheetPanelDesignSize.height());
  const int change = CommandPanelDesignHeight + grow - CommandPanel->height();
  if (change == 0) return;
  SheetPanel->resize(SheetPanelDesignSize.width(), SheetPanelDesignSize.height() + grow);
  CommandPanel->resize(CommandPanel->width(), CommandPanelDesignHeight + grow);
  if (minimumHeight() > 0) setMinimumHeight(minimumHeight() + change);
  LayOutPanels();
}

// Only the first time: coming back to the window from a dialog or another program must not
// take the focus from the control the user left it on.
void TForm1::FormActivate() {
  if (Activated) return;
  Activated = true;
  CommandPanel->setFocus();
  // The window manager's frame is known now: the title bar must be on the screen.
  KeepOnScreen(this);
}

void TForm1::RestoreSettings() {
  const auto settings = OpenSettings();
  TReplacedSettings replaced;
  // The paper in force at start first, so that a switch keeps its remembered ticks.
  RestoreSheetChoices(*settings, Boxes, *Paper_, QStringLiteral("window"));
  SettingsRestored = true;
  // The grade chosen last stays in its box when the contest paper is in force.
  const QString gradeKey = OfferedKey(settings->value(QStringLiteral("window/grade")).toString());
  if (LadderOf(gradeKey) >= 0) FillGrades(GradeBox, LadderOf(gradeKey));
  const int grade = GradeBox->findData(gradeKey);
  if (grade >= 0) GradeBox->setCurrentIndex(grade);
  if (grade < 0 && !gradeKey.isEmpty()) replaced.Add(QStringLiteral("級"));
  // Only a paper the choice offers: one another version offered is not put back.
  const QString paperKey = OfferedKey(settings->value(QStringLiteral("window/paper")).toString());
  const TPaper* paper = PaperNamed(paperKey);
  if (paper && (paper == &DefaultPaper() || GradeBox->findData(paperKey) >= 0)) {
    UsePaper(*paper);
  } else if (settings->contains(QStringLiteral("window/paper"))) {
    replaced.Add(QStringLiteral("問題の種類"));
  }
  // The texts after the paper, to be kept to its limits.
  const QStringList cleaned =
      RestoreWindowChoices(*settings, this, QStringLiteral("window"), Paper_->places, &replaced);
  if (!cleaned.isEmpty()) ShowHeadingNote(SchoolBox, cleaned.join(u'\n'));
  PlaceWindow(this, settings->value(QStringLiteral("window/place")).toByteArray());
  // Written over with what could be read at the next save, which says so.
  SettingsUnreadable = settings->status() == QSettings::FormatError;
  if (settings->contains(QStringLiteral("window/zoom"))) {
    const auto zoom =
        PreviewZoom::FromText(settings->value(QStringLiteral("window/zoom")).toString());
    if (!zoom) replaced.Add(QStringLiteral("表示の倍率"));
    Area->SetZoom(zoom.value_or(PreviewZoom{}));
  }
  const std::optional<PrinterChoice> printer = ReadPrinterChoice(*settings, &replaced);
  // The copies every print asks for are the print selection's 部数.
  if (PrintSelection && printer) PrintSelection->CopiesBox->setValue(printer->copies);
  if (PrintSelection) {
    const auto versions = replaced.Number(*settings, QStringLiteral("print/versions"), 1,
                                          kMaxVersions, QStringLiteral("版数"));
    PrintSelection->SetVersions(versions.value_or(1));
  }
  ReadNote = replaced.Note();
  UpdateStatusLine();
  if (!SetsCreated()) return;
  RememberedPrinter = std::make_unique<TRememberedPrinter>(
      printer, [this](const QString& text) { PrinterSetupDialog->SetNoticeOnce(text); },
      [this] { return Printing; });
}

void TForm1::SaveSettings() const {
  const auto settings = OpenSettings();
  SaveWindowChoices(*settings, this, QStringLiteral("window"));
  settings->setValue(QStringLiteral("window/paper"), Paper_->key);
  settings->setValue(QStringLiteral("window/grade"), GradeBox->currentData().toString());
  SaveSheetChoices(*settings, Ticked(Boxes, *Paper_, false), *Paper_, QStringLiteral("window"));
  for (const auto& [key, ticks] : KeptTicks) {
    if (const TPaper* paper = PaperNamed(key); paper && paper != Paper_) {
      SaveSheetChoices(*settings, ticks.main, *paper, QStringLiteral("window"));
    }
  }
  // The print ticks follow each ケリモ; older versions kept them here.
  settings->remove(QStringLiteral("print/sheets"));
  if (PrintSelection)
    settings->setValue(QStringLiteral("print/versions"), PrintSelection->Versions());
  settings->setValue(QStringLiteral("window/place"), WindowPlace(this));
  settings->setValue(QStringLiteral("window/zoom"), Area->ZoomChoice().ToText());
  if (RememberedPrinter) {
    try {
      PrinterChoice choice = RememberedPrinter->ToRemember();
      if (PrintSelection) choice.copies = PrintSelection->Copies();
      WritePrinterChoice(*settings, choice);
    } catch (const std::exception&) {
      // No printer to ask: the printer last saved stays saved.
    }
  }
  // Said once on the status line, not again at every save; at the end, with the window
  // gone, on standard error if it was never said.
  QString note;
  const bool saved = WriteSettings(*settings, &note, SettingsUnreadable);
  if (saved) SettingsUnreadable = false;
  if (note == SettingsNote) return;
  if (!saved && !isVisible()) {
    std::fprintf(stderr, "tamariko: %s (cannot save the settings)\n",
                 note.toLocal8Bit().constData());
  }
  SettingsNote = note;
  const_cast<TForm1*>(this)->UpdateStatusLine();
}

void TForm1::ConnectPaperNumber() {
  NumberLabel = new QLabel(QStringLiteral("問題番号"), StatusLine);
  NumberLabel->setObjectName(QStringLiteral("NumberLabel"));
  NumberBox = new QLineEdit(StatusLine);
  NumberBox->setObjectName(QStringLiteral("NumberBox"));
  NumberBox->setMaxLength(10);
  // Digits only, full-width ones too; a number beyond 32 bits is said at ケリモ.
  NumberBox->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9\\x{FF10}-\\x{FF19}]*")), NumberBox));
  NumberBox->setFixedWidth(NumberBox->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 11 +
                           12);
  NumberBox->setToolTip(QStringLiteral("この番号でケリモすると、同じ用紙に同じ問題が作られます"));
  NumberLabel->setBuddy(NumberBox);
  MadeSheetsLabel = new QLabel(StatusLine);
  MadeSheetsLabel->setObjectName(QStringLiteral("MadeSheetsLabel"));
  StatusLine->insertPermanentWidget(0, NumberLabel);
  StatusLine->insertPermanentWidget(1, NumberBox);
  StatusLine->insertPermanentWidget(2, MadeSheetsLabel);
  connect(NumberBox, &QLineEdit::textEdited, this, [this] { NumberTyped = true; });
  // Enter in the box makes the paper of the number typed.
  connect(NumberBox, &QLineEdit::returnPressed, this,
          [this] { Guarded(this, [this] { MakeClicked(); }); });
}

std::optional<std::uint32_t> TForm1::NextNumber() {
  // An emptied box asks for a fresh number.
  if (!NumberTyped || NumberBox->text().trimmed().isEmpty()) return FreshPaperNumber();
  if (const auto typed = ReadPaperNumber(NumberBox->text())) return typed;
  ShowMessageBox(this,
                 QStringLiteral("問題番号「%1」は使えません。0 から 4294967295 までの数字を"
                                "入力してください。")
                     .arg(NumberBox->text()),
                 QStringLiteral("問題番号"), MB_OK | MB_ICONWARNING);
  return std::nullopt;
}

void TForm1::ShowAnswers(bool shown) {
  AnswersOnScreen = shown;
  Area->TickAnswers(shown);
  if (!Book) return;
  Book->SetAnswersShown(shown);
  if (!MadeOnce) return;
  const PageMapping mapping = PreviewMappingOf(QxPrinter());
  for (const SheetRef sheet : Book->Sheets()) {
    if (!sheet.IsAnswerTable()) continue;
    Area->Pages().Show(Area->Preview(Book->Info(sheet).key), Book->Info(sheet).key, mapping,
                       [&](TCanvas& c, const PageMapping& m) { Book->DrawPreview(sheet, c, m); });
  }
}

void TForm1::UpdateStatusLine() {
  if (MadeSheetsLabel) {
    QStringList made;
    for (const SheetInfo& sheet : ProblemSheets(*Paper_)) {
      if (Number && MadeChoice.contains(sheet.key)) made << sheet.Label();
    }
    MadeSheetsLabel->setText(made.join(QStringLiteral("・")));
  }
  if (!PrintTitles.isEmpty()) {
    StatusLine->showMessage(
        QStringLiteral("印刷中… %1/%2").arg(std::max(PrintTaken, 1)).arg(PrintTitles.size()));
  } else if (JobFollow && !JobFollow->StatusText().isEmpty()) {
    StatusLine->showMessage(JobFollow->StatusText());
  } else if (!SettingsNote.isEmpty()) {
    StatusLine->showMessage(SettingsNote);
  } else if (!ReadNote.isEmpty()) {
    StatusLine->showMessage(ReadNote);
  } else if (Book && !MadeOnce) {
    StatusLine->showMessage(QStringLiteral("ケリモ（F5）で問題を作ります"));
  } else {
    StatusLine->clearMessage();
  }
  // The whole text when the line is too narrow for it.
  StatusLine->setToolTip(StatusLine->currentMessage());
  // Shown at once, also while a job is being sent.
  StatusLine->repaint();
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

void TForm1::MakeClicked() {
  if (!CommandAllowed(false)) return;
  if (!FacesInPlace(this)) return;
  const std::optional<std::uint32_t> number = NextNumber();
  if (!number) return;
  WaitCursor cursor;
  TForm2* progress = Progress;
  if (progress) progress->show();
  // A failing sheet must not leave the progress window on screen.
  auto closeProgress = qScopeGuard([progress] {
    if (!progress) return;
    progress->close();
    progress->Reset();
  });
  // Made as the batch mode makes the paper of --seed: the generator at the number, the
  // number on every page. A run that fails keeps the number of the problems it leaves.
  const SheetChoice ticked = Ticked(Boxes, *Paper_, false);
  SetRandomSeed(*number);
  Book->SetMarkText(PaperMark(*number));
  auto keepMark =
      qScopeGuard([this] { Book->SetMarkText(Number ? PaperMark(*Number) : QString()); });
  Book->MakeProblems(
      ticked,
      [this](const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw) {
        ShowSheet(sheet, draw);
      },
      [progress] {
        if (!progress) return;
        progress->StepIt();
        progress->repaint();
      });
  // A kind this run did not make shows nothing and cannot be printed with old problems.
  for (int k = 0; k < Book->KindCount(); ++k) {
    if (Book->Made(k)) continue;
    for (const SheetInfo& sheet : Book->Kind(k).Sheets()) {
      Area->Pages().Clear(Area->Preview(sheet.key));
    }
  }
  keepMark.dismiss();
  MadeOnce = true;
  Number = *number;
  NumberTyped = false;
  NumberBox->setText(QString::number(*number));
  MadeChoice = ticked;
  ReadNote.clear();  // said; the saved file holds what is in force now
  UpdateStatusLine();
  if (PrintSelection) PrintSelection->OfferMadeSheets(*Book);
  SaveSettings();
}

void TForm1::PrintClicked() {
  if (!CommandAllowed(true)) return;
  if (!FacesInPlace(this)) return;
  if (!PrintSelection) return;
  PrintSelection->ShowModal();
  if (!PrintSelection->PrintSelected) return;
  SaveSettings();
  // The copies go with every job; the question says where and how much is printed.
  QxPrinter().SetCopies(PrintSelection->Copies());
  QxPrinter().ApplySettings();
  const int versions = MadeOnce ? PrintSelection->Versions() : 1;
  // Pages that go with a ticked sheet are printed too.
  const SheetChoice chosen = Ticked(PrintSelection->Boxes(), *Paper_, true);
  const auto sheets = SheetsWithAnswerTable(*Paper_);
  const auto printed = std::count_if(sheets.begin(), sheets.end(),
                                     [&](const SheetInfo& sheet) { return Chosen(chosen, sheet); });
  PrintSummary summary = SummarizePrint(QxPrinter(), static_cast<int>(printed) * versions);
  if (versions > 1) summary.oneFile = VersionsFileStem(*Paper_, versions) + QStringLiteral(".pdf");
  // Before any ケリモ only the forms can be printed: say so before the question.
  const QString formsOnly = MadeOnce ? QString() : QStringLiteral("問題のない用紙を印刷します。\n");
  if (ShowMessageBox(this, formsOnly + QStringLiteral("印刷しますか？\n\n") + summary.Text(),
                     QStringLiteral("印刷の確認"), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  // A remembered printer whose server answered since goes in force before the run.
  if (RememberedPrinter) RememberedPrinter->TryNow();

  TellPrinted(PrintChosenSheets());
}

void TForm1::TellPrinted(const TPrintReport& report) {
  if (Ending()) {
    if (!report.Unsent().isEmpty()) {
      std::fprintf(
          stderr, "tamariko: %s\n",
          QStringLiteral("印刷の途中で終了したため、次の用紙は印刷されません (closed while "
                         "printing; not sent): %1")
              .arg(report.Unsent().join(QStringLiteral(", ")))
              .toLocal8Bit()
              .constData());
    }
    // A job the silent server may still print is cancelled, or named for the teacher.
    QStringList lines = JobFollow->CancelOnClose();
    lines += JobFollow->End();
    for (const QString& line : lines) {
      std::fprintf(stderr, "tamariko: %s\n", line.toLocal8Bit().constData());
    }
    return;
  }
  if (!report.Empty()) {
    ShowMessageBox(this, report.Text(), QStringLiteral("印刷の結果"),
                   MB_OK | (report.AllSent() ? MB_ICONINFORMATION : MB_ICONWARNING));
  }
  ShowJobNews();
}

void TForm1::ShowJobNews() {
  UpdateStatusLine();
  if (Ending()) return;
  // Not over a run or another box: the follower tells again while its box waits.
  if (Printing || QApplication::activeModalWidget() != nullptr) return;
  const QString box = JobFollow->TakeBox();
  if (!box.isEmpty()) {
    ShowMessageBox(this, box, QStringLiteral("印刷サーバーからのお知らせ"), MB_OK | MB_ICONWARNING);
  }
}

// The make-problems button is off while the run lasts; the status line says it until the
// report.
TPrintReport TForm1::PrintChosenSheets() {
  const int versionCount =
      MadeOnce && PrintSelection->Versions() > 1 ? PrintSelection->Versions() : 1;
  TPrintRun run(*Book, Ticked(PrintSelection->Boxes(), *Paper_, true), versionCount,
                PrinterInForce(), *JobFollow,
                PrintHooks([this](SheetRef sheet) { PrintOneSheet(sheet); }));
  if (versionCount > 1) {
    WaitCursor cursor;
    // The first made again from the number on screen, as each of the others from the
    // numbers after it, with the sheets of the last ケリモ.
    run.MakeVersions([this](int v) {
      const std::uint32_t number = *Number + static_cast<std::uint32_t>(v);
      return MakePaper(&Texts, *Paper_, number, MadeChoice, PaperMark(number, v));
    });
  }
  return RunPrint(run);
}

TPrintRun::Hooks TForm1::PrintHooks(std::function<void(SheetRef)> printOne) {
  return {[this] { return Ending(); },
          [this] {
            ++PrintTaken;
            UpdateStatusLine();
          },
          std::move(printOne)};
}

TPrintReport TForm1::RunPrint(TPrintRun& run) {
  MakeButton->setEnabled(false);
  Printing = true;
  PrintTitles = run.Titles();
  PrintTaken = 0;
  UpdateStatusLine();
  auto enable = qScopeGuard([this] {
    Printing = false;
    PrintTitles.clear();
    UpdateStatusLine();
    MakeButton->setEnabled(true);
  });
  return run.Run();
}

// 名簿で印刷: the ticked pupils' papers from the number in the box (or a fresh one) on, in
// one run with one report, as the print button's run goes.
void TForm1::PrintClass(const PupilList& list) {
  if (!CommandAllowed(true)) return;
  if (!FacesInPlace(this)) return;
  const auto first = NextNumber();
  if (!first) return;
  std::vector<ClassPaper> order = ClassOrder(list, *first);
  if (order.empty()) {
    ShowMessageBox(this, QStringLiteral("名簿に印の付いた生徒がいません。"),
                   QStringLiteral("名簿で印刷"), MB_OK | MB_ICONWARNING);
    return;
  }
  for (const ClassPaper& paper : order) {
    if (const QString refused = RefusedPupil(paper.pupil); !refused.isEmpty()) {
      ShowMessageBox(this, refused, QStringLiteral("名簿で印刷"), MB_OK | MB_ICONWARNING);
      return;
    }
  }
  QxPrinter().SetCopies(1);
  QxPrinter().ApplySettings();
  std::vector<ClassBook> books;
  int pages = 1;  // the overview
  {
    WaitCursor cursor;
    for (const ClassPaper& paper : order) {
      books.push_back(MakeClassBook(Texts, paper, PaperMark(paper.number)));
      books.back().book->PrintRun(EverySheet(*paper.paper), [&](SheetRef) { ++pages; });
    }
  }
  PrintSummary summary = SummarizePrint(QxPrinter(), pages);
  summary.oneFile = ClassFileStem(QDate::currentDate()) + QStringLiteral(".pdf");
  if (ShowMessageBox(this,
                     QStringLiteral("%1 人の用紙を印刷しますか？ (問題番号 %2〜%3)\n\n")
                             .arg(order.size())
                             .arg(order.front().number)
                             .arg(order.back().number) +
                         summary.Text(),
                     QStringLiteral("印刷の確認"), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  if (RememberedPrinter) RememberedPrinter->TryNow();
  TPrintRun run(std::move(books), std::move(order), PrinterInForce(), *JobFollow, PrintHooks());
  TellPrinted(RunPrint(run));
}

void TForm1::PrinterSetupClicked() {
  if (!CommandAllowed(true)) return;
  if (RememberedPrinter) RememberedPrinter->TryNow();
  if (RememberedPrinter && RememberedPrinter->Waiting()) {
    PrinterSetupDialog->SetNoticeOnce(
        QStringLiteral("前回のプリンター「%1」は、印刷サーバーの応答を待っています。"
                       "ここで選んだプリンターに替えることもできます。")
            .arg(RememberedPrinter->ToRemember().printer));
  }
  if (RunPrinterSetupCommand(*PrinterSetupDialog) && RememberedPrinter) {
    RememberedPrinter->Chosen();
  }
  SaveSettings();
}

// Draws a sheet on a fresh preview page and shows it on its tab. The printer is asked for
// the scale first, and a sheet that fails half-way leaves the last preview whole.
void TForm1::ShowSheet(const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw) {
  const PageMapping mapping = PreviewMappingOf(QxPrinter());
  Area->Pages().Show(Area->Preview(sheet.key), sheet.key, mapping, draw);
}

void TForm1::FollowScreen() {
  if (Book) Area->Pages().Follow(*Book);
}

void TForm1::PrintOneSheet(SheetRef sheet) { Book->PrintSheet(sheet, QxPrinter()); }

bool TForm1::Ending() const { return Closing || SignalledEnd().has_value(); }

QString TForm1::PrinterInForce() const {
  QString device, driver, port;
  DevModeHandle devMode;
  QxPrinter().Framework().GetPrinter(device, driver, port, devMode);
  return device;
}

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
    // A print under way is not dropped without asking: the sheets not yet sent are lost.
    // The sheet under way is given up too.
    if (Printing && !Closing &&
        ShowMessageBox(
            this,
            QStringLiteral("印刷中です。終了すると、まだ送っていない次の用紙は印刷されません。\n\n"
                           "%1\n\n終了しますか？")
                .arg(PrintTitles.mid(std::max(PrintTaken - 1, 0)).join(QStringLiteral("、"))),
            QStringLiteral("タマリコ"), MB_YESNO | MB_ICONQUESTION) != IDYES) {
      event->ignore();
      return true;
    }
    if (Printing) {
      Closing = true;
      GiveUpWaitsUnderWay();
    } else {
      for (const QString& line : JobFollow->End()) {
        std::fprintf(stderr, "tamariko: %s\n", line.toLocal8Bit().constData());
      }
    }
    // Closing the main window ends the program, whatever other windows are open.
    QCoreApplication::quit();
  }
  return QWidget::event(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutPanels();
}

void TForm1::LayOutPanels() {
  // The command panel keeps its height; the tabs take the rest,
  // and the status line its own at the bottom.
  const int line = StatusLine ? StatusLine->sizeHint().height() : 0;
  CommandPanel->setGeometry(0, 0, width(), CommandPanel->height());
  PreviewTabs->setGeometry(0, CommandPanel->height(), width(),
                           height() - CommandPanel->height() - line);
  if (StatusLine) StatusLine->setGeometry(0, height() - line, width(), line);
}

}  // namespace tamariko
