#pragma once

#include <QPageSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tamariko {

// The classic driver paper numbers (12 = B4 JIS 257 x 364 mm, 9 = A4, 1 = Letter, ...) and
// the page sizes Qt knows. Numbers without a Qt size are not mapped.
std::optional<QPageSize::PageSizeId> PageSizeOfPaperNumber(int paper);
// 0 when the size has no paper number.
int PaperNumberOfPageSize(QPageSize::PageSizeId id);
// Every mapped paper number, ascending.
std::vector<std::uint16_t> KnownPaperNumbers();
// The paper of a device mode: a known number, or 256 with length and width in tenths of a
// millimetre. Invalid when neither gives a size.
QPageSize PageSizeOfDevMode(int paper, int lengthTenthMm, int widthTenthMm);

}  // namespace tamariko
