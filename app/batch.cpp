#include "app/batch.h"

#include "app/arguments.h"

#include <limits.h>
#include <unistd.h>

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/workbook.h"
#include "core/error.h"
#include "core/random.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"
#include "platform/resource.h"
#include "platform/staged_file.h"
#include "printing/qxprinters.h"

namespace tamariko {
namespace {

void PrintError(const QString& message) {
  std::fprintf(stderr, "tamariko: %s\n", message.toLocal8Bit().constData());
}

QString Option(const char* name) { return QStringLiteral("--") + QLatin1String(name); }

BatchUsageError UsageError(const QString& option, const QString& japanese, const QString& english) {
  return {option + QStringLiteral(": ") + japanese + QStringLiteral(" (") + english +
          QStringLiteral(")")};
}

std::uint32_t ParseSeed(const QString& text) {
  bool ok = !text.isEmpty();
  for (QChar c : text) ok = ok && c >= u'0' && c <= u'9';
  const qulonglong value = ok && text.size() <= 10 ? text.toULongLong(&ok) : 0;
  if (!ok || text.size() > 10 || value > 4294967295ull) {
    throw UsageError(Option("seed"),
                     QStringLiteral("「%1」は 0〜4294967295 の整数ではありません").arg(text),
                     QStringLiteral("'%1' is not a whole number from 0 to 4294967295").arg(text));
  }
  return static_cast<std::uint32_t>(value);
}

void ParseSheets(const QString& list, BatchOptions& options) {
  options.mental = options.multiplication = false;
  for (const QString& name : list.split(u',')) {
    if (name == QStringLiteral("mitori")) {
      options.mental = true;
    } else if (name == QStringLiteral("kake")) {
      options.multiplication = true;
    } else {
      throw UsageError(Option("sheets"), QStringLiteral("「%1」という問題はありません").arg(name),
                       QStringLiteral("unknown sheet '%1'; use mitori and kake").arg(name));
    }
  }
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
    throw UsageError(Option(option), QStringLiteral("フォルダ「%1」がありません").arg(folder),
                     QStringLiteral("folder '%1' does not exist").arg(folder));
  }
  if (!FolderTakesFiles(folder)) {
    throw UsageError(
        Option(option), QStringLiteral("フォルダ「%1」に書き込めません").arg(folder),
        QStringLiteral("folder '%1' cannot be written%2")
            .arg(folder, forFile.isEmpty() ? QString() : QStringLiteral(" for '%1'").arg(forFile)));
  }
}

void CheckOutputFile(const char* option, const QString& file) {
  if (file.isEmpty()) {
    throw UsageError(Option(option), QStringLiteral("ファイル名がありません"),
                     QStringLiteral("no file name given"));
  }
  const QFileInfo info(file);
  if (info.isDir()) {
    throw UsageError(Option(option), QStringLiteral("「%1」はフォルダです").arg(file),
                     QStringLiteral("'%1' is a folder, not a file").arg(file));
  }
  // The file is replaced by renaming a finished one over it: never do that to a device.
  if (info.exists() && !info.isFile()) {
    throw UsageError(Option(option),
                     QStringLiteral("「%1」は普通のファイルではありません").arg(file),
                     QStringLiteral("'%1' is not a regular file").arg(file));
  }
  CheckFolder(option, QFileInfo(file).absolutePath(), file);
  // The file is written unnamed and linked under its name at the end, so a name the folder
  // cannot hold would fail only after the other files are written.
  const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
  const long nameMax = pathconf(folder.constData(), _PC_NAME_MAX);
  const qsizetype nameBytes = QFile::encodeName(QFileInfo(file).fileName()).size();
  if (nameBytes > (nameMax > 0 ? nameMax : 255) ||
      QFile::encodeName(QFileInfo(file).absoluteFilePath()).size() >= PATH_MAX) {
    throw UsageError(Option(option), QStringLiteral("ファイル名が長すぎます"),
                     QStringLiteral("file name too long"));
  }
}

// A value taken from the next argument even when that is an option ("--json --png x")
// would name a file "--png": refuse what looks like an option.
void CheckNotAnOption(const char* option, const QString& value) {
  if (value.startsWith(u'-') && value != QStringLiteral("-")) {
    throw UsageError(
        Option(option),
        QStringLiteral("「%1」は指定のように見えます。その名前なら ./%1 と書いてください")
            .arg(value),
        QStringLiteral("'%1' looks like an option; write ./%1 for a file of that name").arg(value));
  }
}

template <std::size_t N, typename Get>
QByteArray JsonArray(Get get) {
  QByteArray out("[");
  for (std::size_t i = 0; i < N; ++i) {
    if (i) out += ", ";
    out += QByteArray::number(static_cast<qlonglong>(get(static_cast<std::int32_t>(i))));
  }
  return out + "]";
}

QByteArray SetJson(std::uint32_t seed, const TMitori1_1& mental, const Tkake& multiplication) {
  QByteArray json = "{\"seed\": " + QByteArray::number(seed);
  json += ", \"mental\": {\"numbers\": " +
          JsonArray<TMitori1_1::kNumberCount>([&](int i) { return mental.GetNumber(i); });
  json += ", \"answers\": " +
          JsonArray<TMitori1_1::kProblemCount>([&](int i) { return mental.GetAnswer(i); });
  json += "}, \"multiplication\": {\"multiplicands\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetMultiplicand(i); });
  json += ", \"multipliers\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetMultiplier(i); });
  json += ", \"answers\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetAnswer(i); });
  return json + "}}\n";
}

// PNG is made in memory: the encoder's own write errors say nothing useful, the staged
// file's do.
QByteArray PngBytes(const QString& path, const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    throw Error(QStringLiteral("「%1」の画像を作れませんでした (cannot encode '%1' as PNG)")
                    .arg(path)
                    .toStdString());
  }
  return bytes;
}

