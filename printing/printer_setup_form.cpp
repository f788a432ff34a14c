#include "printing/printer_setup_form.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSize>
#include <QPushButton>
#include <QSizeF>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/error.h"
#include "platform/cups_spooler.h"
#include "platform/spooler.h"
#include "platform/spooler_paper.h"

namespace tamariko {

namespace {

// The driver's defaults for a printer, if it can be asked.
std::optional<DevMode> DefaultsOf(Spooler& spooler, const QString& name) {
  try {
    return *DriverDefaults(spooler, name)->AsDevMode();
  } catch (const EOSError&) {
    return std::nullopt;
  }
}

QString DescribeState(const PrinterInfo2& info) {
  QString text;
  if (info.status & PRINTER_STATUS_SERVER_UNKNOWN) {
    text = QStringLiteral("印刷サーバーが応答しません");
  } else if (info.status & PRINTER_STATUS_PAUSED) {
    text = QStringLiteral("一時停止");
  } else if (info.status & PRINTER_STATUS_PRINTING) {
    text = QStringLiteral("印刷中");
  } else {
    text = QStringLiteral("準備完了");
  }
  // The server's own word for the state ("Paused") says it again, in English: only a
  // reason is worth adding.
  static const QStringList stateWords = {QStringLiteral("paused"),   QStringLiteral("stopped"),
                                         QStringLiteral("idle"),     QStringLiteral("ready"),
                                         QStringLiteral("printing"), QStringLiteral("processing")};
  QString message = info.statusMessage.trimmed();
  if (message.endsWith(u'.')) message.chop(1);
  if (!message.isEmpty() && !stateWords.contains(message, Qt::CaseInsensitive)) {
    text += QStringLiteral(" (%1)").arg(info.statusMessage.trimmed());
  }
  return text;
}

void SelectData(QComboBox* box, int value) {
  const int index = box->findData(value);
  if (index >= 0) box->setCurrentIndex(index);
}

}  // namespace

TPrinterSetupForm::TPrinterSetupForm(Spooler& spooler, const PrinterChoice& choice, QWidget* parent)
    : QDialog(parent),
      spooler_(spooler),
      initial_(choice),
      wantedPaper_(choice.paper),
      twoSided_(choice.twoSided) {
  setupUi(this);
  // Set here so that they read the same with or without Qt's translation.
  ButtonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  ButtonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  FolderError->hide();
  twoSidedTip_ = TwoSidedBox->toolTip();
  hasPdfPrinter_ = dynamic_cast<CupsSpooler*>(&spooler) != nullptr;
  NoticeText = new QLabel(this);
  NoticeText->setObjectName(QStringLiteral("NoticeText"));
  NoticeText->setWordWrap(true);
  NoticeText->hide();
  dialogLayout->insertWidget(0, NoticeText);
  // The window opens without asking the server; here is where its silence is told.
  if (const auto* cups = dynamic_cast<CupsSpooler*>(&spooler)) {
    if (cups->State() == CupsSpooler::ServerState::NotAnswering) {
      ShowNotice(
          QStringLiteral("状態: 印刷サーバーが応答しません。応答が戻るまで、サーバーの"
                         "プリンターには印刷できません。「PDF」プリンターはいつでも使えます。"));
    } else if (cups->State() != CupsSpooler::ServerState::Answering) {
      ShowNotice(QStringLiteral("状態: 印刷サーバーにプリンターを問い合わせています。"));
    }
  }
  FolderEdit->setText(QDir::toNativeSeparators(choice.pdfFolder));

  ChooseFolder = [this](const QString& current) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("PDFの保存先"), current);
  };

  for (const PrinterInfo4& printer :
       spooler.EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS)) {
    PrinterBox->addItem(ShownPrinterName(spooler, printer.printerName), printer.printerName);
  }
  const int current = PrinterBox->findData(choice.printer);
  PrinterBox->setCurrentIndex(std::max(0, current));
  (choice.fit ? FitButton : ActualSizeButton)->setChecked(true);
  ShowPrinter(PrinterBox->currentData().toString(), false);

  connect(TwoSidedBox, &QCheckBox::toggled, this, [this](bool on) {
    const QString printer = PrinterBox->currentData().toString();
    twoSided_.removeAll(printer);
    if (on) twoSided_.append(printer);
  });
  connect(PaperBox, &QComboBox::currentIndexChanged, this,
          [this] { wantedPaper_ = PaperBox->currentData().toInt(); });
  connect(PrinterBox, &QComboBox::currentIndexChanged, this,
          [this] { ShowPrinter(PrinterBox->currentData().toString(), true); });
  connect(FolderEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    FolderError->hide();
    if (PdfChosen()) LocationText->setText(text);
  });
  connect(FolderButton, &QPushButton::clicked, this, [this] {
    const QString folder = ChooseFolder ? ChooseFolder(FolderEdit->text()) : QString();
    if (!folder.isEmpty()) FolderEdit->setText(QDir::toNativeSeparators(folder));
  });
  connect(ButtonBox, &QDialogButtonBox::accepted, this, &TPrinterSetupForm::accept);
  connect(ButtonBox, &QDialogButtonBox::rejected, this, &TPrinterSetupForm::reject);
  adjustSize();
}

