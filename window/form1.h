#pragma once

#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "app/workbook.h"
#include "core/paper.h"
#include "core/sheet_texts.h"
#include "printing/qxprint_dialogs.h"
#include "ui_form1.h"
#include "window/design.h"
#include "window/preview_area.h"
#include "window/print_report.h"
#include "window/print_run.h"
#include "window/settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QStatusBar;

namespace tamariko {

struct PupilList;

class TForm2;
class TForm4;
class TJobFollow;

// The main window: the command panel, the sheet choices and one preview tab per sheet.
class TForm1 : public QWidget, public Ui::Form1 {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  // Runs FormDestroy.
  ~TForm1() override;

  // Start-up of the window, run by the program start right after construction. A failing
  // step throws and leaves the later steps undone.
  void FormCreate();
  void FormActivate();
  void FormDestroy();

  // The three commands: make problems (ケリモ), print, printer set-up.
  void MakeClicked();
  void PrintClicked();
  // 名簿で印刷: each ticked pupil of `list` their paper, in one print run.
  void PrintClass(const PupilList& list);
  void PrinterSetupClicked();

  // What the window remembers between runs (app/settings.h): put back once both windows
  // exist, saved after each command and at the end.
  void RestoreSettings();
  void SaveSettings() const;

  // False when start-up stopped before the problem sets were made.
  bool SetsCreated() const { return Book != nullptr; }
  // The sets; nullptr when start-up stopped before they were made.
  TWorkbook* Workbook() const { return Book.get(); }

  // The progress and print selection windows, handed over by the program start.
  TForm2* Progress = nullptr;
  TForm4* PrintSelection = nullptr;

  std::unique_ptr<TQxPrinterSetupDialog> PrinterSetupDialog;
  std::unique_ptr<TQxPrintDialog> PrintDialog;  // part of the design; no command opens it

  // The paper whose sheets the window offers, and the switch to another: its tabs, check
  // boxes and print choices are built anew, each with the ticks it had when last shown
  // (the remembered ones, or its first ticks, the first time); its sets are made at the
  // next ケリモ. Not while printing: the caller checks CommandAllowed(true) first.
  const TPaper& Paper() const { return *Paper_; }
  void UsePaper(const TPaper& paper);
  // The paper choice above the sheet boxes (PaperBox: 大会問題, 珠算検定練習 or 暗算検定練習,
  // GradeBox: the grade of that ladder) put in force; while printing it goes back to the paper
  // in force.
  void PaperBoxChange();

  // The tabs of previews, their zoom and scrolling.
  TPreviewArea& PreviewArea() const { return *Area; }

  // What the window is doing and what it knows: the sheet being printed, settings that
  // could not be saved. The zoom controls sit at its right.
  QStatusBar* StatusLine = nullptr;

  // The paper's number on the status line: the number of the paper on screen after a
  // ケリモ. Each ケリモ takes a fresh one, unless one was typed into the box since (or given
  // with --seed at start): that one makes that exact paper again. Beside it the sheets it
  // was made with, which make other problems from the same number.
  QLabel* NumberLabel = nullptr;
  QLineEdit* NumberBox = nullptr;
  QLabel* MadeSheetsLabel = nullptr;
  std::optional<std::uint32_t> PaperNumber() const { return Number; }
  // 「答えを表示」 on the answer pages' tabs: the answers on their previews (off at start).
  void ShowAnswers(bool shown);
  QCheckBox* AnswersBox(const QString& key) const { return Area->AnswersBox(key); }
  // The preview of the sheet `key`; null for none.
  TImage* Preview(const QString& key) const { return Area->Preview(key); }
  // The sheet panel's box of the sheet `key`; null for none.
  QCheckBox* SheetBox(const QString& key) const { return BoxOf(Boxes, key); }

