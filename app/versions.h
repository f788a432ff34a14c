#pragma once

// A paper's number and its versions, shared by the window and the batch: the paper of
// number N is what `--seed N` makes, and version n of a run starting at N is the paper of
// N + n - 1, so one typed number makes any of them again.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/workbook.h"

namespace tamariko {

// The most versions one print makes.
inline constexpr int kMaxVersions = 40;

// A number no ケリモ before is likely to have taken, nor its neighbours (the versions).
std::uint32_t FreshPaperNumber();
// Reads a typed number (full-width digits too); none for text that is not one.
std::optional<std::uint32_t> ReadPaperNumber(const QString& text);

// Version `index` (0 the first) as its pages say it: 「Ａ版」 to 「Ｚ版」, then 「27版」.
QString VersionLabel(int index);
// The label at the foot of a window's page: 「問題番号 20261207」, with 「　Ｂ版」 when the
// page is one version of several.
QString PaperMark(std::uint32_t number, std::optional<int> version = std::nullopt);
// The name of one PDF holding `count` versions: 「大会問題_A-F」.
QString VersionsFileStem(const TPaper& paper, int count);

// The paper of `number`: the generator put at it, then the sheets of `made` made with
// `mark` on every page (none when empty), previews shown through `show`.
std::unique_ptr<TWorkbook> MakePaper(const TSheetTexts* texts, const TPaper& paper,
                                     std::uint32_t number, const SheetChoice& made,
                                     const QString& mark = {},
                                     const TWorkbook::ShowPreview& show = {});

// One page of a print of several versions.
struct VersionPage {
  int version;
  SheetRef sheet;
};
// Every version's problem pages in version order, then every version's answer pages, so
// that the answers come off the top of the stack together. `chosen` in a version's order.
std::vector<VersionPage> VersionOrder(const std::vector<SheetRef>& chosen, int versions);
// Printed on both sides, a version's problem pages share sheets, and so do its answer
// pages; whether page `i` of `order` is the first of such a job, which starts a fresh sheet.
bool StartsJob(const std::vector<VersionPage>& order, std::size_t i);
// The title of the job that page starts: 「大会問題（Ｂ版）」, 「大会問題 解答」.
QString JobTitle(const TPaper& paper, const VersionPage& first, int versions);

}  // namespace tamariko