void TPrinterSetupForm::ShowNotice(const QString& text) {
  NoticeText->setText(NoticeText->text().isEmpty() ? text : NoticeText->text() + u'\n' + text);
  NoticeText->show();
  adjustSize();  // the notes take room above the printer; the rest keeps its size
}

bool TPrinterSetupForm::PdfChosen() const {
  return hasPdfPrinter_ && PrinterBox->currentData().toString() == QLatin1String(kPdfPrinterName);
}

void TPrinterSetupForm::ShowPrinter(const QString& name, bool switched) {
  PrinterInfo2 info;
  if (spooler_.GetPrinterInfo2(name, info)) {
    StateText->setText(DescribeState(info));
    ModelText->setText(info.driverName);
    LocationText->setText(info.location);
    CommentText->setText(info.comment);
  } else {
    StateText->setText(QStringLiteral("見つかりません"));
    ModelText->clear();
    LocationText->clear();
    CommentText->clear();
  }
  const bool pdf = PdfChosen();
  FolderLabel->setVisible(pdf);
  FolderEdit->setVisible(pdf);
  FolderButton->setVisible(pdf);
  if (pdf) {
    LocationText->setText(FolderEdit->text());
  } else {
    FolderError->hide();
  }

  const std::optional<DevMode> defaults = DefaultsOf(spooler_, name);
  // The paper chosen and the tray shown so far stay when this printer has them; a paper
  // that only stood in for a missing one does not.
  int bin = name == initial_.printer ? initial_.bin : 0;
  if (BinBox->isEnabled() && BinBox->count() > 0) bin = BinBox->currentData().toInt();
  FillPapers(name, wantedPaper_, defaults ? defaults->dmPaperSize : 0);
  FillBins(name, bin, defaults ? defaults->dmDefaultSource : 0);
  // 両面 as it was last set for this printer, where the printer can.
  const bool duplex =
      spooler_.DeviceCapabilities(name, spooler_.PortOf(name), DC_DUPLEX, nullptr, nullptr) > 0;
  {
    const QSignalBlocker block(TwoSidedBox);
    TwoSidedBox->setEnabled(duplex);
    TwoSidedBox->setToolTip(duplex ? twoSidedTip_
                                   : QStringLiteral("このプリンターは両面に印刷できません"));
    TwoSidedBox->setChecked(duplex && twoSided_.contains(name));
  }
  // A printer without B4 starts on A4 with the page fitted, and says why.
  const bool noB4 = PaperBox->count() > 0 && PaperBox->findData(DMPAPER_B4) < 0;
  PaperNote->setVisible(noB4);
  if (noB4 && switched) FitButton->setChecked(true);
}

void TPrinterSetupForm::FillPapers(const QString& name, int wanted, int driverDefault) {
  const QString port = spooler_.PortOf(name);
  CapabilityOutput numbers;
  CapabilityOutput names;
  if (spooler_.DeviceCapabilities(name, port, DC_PAPERS, &numbers, nullptr) < 0) {
    numbers.numbers.clear();
  }
  if (spooler_.DeviceCapabilities(name, port, DC_PAPERNAMES, &names, nullptr) < 0) {
    names.names.clear();
  }
  struct Entry {
    int number;
    QString name;
  };
  std::vector<Entry> entries;
  std::vector<QPageSize::PageSizeId> sizes;
  for (std::size_t i = 0; i < numbers.numbers.size(); ++i) {
    const int number = numbers.numbers[i];
    // Two numbers of one size would read the same in the list.
    if (const auto id = PageSizeOfPaperNumber(number)) {
      if (std::find(sizes.begin(), sizes.end(), *id) != sizes.end()) continue;
      sizes.push_back(*id);
    }
    const QString driverName =
        i < static_cast<std::size_t>(names.names.size()) ? names.names.at(i) : QString();
    entries.push_back({number, JapanesePaperName(number, driverName)});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return JapanesePaperRank(a.number) < JapanesePaperRank(b.number);
  });
  // The printer in force keeps a size of the teacher's own even when it is not listed.
  if (name == initial_.printer && initial_.paper == DMPAPER_USER &&
      initial_.paperWidthTenthMm > 0 && initial_.paperLengthTenthMm > 0) {
    entries.push_back({DMPAPER_USER, QStringLiteral("ユーザー定義 (%1 × %2 mm)")
                                         .arg(initial_.paperWidthTenthMm / 10.0)
                                         .arg(initial_.paperLengthTenthMm / 10.0)});
  }

  const QSignalBlocker block(PaperBox);
  PaperBox->clear();
  for (const Entry& entry : entries) PaperBox->addItem(entry.name, entry.number);
  PaperBox->setEnabled(PaperBox->count() > 0);
  for (const int candidate :
       {wanted, static_cast<int>(DMPAPER_B4), static_cast<int>(DMPAPER_A4), driverDefault}) {
    if (PaperBox->findData(candidate) >= 0) {
      SelectData(PaperBox, candidate);
      return;
    }
  }
}

