#pragma once

// What the window remembers from one run to the next, in the user's configuration folder:
// the round number and heading lines, the ticked sheets of the main window and of the
// print selection (by sheet key, so a kind added later is remembered too), and the printer
// settings. The batch mode never reads it: a seed and its options alone decide its output.

#include <QSet>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "core/teacher_lines.h"
#include "printing/printer_choice.h"
#include "window/design.h"

class QWidget;

namespace tamariko {

class Spooler;
struct TPaper;

// $XDG_CONFIG_HOME/tamariko/tamariko.conf (~/.config/tamariko/tamariko.conf without it).
QString SettingsFilePath();
std::unique_ptr<QSettings> OpenSettings();
// Writes what was set; false when the file cannot be written (the program goes on without
// it). The reason goes to `note` when given, else to standard error. A file that had
// unreadable parts (as read here, or `hadUnreadableParts` as read before) and was written
// over with what could be read is saved, and `note` says so.
bool WriteSettings(QSettings& settings, QString* note = nullptr, bool hadUnreadableParts = false);

// What a file read back held out of range or of the wrong type, by the names a teacher
// knows (「表示の倍率」, 「版数」): each is replaced by its default, and said once.
class TReplacedSettings {
 public:
  void Add(const QString& what);
  // A whole number under `key` from `least` to `most`; nothing when the file does not name
  // it, and nothing with `what` added when it holds anything else.
  std::optional<int> Number(QSettings& settings, const QString& key, int least, int most,
                            const QString& what);
  // The sentence that says what was replaced; empty when nothing was.
  QString Note() const;

 private:
  QStringList names_;
};

// A window's edit boxes RoundBox, Heading1Box, Heading2Box and SchoolBox (the texts, kept to the
// limits of the paper whose `places` are given), under `group`. Boxes the window lacks are left
// alone, and so are those the file does not name. Returns what was left out or cut, in words; a
// value that is no text at all, or a round that is no number, is added to `replaced` (the design's
// stays).
QStringList RestoreWindowChoices(QSettings& settings, QWidget* window, const QString& group,
                                 const TeacherPlaces& places,
                                 TReplacedSettings* replaced = nullptr);
void SaveWindowChoices(QSettings& settings, const QWidget* window, const QString& group);
// The ticks of a window's sheet boxes of `paper` under `group`: the default paper's as
// sheets/<key>, another's as <paper>/sheets/<key>. Boxes the window lacks or keeps disabled
// are left alone, and so are those the file does not name.
void RestoreSheetChoices(QSettings& settings, const SheetBoxes& boxes, const TPaper& paper,
                         const QString& group);
void SaveSheetChoices(QSettings& settings, const QSet<QString>& ticked, const TPaper& paper,
                      const QString& group);

// Every field of the printer choice; nothing when none was saved. A field that cannot be
// read keeps its default and is added to `replaced` (the paper has its own notice).
std::optional<PrinterChoice> ReadPrinterChoice(QSettings& settings,
                                               TReplacedSettings* replaced = nullptr);
void WritePrinterChoice(QSettings& settings, const PrinterChoice& choice);

// Puts the remembered printer back in force as soon as the printers are known. While the
// print server has not answered, the printer stays remembered (and is what is saved); once
// it has answered without that printer, the default printer takes its place on B4 (A4
// where it has no B4) and the printer set-up dialog says so, once.
class TRememberedPrinter {
 public:
  using Notice = std::function<void(const QString& text)>;
  // `busy` says when the printer must not change now (a print run under way).
  TRememberedPrinter(std::optional<PrinterChoice> remembered, Notice notice,
                     std::function<bool()> busy);
  ~TRememberedPrinter();
  TRememberedPrinter(const TRememberedPrinter&) = delete;
  TRememberedPrinter& operator=(const TRememberedPrinter&) = delete;

  // Tries again (the printers may have come): at the print and set-up commands.
  void TryNow();
  // The teacher chose a printer: the remembered one no longer matters.
  void Chosen() { waiting_.reset(); }
  bool Waiting() const { return waiting_.has_value(); }
  // What to save: the remembered choice while it waits, else the one in force.
  PrinterChoice ToRemember() const;

 private:
  void FallBack(const PrinterChoice& gone);

  std::optional<PrinterChoice> waiting_;
  Notice notice_;
  std::function<bool()> busy_;
  Spooler* spooler_ = nullptr;
  int subscription_ = 0;
};

}  // namespace tamariko
