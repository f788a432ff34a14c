#include "window/settings.h"

#include <sys/stat.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/input_limits.h"
#include "app/papers.h"
#include "platform/cups_spooler.h"
#include "printing/qxprint_dialogs.h"
#include "printing/qxprinters.h"
#include "window/design.h"

namespace tamariko {
namespace {

// Every field of the printer choice under its key: a field added to the choice is one line
// here (and the count below).
// here (and the count below), with the name a teacher knows it by.
template <typename Choice, typename Visit>
void ForEachField(Choice& c, Visit&& visit) {
  visit("printer", c.printer, "プリンター");
  visit("paper", c.paper, "用紙");
  visit("paperLengthTenthMm", c.paperLengthTenthMm, "用紙の大きさ");
  visit("paperWidthTenthMm", c.paperWidthTenthMm, "用紙の大きさ");
  visit("bin", c.bin, "給紙トレイ");
  visit("fit", c.fit, "用紙に合わせる／原寸");
  visit("copies", c.copies, "部数");
  visit("pdfFolder", c.pdfFolder, "PDFの保存先");
  visit("twoSided", c.twoSided, "両面");
}
constexpr int kMostCopies = 99;  // as the print selection's 部数 goes
constexpr int kRememberedFields = 9;

// How many members an aggregate has: the most initializers it takes.
struct AnyField {
  template <typename T>
  operator T() const;
};
template <typename T, typename... Given>
constexpr int FieldCount() {
  if constexpr (requires { T{Given{}..., AnyField{}}; }) {
    return FieldCount<T, Given..., AnyField>();
  } else {
    return static_cast<int>(sizeof...(Given));
  }
}
static_assert(FieldCount<PrinterChoice>() == kRememberedFields,
              "PrinterChoice has a field the settings do not remember: add it to ForEachField");

// The texts of a window, by the design's names of their boxes; a heading's line, if it is one.
struct TextBox {
  const char* key;
  const char* box;
  const char* name;
  std::optional<HeadingLine> line;
};
const std::vector<TextBox>& TextBoxes() {
  static const std::vector<TextBox> boxes = {
      {"round", "RoundBox", "回", std::nullopt},
      {"heading1", "Heading1Box", "上の見出し", HeadingLine::First},
      {"heading2", "Heading2Box", "下の見出し", HeadingLine::Second},
      {"organizer", "SchoolBox", "教室名", HeadingLine::Organizer},
  };
  return boxes;
}

// The default paper's ticks are kept as they always were; another paper's under its key.
QString SheetsKey(const TPaper& paper) {
  return &paper == &DefaultPaper() ? QStringLiteral("sheets/")
                                   : paper.key + QStringLiteral("/sheets/");
}

// A sheet's box where the window offers it.
QCheckBox* SheetBox(const SheetBoxes& boxes, const SheetInfo& sheet) {
  QCheckBox* box = BoxOf(boxes, sheet.key);
  return box && box->isEnabled() ? box : nullptr;
}

bool ServerAnswered(Spooler& spooler) {
  const auto* cups = dynamic_cast<CupsSpooler*>(&spooler);
  return cups == nullptr || cups->State() == CupsSpooler::ServerState::Answering;
}

bool HasPaper(Spooler& spooler, const QString& printer, int paper) {
  CapabilityOutput out;
  if (spooler.DeviceCapabilities(printer, spooler.PortOf(printer), DC_PAPERS, &out, nullptr) < 0) {
    return false;
  }
  return std::find(out.numbers.begin(), out.numbers.end(), paper) != out.numbers.end();
}

// Which file is at a path: a file written anew under another name and renamed into place
// is another file.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  bool operator!=(const FileStamp& o) const {
    return exists != o.exists || device != o.device || inode != o.inode ||
           modified.tv_sec != o.modified.tv_sec || modified.tv_nsec != o.modified.tv_nsec;
  }
};

FileStamp StampOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_mtim};
}