void TPrinterSetupForm::FillBins(const QString& name, int wanted, int driverDefault) {
  const QString port = spooler_.PortOf(name);
  CapabilityOutput numbers;
  CapabilityOutput names;
  const int count = spooler_.DeviceCapabilities(name, port, DC_BINS, &numbers, nullptr);
  spooler_.DeviceCapabilities(name, port, DC_BINNAMES, &names, nullptr);
  const QSignalBlocker block(BinBox);
  BinBox->clear();
  for (int i = 0; i < count && i < static_cast<int>(numbers.numbers.size()); ++i) {
    const QString shown = i < names.names.size() ? names.names.at(i) : QString();
    BinBox->addItem(shown.isEmpty() ? QStringLiteral("トレイ %1").arg(numbers.numbers[i]) : shown,
                    numbers.numbers[i]);
  }
  if (BinBox->count() == 0) {
    BinBox->addItem(QStringLiteral("(プリンターにおまかせ)"), 0);
    BinBox->setEnabled(false);
    return;
  }
  BinBox->setEnabled(true);
  for (const int candidate : {wanted, driverDefault}) {
    if (BinBox->findData(candidate) >= 0) {
      SelectData(BinBox, candidate);
      return;
    }
  }
}

PrinterChoice TPrinterSetupForm::Choice() const {
  PrinterChoice choice = initial_;
  choice.printer = PrinterBox->currentData().toString();
  choice.paper = PaperBox->count() > 0 ? PaperBox->currentData().toInt() : initial_.paper;
  if (choice.paper != DMPAPER_USER) {
    const auto id = PageSizeOfPaperNumber(choice.paper);
    const QSizeF mm = id ? QPageSize(*id).size(QPageSize::Millimeter) : QSizeF();
    choice.paperWidthTenthMm = static_cast<int>(std::lround(mm.width() * 10));
    choice.paperLengthTenthMm = static_cast<int>(std::lround(mm.height() * 10));
  }
  choice.bin = BinBox->isEnabled() ? BinBox->currentData().toInt() : 0;
  choice.fit = FitButton->isChecked();
  choice.twoSided = twoSided_;
  choice.pdfFolder =
      PdfChosen() ? QDir::fromNativeSeparators(FolderEdit->text().trimmed()) : QString();
  return choice;
}

void TPrinterSetupForm::accept() {
  if (PdfChosen()) {
    const QString folder = QDir::fromNativeSeparators(FolderEdit->text().trimmed());
    const QFileInfo info(folder);
    QString problem;
    if (folder.isEmpty()) {
      problem = QStringLiteral("PDFの保存先のフォルダを指定してください。");
    } else if (!info.isAbsolute()) {
      problem = QStringLiteral("保存先は「/」から始まるフォルダの場所で指定してください。");
    } else if (!info.exists() && IsDocumentsFolder(folder)) {
      // A fresh account has no documents folder yet: made now, as a print would make it.
      try {
        MakePdfFolder(folder);
      } catch (const Error& e) {
        problem = QString::fromUtf8(e.what());
      }
    } else if (!info.isDir()) {
      problem = QStringLiteral("フォルダ「%1」がありません。").arg(folder);
    } else if (!info.isWritable()) {
      problem = QStringLiteral("フォルダ「%1」には書き込めません。").arg(folder);
    }
    if (!problem.isEmpty()) {
      FolderError->setText(problem);
      FolderError->show();
      FolderEdit->setFocus();
      return;
    }
  }
  QDialog::accept();
}

}  // namespace tamariko