class BatchTexts : public TSheetTexts {
 public:
  explicit BatchTexts(const BatchOptions& o) : o_(o) {}
  QString RoundText() const override { return o_.round; }
  QString Heading1() const override { return o_.heading1; }
  QString Heading2() const override { return o_.heading2; }

 private:
  const BatchOptions& o_;
};

// Puts the named printer in force with B4 paper, as the program start does.
void UsePrinter(const QString& name) {
  TQxPrinter& printer = QxPrinter();
  printer.Framework().SelectPrinter(name);
  printer.ResetPrinter();
  printer.SetPaperSizeNumber(DMPAPER_B4);
  printer.ApplySettings();
}

// Draws a preview as its tab shows it and stages it as PNG.
void WritePreview(StagedOutputs& outputs, const QString& folder, const char* name,
                  const TWorkbook::PreviewDraw& draw) {
  const PageMapping mapping = PreviewMappingOf(QxPrinter());
  QImage page = MakePreviewImage();
  {
    QPainterCanvas canvas(&page);
    draw(canvas, mapping);
  }
  const QString path = QDir(folder).filePath(QLatin1String(name));
  outputs.Add(StagedFile::Written(path, PngBytes(path, page)));
}

// The parser's own message is English only; say the common cases in both languages.
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
    return UsageError(option, QStringLiteral("値がありません"), QStringLiteral("missing value"));
  }
  if (text.startsWith(QStringLiteral("Unexpected value"))) {
    return UsageError(option, QStringLiteral("値は取りません"), QStringLiteral("takes no value"));
  }
  return {QStringLiteral("指定が正しくありません (%1 see --batch --help)").arg(text)};
}

}  // namespace

bool IsBatchOptionName(const QString& name) {
  static const QStringList names = {
      QStringLiteral("seed"),     QStringLiteral("round"),  QStringLiteral("heading1"),
      QStringLiteral("heading2"), QStringLiteral("sheets"), QStringLiteral("json"),
      QStringLiteral("png"),      QStringLiteral("pdf"),    QStringLiteral("printer")};
  return names.contains(name);
}

bool IsBatchRun(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--batch") == 0) return true;
  }
  return false;
}

QString BatchHelpText() {
  return QStringLiteral(
      "使い方 / usage: tamariko --batch [options]\n"
      "\n"
      "ウィンドウを開かずに問題を作り、ファイルやプリンタに出力します。\n"
      "Makes the problems without a window and writes them to files or a printer.\n"
      "\n"
      "  --seed N          乱数の種 (0〜4294967295)。同じ種と設定なら同じ問題になります。\n"
      "                    seed of the random numbers (0 to 4294967295); the same seed and\n"
      "                    options give the same problems. Default: the clock.\n"
      "  --round TEXT      第○回の回数 / contest round (default \"1\")\n"
      "  --heading1 TEXT   上の見出し / first heading line (default \"タマリコ\")\n"
      "  --heading2 TEXT   大きな見出し / second heading line (default \"タマリコ練習問題\")\n"
      "  --sheets LIST     作る問題 mitori, kake をカンマ区切りで (既定は両方)\n"
      "                    sheets to make, comma list of mitori and kake (default both)\n"
      "  --json FILE       問題と答えを JSON で書きます (- は標準出力)\n"
      "                    writes problems and answers as JSON (- for standard output)\n"
      "  --png DIR         プレビューを PNG で書きます (mitori.png, kake.png, kaitou.png)\n"
      "                    writes the previews as PNG files into DIR\n"
      "  --pdf FILE        印刷する用紙を1つの PDF に書きます (1枚1ページ、B4)\n"
      "                    prints the sheets into one PDF, one B4 page per sheet\n"
      "  --printer NAME    そのプリンタに印刷します / prints the sheets on that printer\n"
      "  --help            この説明 / this help\n"
      "  --version         版 / version\n"
      "\n"
      "使った種は標準エラーに出ます。The seed used is printed on standard error.\n"
      "終了コード / exit status: 0 成功 done, 1 書き込みの失敗 failure while writing,\n"
      "2 入力の誤り bad input (nothing written).\n");
}

