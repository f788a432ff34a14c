#include "app/pupils.h"

#include <errno.h>
#include <iconv.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>
#include <array>
#include <memory>
#include <optional>

#include "app/papers.h"
#include "core/error.h"
#include "platform/staged_file.h"

namespace tamariko {
namespace {

// A list of 200 pupils is a few kilobytes; anything this big is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;
const QByteArray kBom("\xEF\xBB\xBF");

enum Column { kName, kKana, kPaper, kNumber, kGroup, kTick, kColumns };
// The names a header may give each column; the first is written.
const std::array<QStringList, kColumns> kColumnNames{{
    {QStringLiteral("氏名"), QStringLiteral("name")},
    {QStringLiteral("ふりがな"), QStringLiteral("フリガナ"), QStringLiteral("kana")},
    {QStringLiteral("用紙"), QStringLiteral("paper")},
    {QStringLiteral("受験番号"), QStringLiteral("number")},
    {QStringLiteral("組"), QStringLiteral("group")},
    {QStringLiteral("印刷"), QStringLiteral("print")},
}};

[[noreturn]] void Fail(const QString& message) { throw Error(message.toStdString()); }

// glibc's converter: CP932 is Windows' Shift_JIS, with the NEC and IBM rows spreadsheets use.
std::optional<QByteArray> Convert(const char* to, const char* from, const QByteArray& in,
                                  qsizetype* badAt = nullptr) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    Fail(QStringLiteral("文字コード %1 を扱えません").arg(QLatin1String(to)));
  const auto close = qScopeGuard([cd] { iconv_close(cd); });
  QByteArray out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.constData());
  std::size_t srcLeft = static_cast<std::size_t>(in.size());
  char* dst = out.data();
  std::size_t dstLeft = static_cast<std::size_t>(out.size());
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
      iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
    if (badAt != nullptr) *badAt = src - in.constData();
    return std::nullopt;
  }
  out.truncate(dst - out.constData());
  return out;
}

QString DecodeUtf8(const QByteArray& bytes, bool* ok) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = decoder(bytes);
  *ok = !decoder.hasError();
  return text;
}

struct Record {
  QStringList cells;
  QString text;
  int line = 0;
  bool unterminated = false;
};

// RFC 4180 records: a quoted cell may hold commas, doubled quotes and line breaks; a line
// ends with CRLF, LF or CR.
std::vector<Record> SplitRecords(const QString& s, PupilList& list) {
  std::vector<Record> records;
  bool newlineSeen = false;
  int line = 1;
  qsizetype i = 0;
  list.finalNewline = true;
  while (i < s.size()) {
    Record record;
    record.line = line;
    const qsizetype start = i;
    QString cell;
    bool quoted = false;
    bool cellStart = true;
    qsizetype end = -1;
    while (i < s.size()) {
      const QChar c = s[i];
      if (quoted) {
        if (c == u'"' && i + 1 < s.size() && s[i + 1] == u'"') {
          cell += u'"';
          i += 2;
          continue;
        }
        if (c == u'"') {
          quoted = false;
        } else {
          if (c == u'\n') ++line;
          cell += c;
        }
        ++i;
        continue;
      }
      if (c == u'"' && cellStart) {
        quoted = true;
        cellStart = false;
        ++i;
        continue;
      }
      if (c == u',') {
        record.cells << cell;
        cell.clear();
        cellStart = true;
        ++i;
        continue;
      }
      if (c == u'\r' || c == u'\n') {
        end = i;
        const qsizetype width = (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ? 2 : 1;
        if (!newlineSeen) list.newline = s.mid(i, width);
        newlineSeen = true;
        i += width;
        ++line;
        break;
      }
      cell += c;
      cellStart = false;
      ++i;
    }
    if (end < 0) {
      end = s.size();
      list.finalNewline = false;
    }
    record.unterminated = quoted;
    record.cells << cell;
    record.text = s.mid(start, end - start);
    records.push_back(std::move(record));
  }
  return records;
}

bool Blank(const Record& record) {
  for (const QString& cell : record.cells) {
    if (!cell.trimmed().isEmpty()) return false;
  }
  return !record.unterminated;
}

QString FormatCell(const QString& cell) {
  if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\n') &&
      !cell.contains(u'\r'))
    return cell;
  QString quoted = cell;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

QString FormatRecord(const QStringList& cells) {
  QStringList out;
  for (const QString& cell : cells) out << FormatCell(cell);
  return out.join(u',');
}

std::array<int, kColumns> ColumnsOf(const QStringList& header) {
  std::array<int, kColumns> columns;
  columns.fill(-1);
  for (int i = 0; i < header.size(); ++i) {
    const QString name = header[i].trimmed();
    for (int c = 0; c < kColumns; ++c) {
      if (!kColumnNames[static_cast<std::size_t>(c)].contains(name, Qt::CaseInsensitive)) continue;
      if (columns[static_cast<std::size_t>(c)] >= 0)
        Fail(QStringLiteral("見出しの行に「%1」の列が二つあります").arg(name));
      columns[static_cast<std::size_t>(c)] = i;
    }
  }
  return columns;
}

bool TickedCell(const QString& cell) {
  static const QStringList unticked{QString(), QStringLiteral("0"), QStringLiteral("×"),
                                    QStringLiteral("no"), QStringLiteral("false")};
  return !unticked.contains(cell.trimmed(), Qt::CaseInsensitive);
}

// Where the encoding cannot hold a pupil's text: names the pupil and the character.
QByteArray EncodeCp932(const QString& text, const QString& who) {
  const QByteArray utf8 = text.toUtf8();
  qsizetype badAt = 0;
  if (std::optional<QByteArray> bytes = Convert("CP932", "UTF-8", utf8, &badAt)) return *bytes;
  const QString rest = QString::fromUtf8(utf8.mid(badAt));
  const QString character = rest.left(rest.size() > 1 && rest[0].isHighSurrogate() ? 2 : 1);
  Fail(QStringLiteral("「%1」の「%2」は Shift_JIS (CP932) で書けません。UTF-8 "
                      "で書き出すか、字を改めてください（nothing written）")
           .arg(who, character));
}

}  // namespace

