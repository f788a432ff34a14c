#include "app/workbook.h"

#include <algorithm>

#include "app/papers.h"
#include "core/sheet_drawer.h"
#include "platform/qpainter_canvas.h"

namespace tamariko {
namespace {

// A printer whose every page gets the set's label before the job ends.
class MarkingPrintTarget : public TPrintTarget {
 public:
  MarkingPrintTarget(TPrintTarget& printer, QString mark, QString titleSuffix)
      : printer_(printer), mark_(std::move(mark)), titleSuffix_(std::move(titleSuffix)) {}

  PixelPair GetPixelsPerInch() override { return printer_.GetPixelsPerInch(); }
  PixelPair GetPageOffset() override { return printer_.GetPageOffset(); }
  void BeginDoc(const QString& title) override {
    mapping_ = PrintMappingOf(printer_);
    printer_.BeginDoc(title + titleSuffix_);
  }
  TCanvas& Canvas() override { return printer_.Canvas(); }
  void EndDoc() override {
    try {
      DrawPageMark(printer_.Canvas(), mapping_, mark_);
    } catch (...) {
      printer_.EndDoc();
      throw;
    }
    printer_.EndDoc();
  }

 private:
  TPrintTarget& printer_;
  QString mark_;
  QString titleSuffix_;
  PageMapping mapping_;
};

}  // namespace

SheetChoice EverySheet(const TPaper& paper) {
  SheetChoice every;
  for (const SheetInfo& sheet : SheetsWithAnswerTable(paper)) every.insert(sheet.key);
  return every;
}

SheetChoice EverySheet() { return EverySheet(DefaultPaper()); }

TWorkbook::TWorkbook(const TSheetTexts* texts, const TPaper* paper)
    : paper_(paper ? paper : &DefaultPaper()), layout_(&LayoutOf(*paper_)) {
  for (const KindEntry& entry : paper_->kinds) {
    kinds_.push_back(entry.make());
    kinds_.back()->Set().SetSheetTexts(texts);
  }
  made_.assign(kinds_.size(), false);
  for (const AnswerSheet& sheet : layout_->answerSheets) {
    pages_.push_back(paper_->answerPages[sheet.entry].make(sheet.runs));
    pages_.back()->SetSheetTexts(texts);
    pages_.back()->SetJobTitle(sheet.sheet.jobTitle);
  }
}

void TWorkbook::SetMark(std::optional<std::uint32_t> seed) {
  mark_.reset();
  if (seed) mark_ = SetMarkLabel(*seed);
}

void TWorkbook::SetMarkText(const QString& text) {
  mark_.reset();
  if (!text.isEmpty()) mark_ = text;
}

void TWorkbook::SetAnswersShown(bool shown) {
  for (const auto& page : pages_) page->SetAnswersShown(shown);
}

TProblemKind* TWorkbook::KindOf(const QString& key) const {
  for (const auto& kind : kinds_) {
    for (const SheetInfo& sheet : kind->Sheets()) {
      if (sheet.key == key) return kind.get();
    }
  }
  return nullptr;
}

std::vector<SheetRef> TWorkbook::Sheets() const {
  std::vector<SheetRef> sheets;
  for (const auto& at : layout_->drawnBy) sheets.push_back({at.kind, at.sheet});
  for (int p = 0; p < static_cast<int>(pages_.size()); ++p) sheets.push_back({-1, p});
  return sheets;
}

const SheetInfo& TWorkbook::Info(SheetRef sheet) const {
  if (sheet.IsAnswerTable()) {
    return layout_->answerSheets[static_cast<std::size_t>(sheet.sheet)].sheet;
  }
  return Kind(sheet.kind).Sheets()[static_cast<std::size_t>(sheet.sheet)];
}

bool Chosen(const SheetChoice& choice, const SheetInfo& sheet) {
  return choice.contains(sheet.key) ||
         (!sheet.tickedWith.isEmpty() && choice.contains(sheet.tickedWith));
}

void TWorkbook::MakeProblems(const SheetChoice& choice, const ShowPreview& plainShow,
                             const std::function<void()>& step) {
  ShowPreview show = plainShow;
  if (show && mark_) {
    show = [&](const SheetInfo& sheet, const PreviewDraw& draw) {
      plainShow(sheet, [&](TCanvas& c, const PageMapping& m) {
        draw(c, m);
        DrawPageMark(c, m, *mark_);
      });
    };
  }
  // What an earlier run made and this one does not must not reach an answer page.
  for (const auto& page : pages_) page->ForgetAnswers();
  made_.assign(kinds_.size(), false);
  auto nextStep = [&] {
    if (step) step();
  };

  for (int k = 0; k < KindCount(); ++k) {
    TProblemKind& kind = Kind(k);
    const auto& sheets = kind.Sheets();
    if (std::none_of(sheets.begin(), sheets.end(),
                     [&](const SheetInfo& s) { return choice.contains(s.key); })) {
      continue;
    }
    nextStep();
    TProblemKind::ShowPreview showSheet;
    if (show) {
      showSheet = [&](int sheet, const PreviewDraw& draw) {
        show(sheets[static_cast<std::size_t>(sheet)], draw);
      };
    }
    kind.Make(showSheet);
    made_[static_cast<std::size_t>(k)] = true;
    for (const auto& page : pages_) page->TakeAnswers(k, kind);
  }
  nextStep();
  if (show) {
    for (std::size_t p = 0; p < pages_.size(); ++p) {
      show(layout_->answerSheets[p].sheet,
           [&](TCanvas& c, const PageMapping& m) { pages_[p]->DrawSheet(c, m); });
    }
  }
}

void TWorkbook::PrintRun(const SheetChoice& choice,
                         const std::function<void(SheetRef)>& print) const {
  for (const SheetRef sheet : Sheets()) {
    if (Chosen(choice, Info(sheet))) print(sheet);
  }
}

void TWorkbook::PrintSheets(const SheetChoice& choice, TPrintTarget& printer) {
  PrintRun(choice, [&](SheetRef sheet) { PrintSheet(sheet, printer); });
}

void TWorkbook::PrintSheet(SheetRef sheet, TPrintTarget& plainPrinter) {
  std::optional<MarkingPrintTarget> marking;
  if (mark_) marking.emplace(plainPrinter, *mark_, titleSuffix_);
  TPrintTarget& printer = marking ? static_cast<TPrintTarget&>(*marking) : plainPrinter;
  if (sheet.IsAnswerTable()) {
    pages_[static_cast<std::size_t>(sheet.sheet)]->PrintSheet(printer);
  } else {
    Kind(sheet.kind).PrintSheet(sheet.sheet, printer);
  }
}

void TWorkbook::DrawPreview(SheetRef sheet, TCanvas& image, const PageMapping& mapping) {
  if (sheet.IsAnswerTable()) {
    pages_[static_cast<std::size_t>(sheet.sheet)]->DrawSheet(image, mapping);
  } else {
    Kind(sheet.kind).DrawPreview(sheet.sheet, image, mapping);
  }
  if (mark_) DrawPageMark(image, mapping, *mark_);
}

std::optional<SheetRef> TWorkbook::SheetNamed(const QString& key) const {
  for (const SheetRef sheet : Sheets()) {
    if (Info(sheet).key == key) return sheet;
  }
  return std::nullopt;
}

QByteArray TWorkbook::JsonLine(std::uint32_t seed) const {
  QByteArray json = "{\"seed\": " + QByteArray::number(seed);
  for (int k = 0; k < KindCount(); ++k) {
    if (made_[static_cast<std::size_t>(k)] ||
        paper_->kinds[static_cast<std::size_t>(k)].inJsonUnmade) {
      json += ", " + Kind(k).Json();
    }
  }
  return json + "}\n";
}

QImage DrawPreviewImage(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping,
                        qreal devicePixelRatio) {
  QImage page = MakePreviewImage(devicePixelRatio);
  {
    QPainterCanvas canvas(&page);
    draw(canvas, mapping);
  }
  return page;
}

}  // namespace tamariko
