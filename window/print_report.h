#pragma once

// What one print run of the window did, told once at its end: which sheets went to which
// printer (and which file, for the PDF printer), which did not and why, and what the print
// system wants the teacher to know, in plain Japanese.

#include <QString>
#include <QStringList>
#include <vector>

namespace tamariko {

class TPrintReport {
 public:
  // A sheet that reached its printer; for the PDF printer, the file it became.
  void Sent(const QString& sheet, const QString& printer, const QString& file = {});
  // A sheet that did not: `why` is the failure's message, of which only the Japanese is said.
  void Failed(const QString& sheet, const QString& printer, const QString& why);
  // A sheet the run never sent, because the program ended first.
  void NotSent(const QString& sheet);
  // A sheet whose job the server may hold: it fell silent after it was asked to make it.
  // `why` as for Failed.
  void Unknown(const QString& sheet, const QString& printer, const QString& why);
  // A line about a printer (a paused queue, ...), said once under that printer however
  // many sheets went to it.
  void AddPrinterNotice(const QString& printer, const QString& text);
  // A line about one sheet, said under it.
  void AddSheetNotice(const QString& sheet, const QString& text);

  bool Empty() const { return entries_.empty(); }
  bool AllSent() const;
  // The sheets that failed or were never sent, in the run's order (not those that may
  // print all the same).
  QStringList Unsent() const;
  // The whole report, for one message box.
  QString Text() const;

 private:
  // More entries than this are said a run of alike sheets a line.
  static constexpr std::size_t kLinesBeforeMerging = 12;
  enum class Outcome { Sent, Failed, NotSent, Unknown };
  struct Entry {
    QString sheet;
    QString printer;
    Outcome outcome;
    QString detail;  // the file, or why it failed
  };
  struct Notice {
    QString about;  // a printer or a sheet
    QString text;
  };
  QStringList SheetNotices(const QString& sheet) const;

  std::vector<Entry> entries_;
  std::vector<Notice> printerNotices_;
  std::vector<Notice> sheetNotices_;
};

// A failure's message as a teacher reads it: the English halves of the program's two-language
// messages ("... (cannot write ...)", "(CUPS)") left out; a message with no Japanese at all
// becomes a plain Japanese one.
QString TeacherWords(const QString& message);

}  // namespace tamariko
