#include "platform/spooler_paper.h"

#include <QSizeF>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace tamariko {

namespace {

using Id = QPageSize::PageSizeId;

// Every paper the program knows: its driver number, Qt's size, its name on Japanese paper
// packs and its --paper name where it has them. The papers with a Japanese name come first,
// in the order teachers look for them in a list; the --paper names keep that order too.
// Where two numbers name one size, the first one listed is the one given back.
struct Paper {
  int number;
  Id id;
  const char* japanese;
  const char* key;
};
constexpr Paper kPapers[] = {
    {12, QPageSize::JisB4, "B4 (JIS)", "B4"},
    {9, QPageSize::A4, "A4", "A4"},
    {8, QPageSize::A3, "A3", "A3"},
    {13, QPageSize::JisB5, "B5 (JIS)", "B5"},
    {1, QPageSize::Letter, "レター", "Letter"},
    {11, QPageSize::A5, "A5", nullptr},
    {70, QPageSize::A6, "A6", nullptr},
    {88, QPageSize::JisB6, "B6 (JIS)", nullptr},
    {66, QPageSize::A2, "A2", nullptr},
    {43, QPageSize::Postcard, "はがき", nullptr},
    {69, QPageSize::DoublePostcard, "往復はがき", nullptr},
    {42, QPageSize::B4, "ISO B4", nullptr},
    {71, QPageSize::EnvelopeKaku2, "角形2号封筒", nullptr},
    {72, QPageSize::EnvelopeKaku3, "角形3号封筒", nullptr},
    {73, QPageSize::EnvelopeChou3, "長形3号封筒", nullptr},
    {74, QPageSize::EnvelopeChou4, "長形4号封筒", nullptr},
    {91, QPageSize::EnvelopeYou4, "洋形4号封筒", nullptr},
    {5, QPageSize::Legal, "リーガル", "Legal"},
    {2, QPageSize::Letter, nullptr, nullptr},
    {3, QPageSize::Tabloid, nullptr, nullptr},
    {4, QPageSize::Ledger, nullptr, nullptr},
    {6, QPageSize::Statement, nullptr, nullptr},
    {7, QPageSize::Executive, nullptr, nullptr},
    {10, QPageSize::A4, nullptr, nullptr},
    {15, QPageSize::Quarto, nullptr, nullptr},
    {16, QPageSize::Imperial10x14, nullptr, nullptr},
    {17, QPageSize::Tabloid, nullptr, nullptr},
    {18, QPageSize::Note, nullptr, nullptr},
    {19, QPageSize::Envelope9, nullptr, nullptr},
    {20, QPageSize::Comm10E, nullptr, nullptr},
    {21, QPageSize::Envelope11, nullptr, nullptr},
    {22, QPageSize::Envelope12, nullptr, nullptr},
    {23, QPageSize::Envelope14, nullptr, nullptr},
    {24, QPageSize::AnsiC, nullptr, nullptr},
    {25, QPageSize::AnsiD, nullptr, nullptr},
    {26, QPageSize::AnsiE, nullptr, nullptr},
    {27, QPageSize::DLE, nullptr, nullptr},
    {28, QPageSize::C5E, nullptr, nullptr},
    {29, QPageSize::EnvelopeC3, nullptr, nullptr},
    {30, QPageSize::EnvelopeC4, nullptr, nullptr},
    {31, QPageSize::EnvelopeC6, nullptr, nullptr},
    {32, QPageSize::EnvelopeC65, nullptr, nullptr},
    {33, QPageSize::EnvelopeB4, nullptr, nullptr},
    {34, QPageSize::EnvelopeB5, nullptr, nullptr},
    {35, QPageSize::EnvelopeB6, nullptr, nullptr},
    {36, QPageSize::EnvelopeItalian, nullptr, nullptr},
    {37, QPageSize::EnvelopeMonarch, nullptr, nullptr},
    {38, QPageSize::EnvelopePersonal, nullptr, nullptr},
    {39, QPageSize::FanFoldUS, nullptr, nullptr},
    {40, QPageSize::FanFoldGerman, nullptr, nullptr},
    {41, QPageSize::FanFoldGermanLegal, nullptr, nullptr},
    {44, QPageSize::Imperial9x11, nullptr, nullptr},
    {45, QPageSize::Imperial10x11, nullptr, nullptr},
    {46, QPageSize::Imperial15x11, nullptr, nullptr},
    {47, QPageSize::EnvelopeInvite, nullptr, nullptr},
    {50, QPageSize::LetterExtra, nullptr, nullptr},
    {51, QPageSize::LegalExtra, nullptr, nullptr},
    {52, QPageSize::TabloidExtra, nullptr, nullptr},
    {53, QPageSize::A4Extra, nullptr, nullptr},
    {57, QPageSize::SuperA, nullptr, nullptr},
    {58, QPageSize::SuperB, nullptr, nullptr},
    {59, QPageSize::LetterPlus, nullptr, nullptr},
    {60, QPageSize::A4Plus, nullptr, nullptr},
    {63, QPageSize::A3Extra, nullptr, nullptr},
    {64, QPageSize::A5Extra, nullptr, nullptr},
    {65, QPageSize::B5Extra, nullptr, nullptr},
    {90, QPageSize::Imperial12x11, nullptr, nullptr},
    {93, QPageSize::Prc16K, nullptr, nullptr},
    {94, QPageSize::Prc32K, nullptr, nullptr},
    {95, QPageSize::Prc32KBig, nullptr, nullptr},
    {96, QPageSize::EnvelopePrc1, nullptr, nullptr},
    {97, QPageSize::EnvelopePrc2, nullptr, nullptr},
    {98, QPageSize::EnvelopePrc3, nullptr, nullptr},
    {99, QPageSize::EnvelopePrc4, nullptr, nullptr},
    {100, QPageSize::EnvelopePrc5, nullptr, nullptr},
    {101, QPageSize::EnvelopePrc6, nullptr, nullptr},
    {102, QPageSize::EnvelopePrc7, nullptr, nullptr},
    {103, QPageSize::EnvelopePrc8, nullptr, nullptr},
    {104, QPageSize::EnvelopePrc9, nullptr, nullptr},
    {105, QPageSize::EnvelopePrc10, nullptr, nullptr},
};

}  // namespace

