#include "app/workbook.h"

#include "core/sheet_drawer.h"
#include "platform/qpainter_canvas.h"

namespace tamariko {
namespace {

// A printer whose every page gets the set's label before the job ends.
class MarkingPrintTarget : public TPrintTarget {
 public:
  MarkingPrintTarget(TPrintTarget& printer, std::uint32_t seed) : printer_(printer), seed_(seed) {}

  PixelPair GetPixelsPerInch() override { return printer_.GetPixelsPerInch(); }
  PixelPair GetPageOffset() override { return printer_.GetPageOffset(); }
  void BeginDoc(const QString& title) override {
    mapping_ = PrintMapping(printer_.GetPixelsPerInch(), printer_.GetPageOffset());
    printer_.BeginDoc(title);
  }
  TCanvas& Canvas() override { return printer_.Canvas(); }
  void EndDoc() override {
    try {
      DrawSetMark(printer_.Canvas(), mapping_, seed_);
    } catch (...) {
      printer_.EndDoc();
      throw;
    }
    printer_.EndDoc();
  }

 private:
  TPrintTarget& printer_;
  std::uint32_t seed_;
  PageMapping mapping_;
};

}  // namespace

TWorkbook::TWorkbook(const TSheetTexts* texts) {
  mental_.SetSheetTexts(texts);
  multiplication_.SetSheetTexts(texts);
  answers_.SetSheetTexts(texts);
}

void TWorkbook::MakeProblems(const SheetChoice& choice, const ShowPreview& plainShow,
                             const std::function<void()>& step) {
  ShowPreview show = plainShow;
  if (show && mark_) {
    show = [&](Sheet sheet, const PreviewDraw& draw) {
      plainShow(sheet, [&](TCanvas& c, const PageMapping& m) {
        draw(c, m);
        DrawSetMark(c, m, *mark_);
      });
    };
  }
  mental_.SetOrganizerLabel(kOrganizerLabel);
  multiplication_.SetOrganizerLabel(kOrganizerLabel);
  answers_.SetOrganizerLabel(kOrganizerLabel);
  auto nextStep = [&] {
    if (step) step();
  };

  if (choice.mental) {
    nextStep();
    if (show) {
      show(Sheet::Mental, [this](TCanvas& c, const PageMapping& m) { mental_.MakeSheet(c, m); });
    } else {
      mental_.Generate();
    }
    for (int i = 0; i < TMitori1_1::kProblemCount; ++i) {
      answers_.SetMentalAnswer(i, mental_.GetAnswer(i));
    }
  }
  if (choice.multiplication) {
    nextStep();
    if (show) {
      show(Sheet::Multiplication,
           [this](TCanvas& c, const PageMapping& m) { multiplication_.MakeSheet(c, m); });
    } else {
      multiplication_.Generate();
    }
    for (int i = 0; i < Tkake::kProblemCount; ++i) {
      answers_.SetMultiplicationAnswer(i, multiplication_.GetAnswer(i));
    }
  }
  nextStep();
  if (show) {
    show(Sheet::Answers, [this](TCanvas& c, const PageMapping& m) { answers_.DrawSheet(c, m); });
  }
}

void TWorkbook::PrintRun(const SheetChoice& choice, const std::function<void(Sheet)>& print) {
  if (choice.mental) print(Sheet::Mental);
  if (choice.multiplication) print(Sheet::Multiplication);
  if (choice.answers) print(Sheet::Answers);
}

void TWorkbook::PrintSheets(const SheetChoice& choice, TPrintTarget& printer) {
  PrintRun(choice, [&](Sheet sheet) { PrintSheet(sheet, printer); });
}

void TWorkbook::PrintSheet(Sheet sheet, TPrintTarget& plainPrinter) {
  std::optional<MarkingPrintTarget> marking;
  if (mark_) marking.emplace(plainPrinter, *mark_);
  TPrintTarget& printer = marking ? static_cast<TPrintTarget&>(*marking) : plainPrinter;
  switch (sheet) {
    case Sheet::Mental:
      mental_.PrintSheet(printer);
      break;
    case Sheet::Multiplication:
      multiplication_.PrintSheet(printer);
      break;
    case Sheet::Answers:
      answers_.PrintSheet(printer);
      break;
  }
}

QImage DrawPreviewImage(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping) {
  QImage page = MakePreviewImage();
  {
    QPainterCanvas canvas(&page);
    draw(canvas, mapping);
  }
  return page;
}

}  // namespace tamariko
