#pragma once

// The pupils' list (名簿): a class's pupils and the exam paper each practises, kept in the
// teacher's data folder and read from and written to a spreadsheet's CSV.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace tamariko {

constexpr int kMaxPupils = 200;

struct Pupil {
  QString name;    // 氏名
  QString kana;    // ふりがな
  QString paper;   // an exam paper's key (ExamPaperNamed)
  QString number;  // 受験番号, optional
  QString group;   // 組, optional
  bool ticked = true;

  // A line that did not read is kept as it was, unticked: its text, its line and why.
  QString reason;
  QString text;
  int line = 0;
  bool Bad() const { return !reason.isEmpty(); }

  // The row's cells as read, every column of the file; empty for a pupil added here.
  QStringList cells;
  QString source;  // the record's text as read, written back while its cells are unchanged
};

enum class CsvEncoding { Utf8Bom, Utf8, Cp932 };

struct PupilList {
  std::vector<Pupil> pupils;
  CsvEncoding encoding = CsvEncoding::Utf8Bom;
  QStringList header;  // the columns as the file names them, in its order
  QString newline = QStringLiteral("\r\n");
  bool finalNewline = true;
};

// The paper's cell as a spreadsheet shows it: the name the paper box shows, or the key where
// that name is not the paper's alone.
QString PaperCell(const QString& key);
// The key of a 用紙 cell: a paper's key or its name; empty for none.
QString PaperKeyOf(const QString& cell);

// Reads a CSV file's bytes: UTF-8 (with or without a BOM) or else Shift_JIS (CP932); the
// header row names the columns. Throws Error for a file that cannot be a list at all (no
// 氏名 or 用紙 column, more than kMaxPupils pupils, neither encoding); a line that cannot be
// read becomes a bad pupil.
PupilList ReadPupilCsv(const QByteArray& bytes);
// The list as CSV in `encoding`. Throws Error naming a pupil whose text the encoding cannot
// hold.
QByteArray WritePupilCsv(const PupilList& list, CsvEncoding encoding);

// Where the list is kept: $XDG_DATA_HOME/tamariko/meibo.csv.
QString PupilListPath();
// The kept list; an empty one (UTF-8 with a BOM) when there is none. Throws Error.
PupilList LoadPupilList();
// Keeps the list as UTF-8 with a BOM, with a 印刷 column for the ticks, staged so that no
// half-written file stands under its name. Throws Error.
void SavePupilList(const PupilList& list);
// Reads `path`, writes `list` to `path` (staged). Throw Error.
PupilList ReadPupilFile(const QString& path);
void WritePupilFile(const QString& path, const PupilList& list, CsvEncoding encoding);

}  // namespace tamariko