int PaperNumberOfName(const QString& name) {
  for (const Paper& paper : kPapers) {
    if (paper.key && name.compare(QLatin1String(paper.key), Qt::CaseInsensitive) == 0) {
      return paper.number;
    }
  }
  return 0;
}

QStringList PaperNames() {
  QStringList names;
  for (const Paper& paper : kPapers) {
    if (paper.key) names << QLatin1String(paper.key);
  }
  return names;
}

QString PaperNamesList() { return PaperNames().join(QStringLiteral(", ")); }

QString PaperNameOfNumber(int paper) {
  for (const Paper& known : kPapers) {
    if (known.number == paper && known.key) return QLatin1String(known.key);
  }
  if (const auto id = PageSizeOfPaperNumber(paper)) return QPageSize(*id).name();
  return QStringLiteral("paper %1").arg(paper);
}

QString JapanesePaperName(int paper, const QString& driverName) {
  for (const Paper& known : kPapers) {
    if (known.number == paper && known.japanese) return QString::fromUtf8(known.japanese);
  }
  if (!driverName.isEmpty()) return driverName;
  const auto id = PageSizeOfPaperNumber(paper);
  return id ? QPageSize(*id).name() : QStringLiteral("用紙 %1").arg(paper);
}

QString JapanesePaperName(int paper) { return JapanesePaperName(paper, QString()); }

int JapanesePaperRank(int paper) {
  int rank = 0;
  for (const Paper& known : kPapers) {
    if (!known.japanese) break;
    if (known.number == paper) return rank;
    ++rank;
  }
  return rank;
}

std::optional<QPageSize::PageSizeId> PageSizeOfPaperNumber(int paper) {
  for (const Paper& known : kPapers) {
    if (known.number == paper) return known.id;
  }
  return std::nullopt;
}

int PaperNumberOfPageSize(QPageSize::PageSizeId id) {
  for (const Paper& known : kPapers) {
    if (known.id == id) return known.number;
  }
  return 0;
}

std::vector<std::uint16_t> KnownPaperNumbers() {
  std::vector<std::uint16_t> numbers;
  for (const Paper& known : kPapers) numbers.push_back(static_cast<std::uint16_t>(known.number));
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

QPageSize PageSizeOfDevMode(int paper, int lengthTenthMm, int widthTenthMm) {
  if (const auto id = PageSizeOfPaperNumber(paper)) return QPageSize(*id);
  if (paper == 256 && lengthTenthMm > 0 && widthTenthMm > 0) {
    return QPageSize(QSizeF(widthTenthMm / 10.0, lengthTenthMm / 10.0), QPageSize::Millimeter,
                     QString(), QPageSize::ExactMatch);
  }
  return QPageSize();
}

}  // namespace tamariko
