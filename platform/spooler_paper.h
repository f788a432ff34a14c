#pragma once

#include <QPageSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tamariko {

// The papers the program knows, from one table: the classic driver paper numbers (12 = B4
// JIS 257 x 364 mm, 9 = A4, 1 = Letter, ...), the page sizes Qt knows, the names on Japanese
// paper packs and the --paper names. Numbers without a Qt size are not mapped.
std::optional<QPageSize::PageSizeId> PageSizeOfPaperNumber(int paper);
// 0 when the size has no paper number.
int PaperNumberOfPageSize(QPageSize::PageSizeId id);
// Every mapped paper number, ascending.
std::vector<std::uint16_t> KnownPaperNumbers();
// The papers a run can be asked for by name, any case: B4, A4, A3, B5, Letter, Legal (B4
// and B5 are the JIS sizes, 257 x 364 and 182 x 257 mm). 0 for another name.
int PaperNumberOfName(const QString& name);
// Those names in order, and as one text for messages: "B4, A4, A3, B5, Letter, Legal".
QStringList PaperNames();
QString PaperNamesList();
// The name of a paper number: the run's name, else Qt's, else "paper N".
QString PaperNameOfNumber(int paper);
// A paper's name as on Japanese paper packs ("B4 (JIS)", "はがき"), else the driver's own
// name where it has one, else the usual one.
QString JapanesePaperName(int paper);
QString JapanesePaperName(int paper, const QString& driverName);
// Where the paper comes in a list of papers: those of Japanese paper packs first, in the
// order teachers look for them, then all others alike.
int JapanesePaperRank(int paper);
// The paper of a device mode: a known number, or 256 with length and width in tenths of a
// millimetre. Invalid when neither gives a size.
QPageSize PageSizeOfDevMode(int paper, int lengthTenthMm, int widthTenthMm);

}  // namespace tamariko
