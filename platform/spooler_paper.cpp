#include "platform/spooler_paper.h"

#include <QSizeF>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace tamariko {

namespace {

using Id = QPageSize::PageSizeId;

// Where two numbers name one size, the first one listed is the one given back.
constexpr std::pair<int, Id> kPapers[] = {
    {1, QPageSize::Letter},
    {2, QPageSize::Letter},
    {3, QPageSize::Tabloid},
    {4, QPageSize::Ledger},
    {5, QPageSize::Legal},
    {6, QPageSize::Statement},
    {7, QPageSize::Executive},
    {8, QPageSize::A3},
    {9, QPageSize::A4},
    {10, QPageSize::A4},
    {11, QPageSize::A5},
    {12, QPageSize::JisB4},
    {13, QPageSize::JisB5},
    {15, QPageSize::Quarto},
    {16, QPageSize::Imperial10x14},
    {17, QPageSize::Tabloid},
    {18, QPageSize::Note},
    {19, QPageSize::Envelope9},
    {20, QPageSize::Comm10E},
    {21, QPageSize::Envelope11},
    {22, QPageSize::Envelope12},
    {23, QPageSize::Envelope14},
    {24, QPageSize::AnsiC},
    {25, QPageSize::AnsiD},
    {26, QPageSize::AnsiE},
    {27, QPageSize::DLE},
    {28, QPageSize::C5E},
    {29, QPageSize::EnvelopeC3},
    {30, QPageSize::EnvelopeC4},
    {31, QPageSize::EnvelopeC6},
    {32, QPageSize::EnvelopeC65},
    {33, QPageSize::EnvelopeB4},
    {34, QPageSize::EnvelopeB5},
    {35, QPageSize::EnvelopeB6},
    {36, QPageSize::EnvelopeItalian},
    {37, QPageSize::EnvelopeMonarch},
    {38, QPageSize::EnvelopePersonal},
    {39, QPageSize::FanFoldUS},
    {40, QPageSize::FanFoldGerman},
    {41, QPageSize::FanFoldGermanLegal},
    {42, QPageSize::B4},
    {43, QPageSize::Postcard},
    {44, QPageSize::Imperial9x11},
    {45, QPageSize::Imperial10x11},
    {46, QPageSize::Imperial15x11},
    {47, QPageSize::EnvelopeInvite},
    {50, QPageSize::LetterExtra},
    {51, QPageSize::LegalExtra},
    {52, QPageSize::TabloidExtra},
    {53, QPageSize::A4Extra},
    {57, QPageSize::SuperA},
    {58, QPageSize::SuperB},
    {59, QPageSize::LetterPlus},
    {60, QPageSize::A4Plus},
    {63, QPageSize::A3Extra},
    {64, QPageSize::A5Extra},
    {65, QPageSize::B5Extra},
    {66, QPageSize::A2},
    {69, QPageSize::DoublePostcard},
    {70, QPageSize::A6},
    {71, QPageSize::EnvelopeKaku2},
    {72, QPageSize::EnvelopeKaku3},
    {73, QPageSize::EnvelopeChou3},
    {74, QPageSize::EnvelopeChou4},
    {88, QPageSize::JisB6},
    {90, QPageSize::Imperial12x11},
    {91, QPageSize::EnvelopeYou4},
    {93, QPageSize::Prc16K},
    {94, QPageSize::Prc32K},
    {95, QPageSize::Prc32KBig},
    {96, QPageSize::EnvelopePrc1},
    {97, QPageSize::EnvelopePrc2},
    {98, QPageSize::EnvelopePrc3},
    {99, QPageSize::EnvelopePrc4},
    {100, QPageSize::EnvelopePrc5},
    {101, QPageSize::EnvelopePrc6},
    {102, QPageSize::EnvelopePrc7},
    {103, QPageSize::EnvelopePrc8},
    {104, QPageSize::EnvelopePrc9},
    {105, QPageSize::EnvelopePrc10},
};

constexpr std::pair<const char*, int> kRunPapers[] = {
    {"B4", 12}, {"A4", 9}, {"A3", 8}, {"B5", 13}, {"Letter", 1}, {"Legal", 5},
};

}  // namespace

int PaperNumberOfName(const QString& name) {
  for (const auto& [known, number] : kRunPapers) {
    if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) return number;
  }
  return 0;
}

QString PaperNamesList() {
  QStringList names;
  for (const auto& entry : kRunPapers) names << QLatin1String(entry.first);
  return names.join(QStringLiteral(", "));
}

QString PaperNameOfNumber(int paper) {
  for (const auto& [name, number] : kRunPapers) {
    if (number == paper) return QLatin1String(name);
  }
  if (const auto id = PageSizeOfPaperNumber(paper)) return QPageSize(*id).name();
  return QStringLiteral("paper %1").arg(paper);
}

std::optional<QPageSize::PageSizeId> PageSizeOfPaperNumber(int paper) {
  for (const auto& [number, id] : kPapers) {
    if (number == paper) return id;
  }
  return std::nullopt;
}

int PaperNumberOfPageSize(QPageSize::PageSizeId id) {
  for (const auto& [number, known] : kPapers) {
    if (known == id) return number;
  }
  return 0;
}

std::vector<std::uint16_t> KnownPaperNumbers() {
  std::vector<std::uint16_t> numbers;
  for (const auto& entry : kPapers) numbers.push_back(static_cast<std::uint16_t>(entry.first));
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