 protected:
  // The two sheet operations, so that a test can stand in for a sheet: show what `draw`
  // draws on the sheet's tab; print one sheet.
  virtual void ShowSheet(const SheetInfo& sheet, const TWorkbook::PreviewDraw& draw);
  virtual void PrintOneSheet(SheetRef sheet);

  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The sheets read the round number and headings from the edit boxes as they stand.
  class EditTexts : public TSheetTexts {
   public:
    explicit EditTexts(const TForm1& form) : Form(form) {}
    QString RoundText() const override;
    QString Heading1() const override;
    QString Heading2() const override;
    QString Organizer() const override;

   private:
    const TForm1& Form;
  };

  void ConnectPaperNumber();
  void UpdateStatusLine();
  // The command panel at the top, the tabs below it and the status line at the bottom.
  void LayOutPanels();

  // Whether the program is ending (closed during a print, or a signal): sheets not yet
  // sent stay unsent.
  bool Ending() const;
  QString PrinterInForce() const;
  // The print run of the chosen sheets, with the make-problems button off meanwhile.
  TPrintReport PrintChosenSheets();
  // What a print run asks of the window; `printOne` for a run of the paper on screen.
  TPrintRun::Hooks PrintHooks(std::function<void(SheetRef)> printOne = {});
  // `run` with the make-problems button off and the status line following it.
  TPrintReport RunPrint(TPrintRun& run);
  // After a run: the report in a box, or on standard error where the program is ending.
  void TellPrinted(const TPrintReport& report);
  // The number the next ケリモ makes; none, and said, when the typed one is not a number.
  std::optional<std::uint32_t> NextNumber();
  // Previews drawn at another device pixel ratio are drawn again at the window's.
  void FollowScreen();
  // Whether a command may run now; says why not when it may not.
  bool CommandAllowed(bool waitsForPrinting);
  void CreateSets();
  // Before the first ケリモ each tab shows its sheet's empty form, as a print then prints it.
  void ShowForms();
  void BuildSheetBoxes(const SheetChoice& ticked);
  void FillPaperChoice();
  // The paper the choice names; the boxes shown as `paper` names it.
  const TPaper& ChosenPaper() const;
  void ShowPaperChoice(const TPaper& paper);
  // What a paper's boxes were ticked when the window left it.
  struct PaperTicks {
    SheetChoice main;
    SheetChoice print;
  };

  const TPaper* Paper_ = nullptr;
  SheetBoxes Boxes;  // the sheet panel's boxes, by sheet key
  // The panels as designed, before a paper of many sheets makes them taller.
  QSize SheetPanelDesignSize;
  int CommandPanelDesignHeight = 0;
  std::map<QString, PaperTicks> KeptTicks;  // by paper key
  bool SettingsRestored = false;
  EditTexts Texts{*this};
  std::unique_ptr<TWorkbook> Book;
  std::optional<std::uint32_t> Number;  // the paper on screen's, after a ケリモ
  bool NumberTyped = false;             // the box holds the next ケリモ's number
  SheetChoice MadeChoice;               // the sheets the last ケリモ made
  bool AnswersOnScreen = false;
  std::unique_ptr<TRememberedPrinter> RememberedPrinter;
  bool MadeOnce = false;   // a make-problems run has ended well
  bool Activated = false;  // the focus goes to CommandPanel at the first activation only
  bool Destroyed = false;
  bool Printing = false;
  bool Closing = false;
  // Gone before the widgets it works with.
  std::unique_ptr<TPreviewArea> Area;
  // What became of the jobs the runs sent: on the status line, and in a box when the
  // window is free.
  std::unique_ptr<TJobFollow> JobFollow;
  void ShowJobNews();
  // The sheets of the print under way by job title, and how many have been taken up.
  QStringList PrintTitles;
  int PrintTaken = 0;
  // The last settings note (not saved and why, or written over), said once.
  mutable QString SettingsNote;
  mutable bool SettingsUnreadable = false;  // the file read at start had unreadable parts
  // What the file read at start held that could not be used, said until the first ケリモ.
  QString ReadNote;
};

}  // namespace tamariko