QString PaperKeyOf(const QString& cell) {
  const QString text = cell.trimmed();
  if (text.isEmpty()) return {};
  if (ExamPaperNamed(text) != nullptr) return text;
  for (const TPaper* paper : ExamPapers()) {
    if (paper->name == text) return paper->key;
  }
  return {};
}

QString PaperCell(const QString& key) {
  const TPaper* paper = ExamPaperNamed(key);
  if (paper == nullptr) return key;
  return PaperKeyOf(paper->name) == key ? paper->name : key;
}

PupilList ReadPupilCsv(const QByteArray& bytes) {
  if (bytes.size() > kMaxFileBytes)
    Fail(QStringLiteral("名簿のファイルが大きすぎます（%1 バイトまで）").arg(kMaxFileBytes));
  if (bytes.contains('\0'))
    Fail(
        QStringLiteral("名簿のファイルが CSV の文字ではありません（UTF-16 などは読めません。UTF-8 "
                       "か Shift_JIS の CSV で保存してください）"));
  PupilList list;
  QString text;
  bool ok = false;
  if (bytes.startsWith(kBom)) {
    list.encoding = CsvEncoding::Utf8Bom;
    text = DecodeUtf8(bytes.mid(kBom.size()), &ok);
    if (!ok) Fail(QStringLiteral("名簿のファイルは UTF-8 の印があるのに UTF-8 として読めません"));
  } else {
    text = DecodeUtf8(bytes, &ok);
    list.encoding = CsvEncoding::Utf8;
    if (!ok) {
      const std::optional<QByteArray> utf8 = Convert("UTF-8", "CP932", bytes);
      if (!utf8)
        Fail(QStringLiteral("名簿のファイルが UTF-8 としても Shift_JIS としても読めません"));
      text = QString::fromUtf8(*utf8);
      list.encoding = CsvEncoding::Cp932;
    }
  }

  std::vector<Record> records = SplitRecords(text, list);
  auto record = records.begin();
  while (record != records.end() && Blank(*record)) ++record;
  if (record == records.end()) Fail(QStringLiteral("名簿のファイルに見出しの行がありません"));
  list.header = record->cells;
  const std::array<int, kColumns> columns = ColumnsOf(list.header);
  if (columns[kName] < 0 || columns[kPaper] < 0)
    Fail(QStringLiteral("見出しの行に「%1」の列がありません（氏名, ふりがな, 用紙, 受験番号, 組）")
             .arg(columns[kName] < 0 ? QStringLiteral("氏名") : QStringLiteral("用紙")));

  for (++record; record != records.end(); ++record) {
    if (Blank(*record)) continue;
    const auto cell = [&](Column c) {
      const int at = columns[static_cast<std::size_t>(c)];
      return at >= 0 && at < record->cells.size() ? record->cells[at].trimmed() : QString();
    };
    Pupil pupil;
    pupil.name = cell(kName);
    pupil.kana = cell(kKana);
    pupil.number = cell(kNumber);
    pupil.group = cell(kGroup);
    pupil.paper = PaperKeyOf(cell(kPaper));
    pupil.ticked = columns[kTick] < 0 || TickedCell(cell(kTick));
    pupil.cells = record->cells;
    pupil.source = record->text;
    pupil.text = record->text;
    pupil.line = record->line;
    if (record->unterminated)
      pupil.reason = QStringLiteral("引用符 \" が閉じていません");
    else if (pupil.name.isEmpty())
      pupil.reason = QStringLiteral("氏名が空です");
    else if (cell(kPaper).isEmpty())
      pupil.reason = QStringLiteral("用紙が空です");
    else if (pupil.paper.isEmpty())
      pupil.reason = QStringLiteral("用紙「%1」がありません").arg(cell(kPaper));
    if (pupil.Bad()) {
      pupil.ticked = false;
      pupil.paper = cell(kPaper);
    }
    list.pupils.push_back(std::move(pupil));
  }
  if (list.pupils.size() > static_cast<std::size_t>(kMaxPupils))
    Fail(QStringLiteral(
             "名簿は %1 人までです。このファイルには %2 人います（何も読み込んでいません）")
             .arg(kMaxPupils)
             .arg(list.pupils.size()));
  return list;
}

