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

// A window's edit boxes Edit1 to Edit4 (the texts, kept to the limits of the paper whose
// `places` are given), under `group`. Boxes the window lacks are left alone, and so are
// those the file does not name. Returns what was left out or cut, in words.
QStringList RestoreWindowChoices(QSettings& settings, QWidget* window, const QString& group,
                                 const TeacherPlaces& places);
void SaveWindowChoices(QSettings& settings, const QWidget* window, const QString& group);
// The ticks of the sheet check boxes of `paper` under `group`: the default paper's as
// sheets/<key>, another's as <paper>/sheets/<key>. Boxes the window lacks or keeps disabled
// are left alone, and so are those the file does not name.
void RestoreSheetChoices(QSettings& settings, QWidget* window, const TPaper& paper,
                         const QString& group);
void SaveSheetChoices(QSettings& settings, const QSet<QString>& ticked, const TPaper& paper,
                      const QString& group);

// Every field of the printer choice; nothing when none was saved.
std::optional<PrinterChoice> ReadPrinterChoice(QSettings& settings);
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
