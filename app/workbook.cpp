#include "app/workbook.h"

namespace tamariko {

TWorkbook::TWorkbook(const TSheetTexts* texts) {
  mental_.SetSheetTexts(texts);
  multiplication_.SetSheetTexts(texts);
  answers_.SetSheetTexts(texts);
}

void TWorkbook::MakeProblems(const SheetChoice& choice, const ShowPreview& show,
                             const std::function<void()>& step) {
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

void TWorkbook::PrintSheet(Sheet sheet, TPrintTarget& printer) {
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

}  // namespace tamariko
