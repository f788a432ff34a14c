#include "core/paper.h"

#include <QSet>
#include <algorithm>
#include <optional>

#include "core/error.h"

namespace tamariko {
namespace {

[[noreturn]] void Refuse(const TPaper& paper, const QString& why) {
  throw Error(QStringLiteral("用紙「%1」(%2) の作りに誤りがあります: %3")
                  .arg(paper.name, paper.key, why)
                  .toStdString());
}

// The cells of one answer page, each taken by at most one run.
class Cells {
 public:
  Cells(int columns, int rows)
      : columns_(columns), rows_(rows), taken_(static_cast<std::size_t>(columns * rows)) {}

  bool Fits(int column, int firstRow, int count) const {
    if (column < 0 || column >= columns_ || firstRow < 0 || firstRow + count > rows_) {
      return false;
    }
    for (int r = firstRow; r < firstRow + count; ++r) {
      if (taken_[Index(column, r)]) return false;
    }
    return true;
  }
  void Take(int column, int firstRow, int count) {
    for (int r = firstRow; r < firstRow + count; ++r) taken_[Index(column, r)] = true;
  }
  // The first place, column by column, with `count` free rows one after another.
  std::optional<std::pair<int, int>> FirstFree(int count) const {
    for (int c = 0; c < columns_; ++c) {
      for (int r = 0; r + count <= rows_; ++r) {
        if (Fits(c, r, count)) return std::pair{c, r};
      }
    }
    return std::nullopt;
  }