BatchOptions ParseBatchOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption batch(QStringLiteral("batch"));
  const QCommandLineOption seed(QStringLiteral("seed"), {}, QStringLiteral("N"));
  const QCommandLineOption round(QStringLiteral("round"), {}, QStringLiteral("TEXT"));
  const QCommandLineOption heading1(QStringLiteral("heading1"), {}, QStringLiteral("TEXT"));
  const QCommandLineOption heading2(QStringLiteral("heading2"), {}, QStringLiteral("TEXT"));
  const QCommandLineOption sheets(QStringLiteral("sheets"), {}, QStringLiteral("LIST"));
  const QCommandLineOption json(QStringLiteral("json"), {}, QStringLiteral("FILE"));
  const QCommandLineOption png(QStringLiteral("png"), {}, QStringLiteral("DIR"));
  const QCommandLineOption pdf(QStringLiteral("pdf"), {}, QStringLiteral("FILE"));
  const QCommandLineOption printer(QStringLiteral("printer"), {}, QStringLiteral("NAME"));
  const QCommandLineOption help(QStringLiteral("help"));
  const QCommandLineOption version(QStringLiteral("version"));
  parser.addOptions(
      {batch, seed, round, heading1, heading2, sheets, json, png, pdf, printer, help, version});
  if (!parser.parse(arguments)) throw ParseError(parser, arguments);
  if (!parser.positionalArguments().isEmpty()) {
    throw BatchUsageError{QStringLiteral("余分な引数「%1」 (unexpected argument '%1')")
                              .arg(parser.positionalArguments().front())};
  }
  // A value given twice is most likely a mistake in a script; say so rather than guess.
  for (const auto* option :
       {&seed, &round, &heading1, &heading2, &sheets, &json, &png, &pdf, &printer}) {
    if (parser.values(*option).size() > 1) {
      const QString name = Option(option->names().front().toLatin1().constData());
      throw UsageError(name, QStringLiteral("2回以上指定されています"),
                       QStringLiteral("given more than once"));
    }
  }

  BatchOptions options;
  options.help = parser.isSet(help);
  options.version = parser.isSet(version);
  if (parser.isSet(seed)) options.seed = ParseSeed(parser.value(seed));
  if (parser.isSet(round)) options.round = parser.value(round);
  if (parser.isSet(heading1)) options.heading1 = parser.value(heading1);
  if (parser.isSet(heading2)) options.heading2 = parser.value(heading2);
  if (parser.isSet(sheets)) ParseSheets(parser.value(sheets), options);
  options.json = parser.value(json);
  options.pngFolder = parser.value(png);
  options.pdf = parser.value(pdf);
  options.printer = parser.value(printer);
  for (const auto* option : {&json, &png, &pdf}) {
    const QString name = option->names().front();
    if (parser.isSet(*option)) CheckNotAnOption(name.toLatin1().constData(), parser.value(*option));
  }
  if (parser.isSet(json) && options.json != QStringLiteral("-"))
    CheckOutputFile("json", options.json);
  if (parser.isSet(png)) CheckFolder("png", options.pngFolder, {});
  if (parser.isSet(pdf)) CheckOutputFile("pdf", options.pdf);
  if (parser.isSet(printer) && options.printer.isEmpty()) {
    throw UsageError(Option("printer"), QStringLiteral("プリンタ名がありません"),
                     QStringLiteral("no printer name given"));
  }
  return options;
}

