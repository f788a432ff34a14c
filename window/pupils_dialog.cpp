#include "window/pupils_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/papers.h"
#include "core/error.h"
#include "window/message_box.h"

namespace tamariko {
namespace {

constexpr int kSourceRole = Qt::UserRole;        // on the name cell: the row's index in Kept
constexpr int kPaperKeyRole = Qt::UserRole + 1;  // on the paper cell

const QString kCaption = QStringLiteral("名簿");

QString PaperShown(const QString& key) {
  const TPaper* paper = ExamPaperNamed(key);
  return paper != nullptr ? paper->name : key;
}

// The paper cell's editor: every exam paper, the teacher's own too; never the contest paper,
// which has no name box.
class PaperDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    for (const TPaper* paper : ExamPapers()) box->addItem(paper->name, paper->key);
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(std::max(0, box->findData(index.data(kPaperKeyRole))));
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    model->setData(index, box->currentData(), kPaperKeyRole);
    model->setData(index, box->currentText(), Qt::DisplayRole);
  }
};

}  // namespace

TPupilsDialog::TPupilsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PupilsDialog"));
  setWindowTitle(QStringLiteral("名簿"));
  Table = new QTableWidget(0, kColumnCount, this);
  Table->setObjectName(QStringLiteral("PupilTable"));
  Table->setHorizontalHeaderLabels({QStringLiteral("印刷"), QStringLiteral("氏名"),
                                    QStringLiteral("ふりがな"), QStringLiteral("用紙"),
                                    QStringLiteral("受験番号"), QStringLiteral("組"),
                                    QStringLiteral("読めなかった行")});
  Table->setItemDelegateForColumn(kPaperColumn, new PaperDelegate(Table));
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  Table->setTabKeyNavigation(false);
  Table->verticalHeader()->setVisible(false);
  Table->horizontalHeader()->setStretchLastSection(true);
  Table->setColumnWidth(kTickColumn, 44);
  Table->setColumnWidth(kNameColumn, 140);
  Table->setColumnWidth(kKanaColumn, 150);
  Table->setColumnWidth(kPaperColumn, 230);
  Table->setColumnWidth(kNumberColumn, 80);
  Table->setColumnWidth(kGroupColumn, 60);
  connect(Table->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { SortBy(column); });

  SortBox = new QComboBox(this);
  SortBox->setObjectName(QStringLiteral("SortBox"));
  SortBox->addItem(QStringLiteral("読み込んだ順"), -1);
  for (int column : {kNameColumn, kKanaColumn, kPaperColumn, kNumberColumn, kGroupColumn})
    SortBox->addItem(Table->horizontalHeaderItem(column)->text() + QStringLiteral("順"), column);
  auto* sortLabel = new QLabel(QStringLiteral("並べ替え(&S):"), this);
  sortLabel->setBuddy(SortBox);
  connect(SortBox, &QComboBox::activated, this, [this](int index) {
    const int column = SortBox->itemData(index).toInt();
    if (column < 0) return;
    SortColumn = -1;
    SortBy(column);
  });

  AddButton = new QPushButton(QStringLiteral("追加(&A)"), this);
  RemoveButton = new QPushButton(QStringLiteral("削除(&D)"), this);
  ImportButton = new QPushButton(QStringLiteral("読み込み(&I)..."), this);
  ExportButton = new QPushButton(QStringLiteral("書き出し(&E)..."), this);
  for (QPushButton* button : {AddButton, RemoveButton, ImportButton, ExportButton})
    button->setAutoDefault(false);
  connect(AddButton, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { AddPupil(); }); });
  connect(RemoveButton, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { RemovePupils(); }); });
  connect(ImportButton, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { Import(); }); });
  connect(ExportButton, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { Export(); }); });
  auto* remove = new QShortcut(QKeySequence::Delete, Table, nullptr, nullptr, Qt::WidgetShortcut);
  connect(remove, &QShortcut::activated, this, [this] { RemovePupils(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  // 名簿で印刷 keeps the list as OK does, then the window prints it.
  PrintButton = buttons->addButton(QStringLiteral("名簿で印刷(&P)"), QDialogButtonBox::ActionRole);
  PrintButton->setAutoDefault(false);
  connect(PrintButton, &QPushButton::clicked, this, [this] {
    PrintAsked = true;
    accept();
    if (result() != QDialog::Accepted) PrintAsked = false;
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* note = new QLabel(
      QStringLiteral("Space で印刷の印、F2 か文字を打つと書き換え、Delete で削除。"
                     "読めなかった行は印なしで残り、そのまま書き戻されます（%1 人まで）。")
          .arg(kMaxPupils),
      this);
  note->setWordWrap(true);

  auto* top = new QHBoxLayout;
  top->addWidget(AddButton);
  top->addWidget(RemoveButton);
  top->addSpacing(16);
  top->addWidget(sortLabel);
  top->addWidget(SortBox);
  top->addStretch();
  top->addWidget(ImportButton);
  top->addWidget(ExportButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(Table, 1);
  layout->addWidget(note);
  layout->addWidget(buttons);
  resize(880, 560);

  PupilList list;
  try {
    list = LoadPupilList();
  } catch (const Error& e) {
    ShowMessageBox(
        this,
        QString::fromUtf8(e.what()) +
            QStringLiteral("\n\n空の名簿を開きます。OK を押すまでファイルはそのままです。"),
        kCaption, MB_OK | MB_ICONWARNING);
  }
  Fill(list);
  Table->setFocus();
}

void TPupilsDialog::Fill(const PupilList& list) {
  Kept = list;
  Table->setRowCount(0);
  for (int i = 0; i < static_cast<int>(list.pupils.size()); ++i)
    AddRow(list.pupils[static_cast<std::size_t>(i)], i);
  SortColumn = -1;
  SortBox->setCurrentIndex(0);
  if (Table->rowCount() > 0) Table->setCurrentCell(0, kNameColumn);
}

void TPupilsDialog::AddRow(const Pupil& pupil, int source) {
  const int row = Table->rowCount();
  Table->insertRow(row);
  const auto cell = [&](int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    if (pupil.Bad()) item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (pupil.Bad()) item->setForeground(QColor(0xa0, 0x20, 0x20));
    Table->setItem(row, column, item);
    return item;
  };
  QTableWidgetItem* tick = cell(kTickColumn, QString());
  if (pupil.Bad()) {
    tick->setFlags(Qt::ItemIsSelectable);
  } else {
    tick->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    tick->setCheckState(pupil.ticked ? Qt::Checked : Qt::Unchecked);
  }
  cell(kNameColumn, pupil.name)->setData(kSourceRole, source);
  cell(kKanaColumn, pupil.kana);
  QTableWidgetItem* paper = cell(kPaperColumn, pupil.Bad() ? pupil.paper : PaperShown(pupil.paper));
  paper->setData(kPaperKeyRole, pupil.paper);
  cell(kNumberColumn, pupil.number);
  cell(kGroupColumn, pupil.group);
  QTableWidgetItem* fault = cell(
      kFaultColumn,
      pupil.Bad() ? QStringLiteral("%1 行目: %2: %3").arg(pupil.line).arg(pupil.reason, pupil.text)
                  : QString());
  fault->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  fault->setToolTip(fault->text());
}

PupilList TPupilsDialog::List() const {
  PupilList list = Kept;
  list.pupils.clear();
  for (int row = 0; row < Table->rowCount(); ++row) {
    const int source = Table->item(row, kNameColumn)->data(kSourceRole).toInt();
    Pupil pupil = source >= 0 ? Kept.pupils[static_cast<std::size_t>(source)] : Pupil{};
    if (!pupil.Bad()) {
      pupil.ticked = Table->item(row, kTickColumn)->checkState() == Qt::Checked;
      pupil.name = Table->item(row, kNameColumn)->text().trimmed();
      pupil.kana = Table->item(row, kKanaColumn)->text().trimmed();
      pupil.paper = Table->item(row, kPaperColumn)->data(kPaperKeyRole).toString();
      pupil.number = Table->item(row, kNumberColumn)->text().trimmed();
      pupil.group = Table->item(row, kGroupColumn)->text().trimmed();
    }
    list.pupils.push_back(std::move(pupil));
  }
  return list;
}

void TPupilsDialog::AddPupil() {
  if (Table->rowCount() >= kMaxPupils) {
    ShowMessageBox(this, QStringLiteral("名簿は %1 人までです。").arg(kMaxPupils), kCaption,
                   MB_OK | MB_ICONWARNING);
    return;
  }
  Pupil pupil;
  for (int row = Table->rowCount() - 1; row >= 0 && pupil.paper.isEmpty(); --row) {
    if (Table->item(row, kTickColumn)->flags() & Qt::ItemIsUserCheckable)
      pupil.paper = Table->item(row, kPaperColumn)->data(kPaperKeyRole).toString();
  }
  if (pupil.paper.isEmpty() && !ExamPapers().empty()) pupil.paper = ExamPapers().front()->key;
  AddRow(pupil, -1);
  const int row = Table->rowCount() - 1;
  Table->setCurrentCell(row, kNameColumn);
  Table->editItem(Table->item(row, kNameColumn));
}

void TPupilsDialog::RemovePupils() {
  std::vector<int> rows;
  for (const QModelIndex& index : Table->selectionModel()->selectedRows())
    rows.push_back(index.row());
  if (rows.empty() && Table->currentRow() >= 0) rows.push_back(Table->currentRow());
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) Table->removeRow(row);
  if (Table->rowCount() > 0)
    Table->setCurrentCell(std::min(rows.empty() ? 0 : rows.back(), Table->rowCount() - 1),
                          kNameColumn);
}

void TPupilsDialog::SortBy(int column) {
  if (column == kTickColumn || column == kFaultColumn) return;
  SortOrder = column == SortColumn && SortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                      : Qt::AscendingOrder;
  SortColumn = column;
  Table->sortItems(column, SortOrder);
  Table->horizontalHeader()->setSortIndicatorShown(true);
  Table->horizontalHeader()->setSortIndicator(column, SortOrder);
}

bool TPupilsDialog::ImportFrom(const QString& path) {
  PupilList list;
  try {
    list = ReadPupilFile(path);
  } catch (const Error& e) {
    ShowMessageBox(this, QString::fromUtf8(e.what()) + QStringLiteral("\n\n名簿はそのままです。"),
                   kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  Fill(list);
  QStringList bad;
  for (const Pupil& pupil : list.pupils) {
    if (pupil.Bad()) bad << QStringLiteral("%1 行目: %2").arg(pupil.line).arg(pupil.reason);
  }
  if (!bad.isEmpty()) {
    const int shown = std::min<int>(static_cast<int>(bad.size()), 10);
    ShowMessageBox(this,
                   QStringLiteral("%1 行が読めませんでした。印なしで名簿に残してあります。\n\n")
                           .arg(bad.size()) +
                       bad.mid(0, shown).join(u'\n') +
                       (bad.size() > shown ? QStringLiteral("\n…") : QString()),
                   kCaption, MB_OK | MB_ICONWARNING);
  }
  return true;
}

bool TPupilsDialog::ExportTo(const QString& path, CsvEncoding encoding) {
  try {
    WritePupilFile(path, List(), encoding);
  } catch (const Error& e) {
    ShowMessageBox(this, QString::fromUtf8(e.what()), kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}

void TPupilsDialog::Import() {
  const QString path =
      QFileDialog::getOpenFileName(this, QStringLiteral("名簿を読み込む"), QString(),
                                   QStringLiteral("CSV (*.csv *.txt);;すべてのファイル (*)"));
  if (!path.isEmpty()) ImportFrom(path);
}

void TPupilsDialog::Export() {
  const QString utf8 = QStringLiteral("CSV UTF-8 (*.csv)");
  const QString sjis = QStringLiteral("CSV Shift_JIS (*.csv)");
  QString filter = Kept.encoding == CsvEncoding::Cp932 ? sjis : utf8;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("名簿を書き出す"),
                                              QStringLiteral("meibo.csv"),
                                              utf8 + QStringLiteral(";;") + sjis, &filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  CsvEncoding encoding = CsvEncoding::Cp932;
  if (filter != sjis)
    encoding = Kept.encoding == CsvEncoding::Utf8 ? CsvEncoding::Utf8 : CsvEncoding::Utf8Bom;
  ExportTo(path, encoding);
}

void TPupilsDialog::done(int result) {
  if (result == QDialog::Accepted) {
    for (int row = 0; row < Table->rowCount(); ++row) {
      const bool bad = !(Table->item(row, kTickColumn)->flags() & Qt::ItemIsUserCheckable);
      if (!bad && Table->item(row, kNameColumn)->text().trimmed().isEmpty()) {
        ShowMessageBox(this, QStringLiteral("%1 行目の氏名が空です。").arg(row + 1), kCaption,
                       MB_OK | MB_ICONWARNING);
        Table->setCurrentCell(row, kNameColumn);
        return;
      }
    }
    try {
      SavePupilList(List());
    } catch (const Error& e) {
      ShowMessageBox(this, QString::fromUtf8(e.what()), kCaption, MB_OK | MB_ICONWARNING);
      return;
    }
  }
  QDialog::done(result);
}

}  // namespace tamariko