// Why the settings file cannot be written, in plain words, reason first and the path after.
QString WhyNotWritten(const QString& path) {
  const QString shown = QDir::toNativeSeparators(path);
  const QFileInfo file(path);
  if (file.isDir()) {
    return QStringLiteral("設定ファイルの場所がフォルダーになっています (%1)").arg(shown);
  }
  const QFileInfo folder(file.absolutePath());
  if (!folder.exists()) {
    return QStringLiteral("フォルダーを作れません (%1)")
        .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
  }
  if (!folder.isDir()) {
    return QStringLiteral("フォルダーの場所がファイルになっています (%1)")
        .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
  }
  if (file.exists() && !file.isWritable()) {
    return QStringLiteral("設定ファイルが読み取り専用です (%1)").arg(shown);
  }
  if (!folder.isWritable()) {
    return QStringLiteral("フォルダーに書き込めません (%1)")
        .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
  }
  // Whatever else stops it (a full disk, ...): the system's words.
  QSaveFile probe(path);
  probe.setDirectWriteFallback(false);
  if (!probe.open(QIODevice::WriteOnly)) {
    return QStringLiteral("%1 (%2)").arg(probe.errorString(), shown);
  }
  probe.cancelWriting();
  return QStringLiteral("書き込めません (%1)").arg(shown);
}

}  // namespace

QString SettingsFilePath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("tamariko/tamariko.conf"));
}

std::unique_ptr<QSettings> OpenSettings() {
  return std::make_unique<QSettings>(SettingsFilePath(), QSettings::IniFormat);
}

bool WriteSettings(QSettings& settings, QString* note, bool hadUnreadableParts) {
  // Written under another name and renamed: a failure leaves the last file whole, and a
  // file written anew is another file. The status keeps the first error, so an unreadable
  // file (a format error) hides whether the write failed: the file says it.
  const FileStamp before = StampOf(settings.fileName());
  settings.sync();
  const bool written =
      settings.status() == QSettings::NoError ||
      (settings.status() == QSettings::FormatError && StampOf(settings.fileName()) != before);
  QString text;
  if (!written) {
    text = QStringLiteral("設定を保存できません：") + WhyNotWritten(settings.fileName());
    if (!note) {
      std::fprintf(stderr, "tamariko: %s (cannot save the settings)\n",
                   text.toLocal8Bit().constData());
    }
  } else if (hadUnreadableParts || settings.status() == QSettings::FormatError) {
    text = QStringLiteral("設定ファイルに読めない部分があったため、読めた設定で書き直しました (%1)")
               .arg(QDir::toNativeSeparators(settings.fileName()));
  }
  if (note) *note = text;
  return written;
}

void TReplacedSettings::Add(const QString& what) {
  if (!names_.contains(what)) names_.append(what);
}

std::optional<int> TReplacedSettings::Number(QSettings& settings, const QString& key, int least,
                                             int most, const QString& what) {
  if (!settings.contains(key)) return std::nullopt;
  bool ok = false;
  const int number = settings.value(key).toInt(&ok);
  if (ok && number >= least && number <= most) return number;
  Add(what);
  return std::nullopt;
}

QString TReplacedSettings::Note() const {
  if (names_.isEmpty()) return {};
  return QStringLiteral("設定ファイルの次の値が読めないか範囲外のため、既定の値にしました：") +
         names_.join(QStringLiteral("、"));
}

QStringList RestoreWindowChoices(QSettings& settings, QWidget* window, const QString& group,
                                 const TeacherPlaces& places, TReplacedSettings* replaced) {
  QStringList notes;
  settings.beginGroup(group);
  for (const TextBox& text : TextBoxes()) {
    auto* box = window->findChild<QLineEdit*>(QLatin1String(text.box));
    const QString key = QLatin1String(text.key);
    if (box == nullptr || !settings.contains(key)) continue;
    // The file may come from another version or another hand: only what fits goes in.
    const QVariant stored = settings.value(key);
    const bool isText = stored.typeId() == QMetaType::QString;
    const QString value = isText ? stored.toString() : QString();
    std::optional<QString> kept;
    if (text.line) {
      QString why;
      kept = CleanedHeading(places, *text.line, value, &why);
      if (!why.isEmpty()) notes << why;
    } else {
      kept = RoundOfText(value);
    }
    if (kept) {
      box->setText(*kept);
      box->setCursorPosition(0);  // a long line shows its beginning
    }
    if (replaced && (!isText || (!text.line && kept != value))) {
      replaced->Add(QString::fromUtf8(text.name));
    }
  }
  settings.endGroup();
  return notes;
}

