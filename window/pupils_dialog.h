#pragma once

#include <QDialog>

#include "app/pupils.h"

class QComboBox;
class QPushButton;
class QTableWidget;

namespace tamariko {

// 名簿: the class's pupils in a table, each with the paper it practises. Kept in the teacher's
// data folder on OK; 読み込み and 書き出し read and write a spreadsheet's CSV.
class TPupilsDialog : public QDialog {
  Q_OBJECT

 public:
  enum Column {
    kTickColumn,
    kNameColumn,
    kKanaColumn,
    kPaperColumn,
    kNumberColumn,
    kGroupColumn,
    kFaultColumn,
    kColumnCount
  };

  // Shows the kept list; one that cannot be read is said and an empty list offered, the file
  // left as it is until OK.
  explicit TPupilsDialog(QWidget* parent = nullptr);

  // The list as the table holds it, in the table's order.
  PupilList List() const;
  // Adds a pupil at the end (the paper of the last row) and starts editing its name.
  void AddPupil();
  void RemovePupils();
  // Replaces the table with the file's list; a file that is refused changes nothing. The
  // buttons ask for the file, then call these.
  bool ImportFrom(const QString& path);
  bool ExportTo(const QString& path, CsvEncoding encoding);
  void done(int result) override;

  QTableWidget* Table = nullptr;
  QComboBox* SortBox = nullptr;
  QPushButton* AddButton = nullptr;
  QPushButton* RemoveButton = nullptr;
  QPushButton* ImportButton = nullptr;
  QPushButton* ExportButton = nullptr;
  QPushButton* PrintButton = nullptr;  // 名簿で印刷: kept as on OK, then PrintAsked
  bool PrintAsked = false;

 private:
  void Fill(const PupilList& list);
  void AddRow(const Pupil& pupil, int source);
  void SortBy(int column);
  void Import();
  void Export();

  PupilList Kept;  // the list as read: the header, encoding and each read row's cells
  int SortColumn = -1;
  Qt::SortOrder SortOrder = Qt::AscendingOrder;
};

}  // namespace tamariko