QByteArray WritePupilCsv(const PupilList& list, CsvEncoding encoding) {
  QStringList header = list.header;
  if (header.isEmpty()) {
    for (int c = 0; c < kTick; ++c) header << kColumnNames[static_cast<std::size_t>(c)][0];
  }
  const std::array<int, kColumns> columns = ColumnsOf(header);

  QByteArray out = encoding == CsvEncoding::Utf8Bom ? kBom : QByteArray();
  const auto put = [&](const QString& line, const QString& who) {
    out += encoding == CsvEncoding::Cp932 ? EncodeCp932(line, who) : line.toUtf8();
  };
  const auto records = static_cast<int>(list.pupils.size()) + 1;
  int written = 0;
  const auto ending = [&] {
    ++written;
    return written < records || list.finalNewline ? list.newline : QString();
  };
  put(FormatRecord(header) + ending(), QStringLiteral("見出しの行"));
  for (const Pupil& pupil : list.pupils) {
    const QString who =
        pupil.name.isEmpty() ? QStringLiteral("%1 行目").arg(pupil.line) : pupil.name;
    if (pupil.Bad()) {
      put(pupil.text + ending(), who);
      continue;
    }
    QStringList cells = pupil.cells;
    while (cells.size() < header.size()) cells << QString();
    const auto set = [&](Column c, const QString& value) {
      const int at = columns[static_cast<std::size_t>(c)];
      if (at >= 0 && cells[at].trimmed() != value) cells[at] = value;
    };
    set(kName, pupil.name);
    set(kKana, pupil.kana);
    if (PaperKeyOf(cells[columns[kPaper]]) != pupil.paper) set(kPaper, PaperCell(pupil.paper));
    set(kNumber, pupil.number);
    set(kGroup, pupil.group);
    if (columns[kTick] >= 0 && TickedCell(cells[columns[kTick]]) != pupil.ticked)
      cells[columns[kTick]] = pupil.ticked ? QStringLiteral("○") : QString();
    QStringList kept = cells;
    while (kept.size() > pupil.cells.size() && kept.back().isEmpty()) kept.removeLast();
    put((!pupil.source.isEmpty() && kept == pupil.cells ? pupil.source : FormatRecord(cells)) +
            ending(),
        who);
  }
  return out;
}

QString PupilListPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/tamariko/meibo.csv");
}

PupilList ReadPupilFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    Fail(QStringLiteral("「%1」を読めませんでした: %2").arg(path, file.errorString()));
  const QByteArray bytes = file.read(kMaxFileBytes + 1);
  if (file.error() != QFileDevice::NoError)
    Fail(QStringLiteral("「%1」を読めませんでした: %2").arg(path, file.errorString()));
  try {
    return ReadPupilCsv(bytes);
  } catch (const Error& e) {
    Fail(QStringLiteral("「%1」: %2").arg(path, QString::fromStdString(e.what())));
  }
}

void WritePupilFile(const QString& path, const PupilList& list, CsvEncoding encoding) {
  const QByteArray bytes = WritePupilCsv(list, encoding);
  QDir().mkpath(QFileInfo(path).absolutePath());
  std::unique_ptr<StagedFile> file = StagedFile::Written(path, bytes);
  file->PutInPlace();
}

PupilList LoadPupilList() {
  if (!QFileInfo::exists(PupilListPath())) {
    PupilList list;
    for (int c = 0; c < kColumns; ++c) list.header << kColumnNames[static_cast<std::size_t>(c)][0];
    return list;
  }
  return ReadPupilFile(PupilListPath());
}

void SavePupilList(const PupilList& list) {
  PupilList kept = list;
  if (ColumnsOf(kept.header)[kTick] < 0) kept.header << kColumnNames[kTick][0];
  kept.finalNewline = true;
  WritePupilFile(PupilListPath(), kept, CsvEncoding::Utf8Bom);
}

}  // namespace tamariko
