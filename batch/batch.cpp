#include "batch/batch.h"

#include <limits.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/class_print.h"
#include "app/input_limits.h"
#include "app/papers.h"
#include "app/pupils.h"
#include "core/contest_header.h"
#include "core/error.h"
#include "kentei/exam_sheet.h"
#include "platform/spooler_paper.h"
#include "platform/staged_file.h"

namespace tamariko {
namespace {

// The most sets one run makes: a month of daily versions for a large school, and a bound
// on what one run can write.
constexpr int kMaxSets = 1000;

// The options only the batch mode takes, with the name of their value (none for a flag).
struct BatchOption {
  const char* name;
  const char* value;
};
constexpr BatchOption kBatchOptions[] = {
    {"seed", "N"},         {"round", "TEXT"},   {"heading1", "TEXT"}, {"heading2", "TEXT"},
    {"organizer", "TEXT"}, {"sheets", "LIST"},  {"json", "FILE"},     {"png", "DIR"},
    {"pdf", "FILE"},       {"printer", "NAME"}, {"paper", "NAME"},    {"count", "N"},
    {"mark", nullptr},     {"exam", "KEY"},     {"class", "FILE"}};

// The options that say where the run's work goes; a run needs one of them.
constexpr const char* kOutputOptions[] = {"json", "png", "pdf", "printer"};

// A whole number of digits only, any number of them leading zeros, at most `max`.
std::optional<std::uint64_t> WholeNumber(const QString& text, std::uint64_t max) {
  if (text.isEmpty()) return std::nullopt;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
  }
  qsizetype zeros = 0;
  while (zeros < text.size() - 1 && text[zeros] == u'0') ++zeros;
  if (text.size() - zeros > 10) return std::nullopt;
  const qulonglong value = text.mid(zeros).toULongLong();
  if (value > max) return std::nullopt;
  return value;
}

std::uint32_t ParseSeed(const QString& text) {
  const auto seed = SeedOfText(text);
  if (!seed) {
    throw BatchOptionError(
        OptionName("seed"), QStringLiteral("「%1」は 0〜4294967295 の整数ではありません").arg(text),
        QStringLiteral("'%1' is not a whole number from 0 to 4294967295").arg(text));
  }
  return *seed;
}

QString ParseRound(const QString& text) {
  const auto round = RoundOfText(text);
  if (!round) {
    throw BatchOptionError(OptionName("round"),
                           QStringLiteral("「%1」は回数になりません。%2").arg(text, RoundRule()),
                           QStringLiteral("'%1' is not a round: up to %2 digits, 0 to 99")
                               .arg(text)
                               .arg(kRoundDigits));
  }
  return *round;
}

int ParseCount(const QString& text) {
  const auto count = WholeNumber(text, kMaxSets);
  if (!count || *count < 1) {
    throw BatchOptionError(
        OptionName("count"),
        QStringLiteral("「%1」は 1〜%2 の整数ではありません").arg(text).arg(kMaxSets),
        QStringLiteral("'%1' is not a whole number from 1 to %2").arg(text).arg(kMaxSets));
  }
  return static_cast<int>(*count);
}

int ParsePaper(const QString& name) {
  const int paper = PaperNumberOfName(name);
  if (paper == 0) {
    throw BatchOptionError(
        OptionName("paper"),
        QStringLiteral("「%1」という用紙はありません。使える用紙: %2").arg(name, PaperNamesList()),
        QStringLiteral("unknown paper '%1'; use one of %2").arg(name, PaperNamesList()));
  }
  return paper;
}

QStringList SheetKeys() {
  QStringList keys;
  for (const SheetInfo& sheet : ProblemSheets()) keys << sheet.key;
  return keys;
}

// Whether `key` names a problem sheet of a paper other than the default one.
bool OtherPapersSheet(const QString& key) {
  const TPaper* paper = PaperOfSheet(key);
  if (!paper || paper == &DefaultPaper()) return false;
  const std::vector<SheetInfo> sheets = ProblemSheets(*paper);
  return std::any_of(sheets.begin(), sheets.end(),
                     [&](const SheetInfo& sheet) { return sheet.key == key; });
}

// "a and b", "a, b and c".
QString Listed(const QStringList& names, const QString& separator, const QString& last) {
  if (names.size() < 2) return names.join(QString());
  return names.mid(0, names.size() - 1).join(separator) + last + names.last();
}

// The width a teacher's line may take, in whole millimetres.
QString RoomMm(const HeadingPlace& place) {
  return QString::number(static_cast<int>(place.endX - place.x));
}

// "shuzan-10, shuzan-9, ...": the --exam keys.
QString ExamKeys() {
  QStringList keys;
  for (const TPaper* paper : ExamPapers()) keys << paper->key;
  return keys.join(QStringLiteral(", "));
}

// A key, or a document's path where the argument names a file.
const TPaper& ParseExam(const QString& key) {
  if (NamesAFile(key)) {
    try {
      return ExamPaperFromFile(key);
    } catch (const Error& e) {
      throw BatchOptionError(OptionName("exam"), QString::fromUtf8(e.what()),
                             QStringLiteral("the paper document cannot be made"));
    }
  }
  const TPaper* paper = ExamPaperNamed(key);
  if (!paper) {
    throw BatchOptionError(
        OptionName("exam"), QStringLiteral("「%1」という検定はありません").arg(key),
        QStringLiteral("unknown exam '%1'; use one of %2, or list").arg(key, ExamKeys()));
  }
  return *paper;
}

// The pages of an exam paper --sheets names; the answer page comes with every run, but may
// be named.
QStringList ParseExamSheets(const QString& list, const TPaper& paper) {
  QStringList known;
  for (const SheetInfo& sheet : SheetsWithAnswerTable(paper)) known << sheet.key;
  QStringList chosen;
  for (const QString& name : list.split(u',')) {
    const QStringList names = name == QStringLiteral("all") ? known : QStringList{name};
    for (const QString& key : names) {
      if (!known.contains(key)) {
        throw BatchOptionError(
            OptionName("sheets"),
            QStringLiteral("「%1」は検定 %2 の用紙にありません").arg(key, paper.key),
            QStringLiteral("'%1' is no page of exam %2; use %3, or all (exams: %4)")
                .arg(key, paper.key, known.join(QStringLiteral(", ")), ExamKeys()));
      }
      if (!chosen.contains(key)) chosen << key;
    }
  }
  return chosen;
}

QStringList ParseSheets(const QString& list) {
  const QStringList known = SheetKeys();
  QStringList chosen;
  for (const QString& name : list.split(u',')) {
    if (name == QStringLiteral("all")) {
      for (const QString& key : known) {
        if (!chosen.contains(key)) chosen << key;
      }
      continue;
    }
    if (!known.contains(name) && !OtherPapersSheet(name)) {
      throw BatchOptionError(
          OptionName("sheets"), QStringLiteral("「%1」という問題はありません").arg(name),
          QStringLiteral("unknown sheet '%1'; use %2, or all")
              .arg(name, Listed(known, QStringLiteral(", "), QStringLiteral(" and "))));
    }
    if (!chosen.contains(name)) chosen << name;
  }
  // A run makes one paper.
  for (const QString& name : chosen) {
    if (PaperOfSheet(name) != PaperOfSheet(chosen.first())) {
      throw BatchOptionError(
          OptionName("sheets"),
          QStringLiteral("「%1」と「%2」は別の用紙の問題です").arg(chosen.first(), name),
          QStringLiteral("sheets '%1' and '%2' are of different papers").arg(chosen.first(), name));
    }
  }
  return chosen;
}

// A folder the run can create files in, tried for real: permissions alone do not say it
// for every file system.
bool FolderTakesFiles(const QString& folder) {
  const QFileInfo info(folder);
  if (!info.isDir()) return false;
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tamariko-probe-XXXXXX")));
  return probe.open();
}

void CheckFolder(const char* option, const QString& folder, const QString& forFile) {
  const QFileInfo info(folder);
  if (!info.exists()) {
    throw BatchOptionError(OptionName(option),
                           QStringLiteral("フォルダ「%1」がありません").arg(folder),
                           QStringLiteral("folder '%1' does not exist").arg(folder));
  }
  if (!FolderTakesFiles(folder)) {
    throw BatchOptionError(
        OptionName(option), QStringLiteral("フォルダ「%1」に書き込めません").arg(folder),
        QStringLiteral("folder '%1' cannot be written%2")
            .arg(folder, forFile.isEmpty() ? QString() : QStringLiteral(" for '%1'").arg(forFile)));
  }
}

void CheckOutputFile(const char* option, const QString& file) {
  if (file.isEmpty()) {
    throw BatchOptionError(OptionName(option), QStringLiteral("ファイル名がありません"),
                           QStringLiteral("no file name given"));
  }
  const QFileInfo info(file);
  if (info.isDir()) {
    throw BatchOptionError(OptionName(option), QStringLiteral("「%1」はフォルダです").arg(file),
                           QStringLiteral("'%1' is a folder, not a file").arg(file));
  }
  // A file is replaced by renaming a finished one over it; a device is written into, once
  // OutputPaths has seen that it is one that can be.
  if (info.exists() && !info.isFile()) return;
  // Through a link, the file behind it is written.
  QByteArray unfaithful;
  const QFileInfo written(FileBehindLinks(file, &unfaithful));
  if (!unfaithful.isEmpty()) {
    throw BatchOptionError(
        OptionName(option),
        QStringLiteral("リンク「%1」の先「%2」は UTF-8 の名前ではありません")
            .arg(file, EscapedBytes(unfaithful)),
        QStringLiteral("the link '%1' leads to '%2', a name that is not valid UTF-8 and would "
                       "be written under another name")
            .arg(file, EscapedBytes(unfaithful)));
  }
  CheckFolder(option, written.absolutePath(), file);
  // The file is written under a temporary name and renamed at the end, so a name the folder
  // cannot hold would fail only after the other files are written.
  const QByteArray folder = QFile::encodeName(written.absolutePath());
  const long nameMax = pathconf(folder.constData(), _PC_NAME_MAX);
  const qsizetype nameBytes = QFile::encodeName(written.fileName()).size();
  if (nameBytes > (nameMax > 0 ? nameMax : 255) ||
      QFile::encodeName(written.absoluteFilePath()).size() >= PATH_MAX) {
    throw BatchOptionError(OptionName(option), QStringLiteral("ファイル名が長すぎます"),
                           QStringLiteral("file name too long"));
  }
}

// A value taken from the next argument even when that is an option ("--json --png x")
// would name a file "--png": refuse what looks like an option.
void CheckNotAnOption(const char* option, const QString& value) {
  if (value.startsWith(u'-') && value != QStringLiteral("-")) {
    throw BatchOptionError(
        OptionName(option),
        QStringLiteral("「%1」は指定のように見えます。その名前なら ./%1 と書いてください")
            .arg(value),
        QStringLiteral("'%1' looks like an option; write ./%1 for a file of that name").arg(value));
  }
}

BatchUsageError ParseError(const QCommandLineParser& parser, const QStringList& arguments) {
  const QStringList unknown = parser.unknownOptionNames();
  if (!unknown.isEmpty()) {
    // Name it as it was typed: "-colour", "--colour" or "--colour=red".
    QString typed = QStringLiteral("--") + unknown.front();
    for (const QString& argument : arguments.mid(1)) {
      if (!argument.startsWith(u'-')) continue;
      const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
      if (name.section(u'=', 0, 0) == unknown.front()) {
        typed = argument;
        break;
      }
    }
    return {QStringLiteral("「%1」という指定はありません (unknown option '%1'; see --batch --help)")
                .arg(typed)};
  }
  const QString text = parser.errorText();
  const QString option = text.section(u'\'', 1, 1);
  if (text.startsWith(QStringLiteral("Missing value"))) {
    return BatchOptionError(option, QStringLiteral("値がありません"),
                            QStringLiteral("missing value"));
  }
  if (text.startsWith(QStringLiteral("Unexpected value"))) {
    return BatchOptionError(option, QStringLiteral("値は取りません"),
                            QStringLiteral("takes no value"));
  }
  return {QStringLiteral("指定が正しくありません (%1 see --batch --help)").arg(text)};
}

// A relative output path is taken from the current folder, whose name must then read as
// text too.
void CheckCurrentFolder(const char* option, const QString& path) {
  if (path == QStringLiteral("-") || QDir::isAbsolutePath(path)) return;
  QByteArray folder(PATH_MAX, '\0');
  if (::getcwd(folder.data(), static_cast<size_t>(folder.size())) == nullptr) return;
  folder.truncate(static_cast<qsizetype>(std::strlen(folder.constData())));
  if (IsFaithfulName(folder)) return;
  throw BatchOptionError(
      OptionName(option),
      QStringLiteral(
          "今のフォルダ「%1」の名前は UTF-8 ではありません。/ から始まる名前で書いてください")
          .arg(EscapedBytes(folder)),
      QStringLiteral("the current folder '%1' has a name that is not valid UTF-8; give the path "
                     "from /")
          .arg(EscapedBytes(folder)));
}

// The list of --class: read whole, every line readable, one pupil ticked at least. A class
// run makes each pupil's own paper, so it takes none of the options that choose one.
template <typename IsSet>
void ParseClass(const QString& path, const IsSet& isSet, BatchOptions& options) {
  for (const char* other : {"exam", "sheets", "count", "png"}) {
    if (isSet(other)) {
      throw BatchOptionError(OptionName("class"),
                             QStringLiteral("%1 と一緒には使えません").arg(OptionName(other)),
                             QStringLiteral("cannot be used with %1").arg(OptionName(other)));
    }
  }
  auto list = std::make_shared<PupilList>();
  try {
    *list = ReadPupilFile(path);
  } catch (const Error& e) {
    throw BatchOptionError(OptionName("class"), QString::fromUtf8(e.what()),
                           QStringLiteral("the list cannot be read"));
  }
  if (const QString bad = FirstBadLine(*list); !bad.isEmpty()) {
    throw BatchOptionError(OptionName("class"), QStringLiteral("「%1」の %2").arg(path, bad),
                           QStringLiteral("a line of '%1' cannot be read").arg(path));
  }
  if (std::none_of(list->pupils.begin(), list->pupils.end(),
                   [](const Pupil& p) { return p.ticked; })) {
    throw BatchOptionError(OptionName("class"),
                           QStringLiteral("「%1」に印刷する生徒がいません").arg(path),
                           QStringLiteral("no pupil of '%1' is ticked").arg(path));
  }
  options.classFile = path;
  options.pupils = std::move(list);
  options.sheets.clear();
}

}  // namespace