int RunBatch(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  BatchOptions options;
  try {
    options = ParseBatchOptions(arguments);
  } catch (const BatchUsageError& e) {
    PrintError(e.message);
    return 2;
  }
  if (options.help) return WriteStandardOutput(BatchHelpText().toLocal8Bit()) ? 0 : 1;
  if (options.version) return WriteStandardOutput("tamariko " TAMARIKO_VERSION "\n") ? 0 : 1;

  // Drawing needs fonts and the printer's scale; the JSON alone needs neither.
  const bool draws =
      !options.pngFolder.isEmpty() || !options.pdf.isEmpty() || !options.printer.isEmpty();
  std::unique_ptr<QGuiApplication> app;
  std::shared_ptr<CupsSpooler> spooler;
  std::unique_ptr<ScopedQxPrinter> printer;
  if (draws) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    app = std::make_unique<QGuiApplication>(qtArgc, argv);
    try {
      InstallFaceSubstitutions();
      AddFontResource(kCarriedFace,
                      LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont")));
      spooler = std::make_shared<CupsSpooler>();
      printer = std::make_unique<ScopedQxPrinter>(spooler);
    } catch (const std::exception& e) {
      PrintError(QString::fromUtf8(e.what()));
      return 1;
    }
    const QString name =
        options.printer.isEmpty() ? QString::fromLatin1(kPdfPrinterName) : options.printer;
    // Only a CUPS queue needs the print server: files never wait on it.
    if (name != QLatin1String(kPdfPrinterName)) {
      if (!spooler->Refresh(CupsTimeoutMs() + 2000)) {
        PrintError(
            QStringLiteral("--printer: %1").arg(CupsNotAnsweringText(spooler->ServerFailure())));
        return 1;
      }
      const auto& queues = spooler->Queues();
      if (std::none_of(queues.begin(), queues.end(),
                       [&](const CupsQueue& q) { return q.name == name; })) {
        PrintError(UsageError(Option("printer"),
                              QStringLiteral("プリンタ「%1」はありません").arg(name),
                              QStringLiteral("no printer named '%1'").arg(name))
                       .message);
        return 2;
      }
    }
    try {
      UsePrinter(name);
    } catch (const std::exception& e) {
      PrintError(QStringLiteral("%1: %2").arg(
          options.printer.isEmpty() ? QStringLiteral("--pdf") : Option("printer"),
          QString::fromUtf8(e.what())));
      return 1;
    }
  }

  const std::uint32_t seed = options.seed ? *options.seed : ClockSeed();
  SetRandomSeed(seed);
  std::fprintf(stderr, "seed: %u\n", seed);

  try {
    // Every file is written in full first and put in place only when all are complete.
    StagedOutputs outputs;
    const BatchTexts texts(options);
    auto book = std::make_unique<TWorkbook>(&texts);
    // Previews are drawn while the problems are made, as on the tabs; without them the
    // same draws are made without drawing.
    const QString& png = options.pngFolder;
    TWorkbook::ShowPreview show;
    if (!png.isEmpty()) {
      show = [&](Sheet sheet, const TWorkbook::PreviewDraw& draw) {
        const char* name = sheet == Sheet::Mental           ? "mitori.png"
                           : sheet == Sheet::Multiplication ? "kake.png"
                                                            : "kaitou.png";
        WritePreview(outputs, png, name, draw);
      };
    }
    const SheetChoice choice{options.mental, options.multiplication, true};
    book->MakeProblems(choice, show);

    if (!options.json.isEmpty()) {
      const QByteArray json = SetJson(seed, book->Mental(), book->Multiplication());
      if (options.json == QStringLiteral("-")) {
        if (std::fwrite(json.constData(), 1, json.size(), stdout) !=
                static_cast<std::size_t>(json.size()) ||
            std::fflush(stdout) != 0) {
          const QString reason = PlainReason(errno);
          throw Error(
              QStringLiteral("標準出力に書けませんでした (cannot write to standard output): %1")
                  .arg(reason)
                  .toStdString());
        }
      } else {
        outputs.Add(StagedFile::Written(options.json, json));
      }
    }
    if (!options.pdf.isEmpty()) {
      UsePrinter(QString::fromLatin1(kPdfPrinterName));
      spooler->CollectPdfJobs(options.pdf);
      book->PrintSheets(choice, QxPrinter());
      outputs.Add(spooler->EndPdfCollection());
    }
    outputs.Commit();
    // Print jobs go last, so that one that fails leaves the files complete.
    if (!options.printer.isEmpty()) {
      UsePrinter(options.printer);
      book->PrintSheets(choice, QxPrinter());
    }
  } catch (const std::exception& e) {
    PrintError(QString::fromUtf8(e.what()));
    return 1;
  }
  return 0;
}

}  // namespace tamariko