 private:
  std::size_t Index(int column, int row) const {
    return static_cast<std::size_t>(column * rows_ + row);
  }
  int columns_;
  int rows_;
  std::vector<bool> taken_;
};

struct LaidPage {
  AnswerSheet sheet;
  Cells cells;
};

}  // namespace

TPaperLayout LayOutPaper(const TPaper& paper) {
  TPaperLayout layout;
  std::vector<std::unique_ptr<TProblemKind>> kinds;
  for (const KindEntry& entry : paper.kinds) kinds.push_back(entry.make());

  // The problem sheets: those the paper orders first, the rest in their kinds' order.
  std::vector<TPaperLayout::KindSheet> drawn;
  for (int k = 0; k < static_cast<int>(kinds.size()); ++k) {
    for (int s = 0; s < static_cast<int>(kinds[static_cast<std::size_t>(k)]->Sheets().size());
         ++s) {
      drawn.push_back({k, s});
    }
  }
  const auto info = [&](TPaperLayout::KindSheet at) -> const SheetInfo& {
    return kinds[static_cast<std::size_t>(at.kind)]->Sheets()[static_cast<std::size_t>(at.sheet)];
  };
  for (const QString& key : paper.sheetOrder) {
    if (std::none_of(drawn.begin(), drawn.end(),
                     [&](TPaperLayout::KindSheet at) { return info(at).key == key; })) {
      Refuse(paper, QStringLiteral("並びの「%1」は問題の用紙にありません (answer pages come after "
                                   "every problem sheet)")
                        .arg(key));
    }
  }
  const auto rank = [&](TPaperLayout::KindSheet at) {
    const qsizetype placed = paper.sheetOrder.indexOf(info(at).key);
    return placed >= 0 ? placed : paper.sheetOrder.size();
  };
  std::stable_sort(drawn.begin(), drawn.end(), [&](auto a, auto b) { return rank(a) < rank(b); });
  layout.drawnBy = drawn;
  for (const auto at : drawn) layout.problemSheets.push_back(info(at));

  // Each kind's runs, named, holding each of its answers once.
  std::vector<AnswerRun> runs;
  for (int k = 0; k < static_cast<int>(kinds.size()); ++k) {
    const TProblemKind& kind = *kinds[static_cast<std::size_t>(k)];
    std::vector<int> held(static_cast<std::size_t>(kind.AnswerCount()), 0);
    int n = 0;
    for (AnswerRun run : kind.AnswerRuns()) {
      ++n;
      run.kind = k;
      if (run.key.isEmpty()) {
        run.key = kind.Sheets().front().key + (n > 1 ? QStringLiteral("#%1").arg(n) : QString());
      }
      for (int a = run.firstAnswer; a < run.firstAnswer + run.count; ++a) {
        if (a < 0 || a >= kind.AnswerCount()) {
          Refuse(paper, QStringLiteral("「%1」の答え %2 はありません").arg(run.key).arg(a + 1));
        }
        ++held[static_cast<std::size_t>(a)];
      }
      runs.push_back(run);
    }
    for (std::size_t a = 0; a < held.size(); ++a) {
      if (held[a] != 1) {
        Refuse(paper, QStringLiteral("「%1」の答え %2 が解答欄に %3 回あります")
                          .arg(kind.Sheets().front().key)
                          .arg(a + 1)
                          .arg(held[a]));
      }
    }
  }

  // The answer pages: first every place by hand, then the other runs in free cells.
  std::vector<LaidPage> pages;
  for (std::size_t e = 0; e < paper.answerPages.size(); ++e) {
    const AnswerPageEntry& entry = paper.answerPages[e];
    pages.push_back({{entry.sheet, e, {}}, Cells(entry.columns, entry.rows)});
  }
  std::vector<bool> placed(runs.size(), false);
  for (LaidPage& page : pages) {
    for (const AnswerPlace& place : paper.answerPages[page.sheet.entry].places) {
      const auto run = std::find_if(runs.begin(), runs.end(),
                                    [&](const AnswerRun& r) { return r.key == place.run; });
      // A page's layout may serve papers without that run.
      if (run == runs.end()) continue;
      if (!page.cells.Fits(place.column, place.firstRow, run->count)) {
        Refuse(paper, QStringLiteral("「%1」が解答欄からはみ出すか、ほかの答えと重なります "
                                     "(column %2, rows %3 to %4)")
                          .arg(run->key)
                          .arg(place.column + 1)
                          .arg(place.firstRow + 1)
                          .arg(place.firstRow + run->count));
      }
      page.cells.Take(place.column, place.firstRow, run->count);
      AnswerRun laid = *run;
      laid.column = place.column;
      laid.firstRow = place.firstRow;
      page.sheet.runs.push_back(laid);
      placed[static_cast<std::size_t>(run - runs.begin())] = true;
    }
  }
  const auto taker = std::find_if(paper.answerPages.begin(), paper.answerPages.end(),
                                  [](const AnswerPageEntry& e) { return e.takesOthers; });
  for (std::size_t r = 0; r < runs.size(); ++r) {
    if (placed[r]) continue;
    const AnswerRun& run = runs[r];
    if (taker == paper.answerPages.end()) {
      Refuse(paper, QStringLiteral("「%1」の答えを書く解答欄がありません").arg(run.key));
    }
    if (run.count > taker->rows) {
      Refuse(paper, QStringLiteral("「%1」の答え %2 個は解答欄の %3 行に収まりません")
                        .arg(run.key)
                        .arg(run.count)
                        .arg(taker->rows));
    }
    const std::size_t entry = static_cast<std::size_t>(taker - paper.answerPages.begin());
    std::optional<std::pair<int, int>> at;
    LaidPage* page = nullptr;
    for (LaidPage& p : pages) {
      if (p.sheet.entry != entry) continue;
      at = p.cells.FirstFree(run.count);
      if (at) {
        page = &p;
        break;
      }
    }
    if (!page) {
      // A page of its own after the last: 解答２, ticked with the first.
      const int number = static_cast<int>(std::count_if(
                             pages.begin(), pages.end(),
                             [&](const LaidPage& p) { return p.sheet.entry == entry; })) +
                         1;
      SheetInfo more = taker->sheet;
      more.key = taker->sheet.key + QString::number(number);
      more.jobTitle = taker->sheet.jobTitle + QString::number(number);
      more.label = taker->sheet.Label() + QString::number(number);
      more.tickedWith = taker->sheet.key;
      pages.push_back({{more, entry, {}}, Cells(taker->columns, taker->rows)});
      page = &pages.back();
      at = page->cells.FirstFree(run.count);
    }
    page->cells.Take(at->first, at->second, run.count);
    AnswerRun laid = run;
    laid.column = at->first;
    laid.firstRow = at->second;
    page->sheet.runs.push_back(laid);
  }
  for (int p = 0; p < static_cast<int>(pages.size()); ++p) {
    std::vector<AnswerRun>& laid = pages[static_cast<std::size_t>(p)].sheet.runs;
    // In the paper's order, as the page draws them.
    std::stable_sort(laid.begin(), laid.end(), [](const AnswerRun& a, const AnswerRun& b) {
      return a.kind != b.kind ? a.kind < b.kind : a.firstAnswer < b.firstAnswer;
    });
    for (AnswerRun& run : laid) run.page = p;
    layout.answerSheets.push_back(std::move(pages[static_cast<std::size_t>(p)].sheet));
  }

  QSet<QString> keys;
  const auto unique = [&](const SheetInfo& sheet) {
    if (keys.contains(sheet.key)) {
      Refuse(paper, QStringLiteral("「%1」という用紙が二つあります").arg(sheet.key));
    }
    keys.insert(sheet.key);
  };
  for (const SheetInfo& sheet : layout.problemSheets) unique(sheet);
  for (const AnswerSheet& sheet : layout.answerSheets) unique(sheet.sheet);
  for (const QString& key : paper.firstTicked) {
    if (!keys.contains(key)) {
      Refuse(paper, QStringLiteral("最初に選ぶ「%1」という用紙はありません").arg(key));
    }
  }
  return layout;
}

}  // namespace tamariko