void RestoreSheetChoices(QSettings& settings, const SheetBoxes& boxes, const TPaper& paper,
                         const QString& group) {
  settings.beginGroup(group);
  for (const SheetInfo& sheet : SheetsWithAnswerTable(paper)) {
    QCheckBox* box = SheetBox(boxes, sheet);
    const QString key = SheetsKey(paper) + sheet.key;
    if (box != nullptr && settings.contains(key)) box->setChecked(settings.value(key).toBool());
  }
  settings.endGroup();
}

void SaveSheetChoices(QSettings& settings, const QSet<QString>& ticked, const TPaper& paper,
                      const QString& group) {
  settings.beginGroup(group);
  for (const SheetInfo& sheet : ProblemSheets(paper)) {
    settings.setValue(SheetsKey(paper) + sheet.key, ticked.contains(sheet.key));
  }
  settings.endGroup();
}

void SaveWindowChoices(QSettings& settings, const QWidget* window, const QString& group) {
  settings.beginGroup(group);
  for (const TextBox& text : TextBoxes()) {
    if (const auto* box = window->findChild<QLineEdit*>(QLatin1String(text.box))) {
      settings.setValue(QLatin1String(text.key), box->text());
    }
  }
  settings.endGroup();
}

std::optional<PrinterChoice> ReadPrinterChoice(QSettings& settings, TReplacedSettings* replaced) {
  settings.beginGroup(QStringLiteral("printer"));
  std::optional<PrinterChoice> choice;
  if (settings.contains(QStringLiteral("printer"))) {
    choice.emplace();
    ForEachField(*choice, [&](const char* key, auto& field, const char* name) {
      using Field = std::decay_t<decltype(field)>;
      const QVariant value = settings.value(QLatin1String(key));
      if (!value.isValid()) return;
      const bool text = value.typeId() == QMetaType::QString;
      bool ok = false;
      if constexpr (std::is_same_v<Field, int>) {
        // Not a number (too big, a list, text): the default stays rather than some number.
        const int number = value.toInt(&ok);
        if (ok) field = number;
      } else if constexpr (std::is_same_v<Field, bool>) {
        ok = value.typeId() == QMetaType::Bool ||
             (text && (value.toString() == QLatin1String("true") ||
                       value.toString() == QLatin1String("false")));
        if (ok) field = value.toBool();
      } else if constexpr (std::is_same_v<Field, QStringList>) {
        // One name comes back as text, several as a list.
        ok = text || value.typeId() == QMetaType::QStringList;
        if (ok) field = value.toStringList();
      } else {
        ok = text;
        if (ok) field = value.toString();
      }
      // The paper has a notice of its own, when the printer is known.
      if (!ok && replaced && qstrcmp(key, "paper") != 0) replaced->Add(QString::fromUtf8(name));
    });
    // A paper number the device mode cannot hold is as good as unreadable: chosen again.
    if (choice->paper <= 0 || choice->paper > 0x7fff) choice->paper = 0;
    if (choice->copies < 1 || choice->copies > kMostCopies) {
      choice->copies = 1;
      if (replaced) replaced->Add(QStringLiteral("部数"));
    }
  }
  settings.endGroup();
  return choice;
}

void WritePrinterChoice(QSettings& settings, const PrinterChoice& choice) {
  settings.beginGroup(QStringLiteral("printer"));
  ForEachField(choice, [&](const char* key, const auto& field, const char*) {
    using Field = std::decay_t<decltype(field)>;
    // QSettings writes an empty list as "@Invalid()", which reads back as no list at all:
    // no key says it as well.
    if constexpr (std::is_same_v<Field, QStringList>) {
      if (field.isEmpty()) {
        settings.remove(QLatin1String(key));
        return;
      }
    }
    settings.setValue(QLatin1String(key), field);
  });
  settings.endGroup();
}