void CheckArgumentBytes(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray bytes(argv[i]);
    if (IsFaithfulName(bytes)) continue;
    // Named by the option it is the value of, when it is one.
    const QByteArray before = i > 1 ? QByteArray(argv[i - 1]) : QByteArray();
    QString option = before.startsWith('-') && before.size() > 1 && !before.contains('=')
                         ? QString::fromUtf8(before)
                         : QStringLiteral("引数 / argument");
    // Text printed on the sheets, not a name: "--organizer=…" too.
    for (const char* text : {"round", "heading1", "heading2", "organizer"}) {
      const QByteArray name = QByteArray("--") + text;
      if (before != name && before != "-" + name.mid(2) && !bytes.startsWith(name + '=') &&
          !bytes.startsWith("-" + name.mid(2) + '=')) {
        continue;
      }
      throw BatchOptionError(
          OptionName(text),
          QStringLiteral("「%1」は UTF-8 の文字ではないため、用紙に印刷できません")
              .arg(EscapedBytes(bytes)),
          QStringLiteral("'%1' is not valid UTF-8 text and cannot be printed on the sheets")
              .arg(EscapedBytes(bytes)));
    }
    throw BatchOptionError(
        option,
        QStringLiteral("「%1」は UTF-8 ではないため、別の名前で書かれてしまいます。何も書きません")
            .arg(EscapedBytes(bytes)),
        QStringLiteral("'%1' is not valid UTF-8; a file of that name would be written under "
                       "another name, so nothing is written")
            .arg(EscapedBytes(bytes)));
  }
}

