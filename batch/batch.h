#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/sheet_texts.h"

namespace tamariko {

struct TPaper;
struct PupilList;

// What a run without a window is asked to make.
struct BatchOptions {
  std::optional<std::uint32_t> seed;
  QString round = kDefaultRound;
  QString heading1 = kDefaultHeading1;
  QString heading2 = kDefaultHeading2;
  QString organizer = kDefaultOrganizer;
  // Sheet keys, as --sheets names them; the window's design ticks the same two at start.
  QStringList sheets = {QStringLiteral("mitori"), QStringLiteral("kake")};
  // An exam paper's key (--exam): its pages instead of the contest's sheets, every problem
  // page unless --sheets names some.
  QString exam;
  const TPaper* examPaper = nullptr;  // the paper of --exam, a document's too
  // --class: the list whose ticked pupils each get their exam paper, in one run.
  QString classFile;
  std::shared_ptr<const PupilList> pupils;
  bool listExams = false;  // --exam list: the keys and their names, nothing made
  QString json;            // "-" is standard output
  QString pngFolder;
  QString pdf;
  QString printer;
  int paper = 0;      // paper number; 0: B4, or A4 where the printer has no B4
  int count = 1;      // sets made, from the seed on
  bool mark = false;  // every page carries its set's seed
  bool help = false;
  bool version = false;
};

// A usage error: the message names the option and the reason; the run writes nothing.
struct BatchUsageError {
  QString message;
};

// "--json" for "json".
QString OptionName(const char* name);
// A usage error naming the option, with the reason in Japanese and in English.
BatchUsageError BatchOptionError(const QString& option, const QString& japanese,
                                 const QString& english);
// Says a failure of the run on standard error.
void PrintBatchError(const QString& message);
// A seed as the command line gives it: a whole number from 0 to 4294967295; none otherwise.
std::optional<std::uint32_t> SeedOfText(const QString& text);

// Whether the arguments ask for a run without a window.
bool IsBatchRun(int argc, char** argv);

// Whether `name` (without its dashes) is one of the options only the batch mode takes.
bool IsBatchOptionName(const QString& name);

// Throws BatchUsageError for the first argument whose bytes are not valid UTF-8 (Qt's
// file names are UTF-8, so such a name would be written under another), naming it escaped
// ("\xff\xfe.json") with the option it is the value of.
void CheckArgumentBytes(int argc, char** argv);

// Reads the arguments (program name first). Throws BatchUsageError.
BatchOptions ParseBatchOptions(const QStringList& arguments);

QString BatchHelpText();

// Runs the batch: 0 done, 1 a failure while writing, 2 bad input. Messages go to standard
// error, the JSON to standard output when asked for "-".
int RunBatch(int argc, char** argv);

}  // namespace tamariko