TRememberedPrinter::TRememberedPrinter(std::optional<PrinterChoice> remembered, Notice notice,
                                       std::function<bool()> busy)
    : waiting_(std::move(remembered)), notice_(std::move(notice)), busy_(std::move(busy)) {
  if (!waiting_) return;
  Spooler& spooler = QxPrinter().GetSpooler();
  // The PDF printer's folder serves at once, whichever printer waits for the server.
  QString& folder = waiting_->pdfFolder;
  if (!folder.isEmpty()) {
    const QFileInfo info(folder);
    // The documents folder is made when a file first goes there: nothing to say.
    if (!info.exists() && IsDocumentsFolder(folder)) {
      folder.clear();
    } else if (!info.isDir() || !info.isWritable()) {
      notice_(QStringLiteral("前回のPDFの保存先「%1」が見つからないか書き込めないため、"
                             "「ドキュメント」フォルダーに保存します。")
                  .arg(QDir::toNativeSeparators(folder)));
      folder.clear();
    } else if (auto* cups = dynamic_cast<CupsSpooler*>(&spooler)) {
      cups->SetPdfOutputFolder(folder);
    }
  }
  spooler_ = &spooler;
  subscription_ = spooler.Subscribe([this] { TryNow(); });
  TryNow();
}

TRememberedPrinter::~TRememberedPrinter() {
  if (spooler_ != nullptr) spooler_->Unsubscribe(subscription_);
}

void TRememberedPrinter::TryNow() {
  if (!waiting_ || (busy_ && busy_())) return;
  try {
    Spooler& spooler = QxPrinter().GetSpooler();
    const PrinterChoice wanted = *waiting_;
    bool known = false;
    for (const PrinterInfo4& info :
         spooler.EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS)) {
      known = known || info.printerName == wanted.printer;
    }
    // Until the server has answered, a printer not listed may only not be read yet.
    if (!known && !ServerAnswered(spooler)) return;
    waiting_.reset();
    if (known) {
      try {
        PrinterChoice choice = wanted;
        // A paper that could not be read: B4 where the printer has it, as for a gone one.
        const bool unreadPaper = choice.paper == 0;
        const bool b4 = unreadPaper && HasPaper(spooler, choice.printer, DMPAPER_B4);
        if (unreadPaper) choice.paper = b4 ? DMPAPER_B4 : DMPAPER_A4;
        PutPrinterChoiceInForce(choice);
        if (unreadPaper) {
          notice_(
              QStringLiteral("前回の用紙が読めないため、%1にしました。")
                  .arg(b4 ? QStringLiteral("B4") : QStringLiteral("A4 (B4 の用紙がありません) ")));
        }
        return;
      } catch (const std::exception&) {
        // It is there but takes the settings no more: as good as gone.
      }
    }
    FallBack(wanted);
  } catch (const std::exception&) {
    // The printers cannot be read now; a later notice or command tries again.
  }
}

void TRememberedPrinter::FallBack(const PrinterChoice& gone) {
  Spooler& spooler = QxPrinter().GetSpooler();
  PrinterChoice choice;
  choice.printer = spooler.DefaultPrinter();
  const bool b4 = HasPaper(spooler, choice.printer, DMPAPER_B4);
  choice.paper = b4 ? DMPAPER_B4 : DMPAPER_A4;
  choice.copies = gone.copies;
  choice.pdfFolder = gone.pdfFolder;
  choice.twoSided = gone.twoSided;
  PutPrinterChoiceInForce(choice);
  notice_(QStringLiteral("前回のプリンター「%1」が見つからないため、既定のプリンター「%2」の%3"
                         "にしました。")
              .arg(gone.printer, choice.printer,
                   b4 ? QStringLiteral("B4") : QStringLiteral("A4 (B4 の用紙がありません) ")));
}

PrinterChoice TRememberedPrinter::ToRemember() const {
  return waiting_ ? *waiting_ : PrinterChoiceInForce();
}

}  // namespace tamariko