std::optional<std::uint32_t> SeedOfText(const QString& text) {
  const auto value = WholeNumber(text, 4294967295ull);
  if (!value) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

void PrintBatchError(const QString& message) {
  std::fprintf(stderr, "tamariko: %s\n", message.toLocal8Bit().constData());
}

QString OptionName(const char* name) { return QStringLiteral("--") + QLatin1String(name); }

BatchUsageError BatchOptionError(const QString& option, const QString& japanese,
                                 const QString& english) {
  return {option + QStringLiteral(": ") + japanese + QStringLiteral(" (") + english +
          QStringLiteral(")")};
}

bool IsBatchOptionName(const QString& name) {
  return std::any_of(std::begin(kBatchOptions), std::end(kBatchOptions),
                     [&](const BatchOption& o) { return name == QLatin1String(o.name); });
}

bool IsBatchRun(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--batch") == 0) return true;
  }
  return false;
}

// Each sheet's key and what it holds, in tab order; the answer table covers the sheets made.
QString SheetsHelp() {
  QString text = QStringLiteral("問題 / sheets:\n");
  for (const SheetInfo& sheet : ProblemSheets()) {
    const QStringList lines = sheet.summary.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      text += QStringLiteral("  %1%2\n").arg(i == 0 ? sheet.key : QString(), -10).arg(lines[i]);
    }
  }
  return text + QStringLiteral(
                    "  解答表 (kaitou) はいつも最後に付き、作った問題の答えが入ります。\n"
                    "  the answer table (kaitou) always comes last, with the answers of\n"
                    "  the sheets made.\n\n");
}

QString BatchHelpText() {
  const QStringList keys = SheetKeys();
  QStringList pngs;
  for (const QString& key : keys + QStringList{kAnswerSheet.key})
    pngs << key + QStringLiteral(".png");
  return QStringLiteral(
             "使い方 / usage: tamariko --batch [options]\n"
             "\n"
             "ウィンドウを開かずに問題を作り、ファイルやプリンタに出力します。\n"
             "Makes the problems without a window and writes them to files or a printer.\n"
             "\n"
             "  --seed N          乱数の種 (0〜4294967295)。同じ種と設定なら同じ問題になります。\n"
             "                    seed of the random numbers (0 to 4294967295); the same seed and\n"
             "                    options give the same problems. Default: the clock.\n"
             "  --round TEXT      第○回の回数、数字2桁まで (全角の数字も可)\n"
             "                    contest round, up to two digits (default \"1\")\n"
             "  --heading1 TEXT   上の見出し (既定は \"タマリコ\")\n"
             "                    first heading line (default \"タマリコ\")\n"
             "  --heading2 TEXT   大きな見出し (既定は \"タマリコ練習問題\")\n"
             "                    second heading line (default \"タマリコ練習問題\")\n"
             "                    見出しは大会問題では「参加部門」の枠の手前まで (上は幅\n"
             "                    102 mm、大きな見出しは幅 130 mm)、検定練習では「受験番号」\n"
             "                    の枠の手前まで (どちらも幅 144 mm) に収まる長さまでです。\n"
             "                    each heading must fit before the division box of the contest\n"
             "                    sheets (102 mm for the first, 130 mm for the second), or the\n"
             "                    number box of the exam papers (144 mm each).\n"
             "  --organizer TEXT  用紙の下に印刷する教室名 (既定は \"ORVぽろね教室\"、空なら\n"
             "                    印刷しません)。11 ポイントで入らなければ 8 ポイントまで\n"
             "                    小さくします。大会問題では幅 %5 mm、検定練習では幅 %6 mm\n"
             "                    に収まる長さまでです。\n"
             "                    the school printed at the foot of every sheet (default\n"
             "                    \"ORVぽろね教室\"; empty prints none), at 11 pt, down to\n"
             "                    8 pt where it is long: up to %5 mm on the contest sheets,\n"
             "                    %6 mm on the exam papers.\n"
             "                    制御文字や用紙の書体にない文字は使えません。\n"
             "                    control characters and characters the sheets' font lacks\n"
             "                    are refused.\n"
             "  --sheets LIST     作る問題 %1 をカンマ区切りで、all はすべて\n"
             "                    (既定は mitori,kake; 下の「問題」を参照)\n"
             "                    sheets to make, comma list of %2, or all\n"
             "                    (default mitori,kake; see the sheets below)\n"
             "  --exam KEY        大会問題の代わりに検定練習の用紙を作ります。KEY は\n"
             "                    %8\n"
             "                    --sheets はその用紙のページ omote, ura (2枚の級), 段位は\n"
             "                    kake, wari, mitori1, mitori2, それに kaitou を選び、既定は\n"
             "                    問題のページすべて。PNG は shuzan-8-omote.png のように\n"
             "                    KEY 付き。--exam list で KEY と級の名前を出します。\n"
             "                    KEY の代わりに用紙のファイル (/ を含むか .json で終わる)\n"
             "                    も使えます。自分の用紙は ~/.local/share/tamariko/papers に。\n"
             "                    makes an exam-practice paper instead of the contest paper,\n"
             "                    KEY one of those; --sheets picks its pages: omote, ura (grades\n"
             "                    of two pages), kake, wari, mitori1, mitori2 (段位), kaitou\n"
             "                    (default: every problem page); PNG files are named\n"
             "                    KEY-PAGE.png. --exam list prints the keys and names. A paper\n"
             "                    document's path (with a / or ending in .json) works as a KEY;\n"
             "                    your own go in $XDG_DATA_HOME/tamariko/papers.\n"
             "  --json FILE       問題と答えを JSON で書きます (- は標準出力)\n"
             "                    writes problems and answers as JSON (- for standard output)\n"
             "  --png DIR         プレビューを PNG で書きます / writes the previews as PNG\n"
             "                    files into DIR: %3\n"
             "  --pdf FILE        印刷する用紙を1つの PDF に書きます (1枚1ページ。- は標準出力)\n"
             "                    prints the sheets into one PDF, one page per sheet\n"
             "                    (- for standard output)\n"
             "  --printer NAME    そのプリンタに印刷します / prints the sheets on that printer\n"
             "  --paper NAME      PDF と印刷の用紙 %7 (既定は B4)。\n"
             "                    B4 の問題用紙をその用紙に合わせて縮小・拡大します。\n"
             "                    A4 に印刷するには --paper A4。B4 のないプリンタは A4 "
             "になります。\n"
             "                    paper of the PDF and the print jobs: %7\n"
             "                    (default B4; B4 and B5 are the JIS sizes); the B4 page is\n"
             "                    fitted to it. To print on A4: --paper A4. A printer without\n"
             "                    B4 gets A4.\n"
             "  --count N         N 組 (1〜1000) 作ります。n 組目は種 SEED+n-1 の組と同じです。\n"
             "                    PNG は mitori-0001.png のように番号付き、JSON は1行1組、\n"
             "                    PDF と印刷は組ごとに解答表まで続けて出ます。\n"
             "                    makes N sets (1 to 1000); set n is the set of seed SEED+n-1.\n"
             "                    PNG files are numbered (mitori-0001.png ...), the JSON has one\n"
             "                    line per set, the PDF and the printer get each set in turn.\n"
             "  --mark            どのページにも組の種を小さく入れます (例 No.3141592653)。\n"
             "                    問題と解答表を合わせ、同じ組をまた作るのに使います。\n"
             "                    prints the set's seed small on every page (e.g. No.3141592653)\n"
             "                    to match sheets with their answer table and make a set again.\n"
             "  --class FILE      名簿 (CSV) の印の付いた生徒それぞれに、その用紙を氏名と\n"
             "                    受験番号入りで作ります。n 人目は問題番号 SEED+n-1。並びは\n"
             "                    用紙の順、ふりがな順。PDF と印刷は全員の問題、一覧、全員の\n"
             "                    解答の順。JSON は1行1人で \"pupil\" 付き。\n"
             "                    makes each ticked pupil of the list (CSV) their paper with\n"
             "                    their name and number; pupil n takes seed SEED+n-1, in the\n"
             "                    papers' order, then by ふりがな. The PDF and printer get every\n"
             "                    problem page, an overview, then every answer page; the JSON\n"
             "                    has one line per pupil with a member \"pupil\".\n"
             "  --help            この説明 / this help\n"
             "  --version         版 / version\n"
             "\n"
             "%4"
             "使った種は標準エラーに出ます。The seed used is printed on standard error.\n"
             "ファイルはすべて書き終えてから置き換えます。FIFO や /dev/null などの\n"
             "デバイスには、ファイルを置いた後で書き込みます。\n"
             "Files are replaced only once all are complete; a FIFO or a device such as\n"
             "/dev/null is written into after the files are in place.\n"
             "\n"
             "ファイルはすべて置き換えるか、1つも置き換えないかのどちらかです。\n"
             "The files are all put in place, or none is.\n"
             "\n"
             "終了コード / exit status: 0 成功 done, 1 書き込みの失敗 failure while writing,\n"
             "2 入力の誤り bad input (nothing written: also no output option, one file named\n"
             "twice, a name that is not UTF-8),\n"
             "128+シグナル番号 SIGTERM・SIGHUP・SIGINT で中止\n"
             "128 + the signal: ended by SIGTERM, SIGHUP or SIGINT.\n"
             "1 と 128+ のときは、置いたファイルと、書き終えた・途中で切れた出力を言います。\n"
             "On 1 and 128 + the signal the message says which files were put in place and\n"
             "which streams were written in full or cut short.\n")
      .arg(keys.join(QStringLiteral(", ")),
           Listed(keys, QStringLiteral(", "), QStringLiteral(" and ")),
           pngs.join(QStringLiteral(", ")), SheetsHelp(), RoomMm(kContestPlaces.organizer),
           RoomMm(kExamPlaces.organizer), PaperNamesList(), ExamKeys());
}

BatchOptions ParseBatchOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const BatchOption& o : kBatchOptions) {
    parser.addOption(o.value ? QCommandLineOption(QLatin1String(o.name), {}, QLatin1String(o.value))
                             : QCommandLineOption(QLatin1String(o.name)));
  }
  for (const char* name : {"batch", "help", "version"}) {
    parser.addOption(QCommandLineOption(QLatin1String(name)));
  }
  if (!parser.parse(arguments)) throw ParseError(parser, arguments);
  if (!parser.positionalArguments().isEmpty()) {
    throw BatchUsageError{QStringLiteral("余分な引数「%1」 (unexpected argument '%1')")
                              .arg(parser.positionalArguments().front())};
  }
  // A value given twice is most likely a mistake in a script; say so rather than guess.
  for (const BatchOption& o : kBatchOptions) {
    if (o.value && parser.values(QLatin1String(o.name)).size() > 1) {
      throw BatchOptionError(OptionName(o.name), QStringLiteral("2回以上指定されています"),
                             QStringLiteral("given more than once"));
    }
  }
  const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
  const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };

  BatchOptions options;
  options.help = isSet("help");
  options.version = isSet("version");
  if (isSet("seed")) options.seed = ParseSeed(value("seed"));
  if (isSet("count")) options.count = ParseCount(value("count"));
  if (isSet("paper")) options.paper = ParsePaper(value("paper"));
  options.mark = isSet("mark");
  if (isSet("round")) options.round = ParseRound(value("round"));
  if (isSet("heading1")) options.heading1 = value("heading1");
  if (isSet("heading2")) options.heading2 = value("heading2");
  if (isSet("organizer")) options.organizer = value("organizer");
  if (isSet("exam") && value("exam") == QStringLiteral("list")) {
    options.listExams = true;
  } else if (isSet("exam")) {
    const TPaper& paper = ParseExam(value("exam"));
    options.exam = paper.key;
    options.examPaper = &paper;
    options.sheets.clear();
    for (const SheetInfo& sheet : ProblemSheets(paper)) options.sheets << sheet.key;
    if (isSet("sheets")) options.sheets = ParseExamSheets(value("sheets"), paper);
  } else if (isSet("sheets")) {
    options.sheets = ParseSheets(value("sheets"));
  }
  if (isSet("class")) ParseClass(value("class"), isSet, options);
  options.json = value("json");
  options.pngFolder = value("png");
  options.pdf = value("pdf");
  options.printer = value("printer");
  for (const char* name : {"json", "png", "pdf"}) {
    if (isSet(name)) CheckNotAnOption(name, value(name));
  }
  for (const char* name : {"json", "png", "pdf"}) {
    if (isSet(name)) CheckCurrentFolder(name, value(name));
  }
  if (isSet("json") && options.json != QStringLiteral("-")) CheckOutputFile("json", options.json);
  if (isSet("png")) CheckFolder("png", options.pngFolder, {});
  if (isSet("pdf") && options.pdf != QStringLiteral("-")) CheckOutputFile("pdf", options.pdf);
  if (isSet("printer") && options.printer.isEmpty()) {
    throw BatchOptionError(OptionName("printer"), QStringLiteral("プリンタ名がありません"),
                           QStringLiteral("no printer name given"));
  }
  // A run without one would make the sets for nothing.
  if (!options.help && !options.version && !options.listExams &&
      std::none_of(std::begin(kOutputOptions), std::end(kOutputOptions), isSet)) {
    QStringList outputs;
    for (const char* name : kOutputOptions) {
      const auto o =
          std::find_if(std::begin(kBatchOptions), std::end(kBatchOptions),
                       [&](const BatchOption& b) { return std::strcmp(b.name, name) == 0; });
      outputs << OptionName(name) + QLatin1Char(' ') + QLatin1String(o->value);
    }
    const QString listed = Listed(outputs, QStringLiteral(", "), QStringLiteral(" or "));
    throw BatchUsageError{
        QStringLiteral("出力先がありません。%1 のどれかを指定してください (no output: give %2)")
            .arg(outputs.join(QStringLiteral("、")), listed)};
  }
  return options;
}

}  // namespace tamariko
