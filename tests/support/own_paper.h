#pragma once

// A kind and a paper of the tests' own, added as a new one would be: a kind that draws
// three numbers and answers with a decimal, a negative yen amount and a whole number, and a
// paper of that kind and its answer table. Nothing of the program names them.

#include <QString>
#include <algorithm>
#include <memory>

#include "app/papers.h"
#include "core/random.h"
#include "core/sheet_drawer.h"
#include "kaitou/kaitou.h"

namespace tamariko::testing {

class TQuizKind : public TProblemKind {
 public:
  const std::vector<SheetInfo>& Sheets() const override {
    static const std::vector<SheetInfo> sheets = {
        {QStringLiteral("quiz"), QStringLiteral("小数の問題"),
         QStringLiteral("小数 3題\nthree decimals"), QStringLiteral("小数")}};
    return sheets;
  }
  TKeisan& Set() override { return set_; }
  void Make(const ShowPreview& show) override {
    drawn_ = Random(1000);
    if (show) show(0, [this](TCanvas& c, const PageMapping& m) { DrawPreview(0, c, m); });
  }
  void PrintSheet(int, TPrintTarget& printer) override {
    PrintPage(printer, QStringLiteral("小数の問題"), 9,
              [](SheetDrawer& d) { d.Line(10, 10, 20, 20); });
  }
  void DrawPreview(int, TCanvas& image, const PageMapping& mapping) const override {
    SheetDrawer d = PreparePreview(image, mapping);
    d.Line(10, 10, 20, 20);
  }
  std::vector<AnswerRun> AnswerRuns() const override { return {{QStringLiteral("小  数"), 0, 3}}; }
  int AnswerCount() const override { return 3; }
  TAnswer Answer(int index) const override {
    if (index == 0) return TAnswer::Fixed(68551, 3);
    if (index == 1) return TAnswer::Yen(-1234);
    return TAnswer::Whole(drawn_);
  }
  QByteArray Json() const override {
    return "\"quiz\": {\"answers\": " + JsonArray(3, [this](int i) { return Answer(i); }) + "}";
  }

 private:
  TKeisan set_;
  int drawn_ = 0;
};

inline const TPaper& QuizPaper() {
  static const TPaper paper{
      QStringLiteral("quiz-paper"),
      QStringLiteral("小数練習"),
      {{[] { return std::make_unique<TQuizKind>(); }}},
      {Tkaitou::Entry({QStringLiteral("quizkaitou"),
                       QStringLiteral("小数の解答表"),
                       {},
                       QStringLiteral("解答")})},
      {QStringLiteral("quiz"), QStringLiteral("quizkaitou")},
  };
  return paper;
}

// The quiz paper is one of the program's papers for as long as this lives.
class ScopedQuizPaper {
 public:
  ScopedQuizPaper() { Papers().push_back(&QuizPaper()); }
  ~ScopedQuizPaper() {
    auto& papers = Papers();
    papers.erase(std::remove(papers.begin(), papers.end(), &QuizPaper()), papers.end());
  }
  ScopedQuizPaper(const ScopedQuizPaper&) = delete;
  ScopedQuizPaper& operator=(const ScopedQuizPaper&) = delete;
};

// The contest paper with the quiz kind added last, as the recipe adds a kind, in the
// contest paper's place (its key, settings and --sheets) for as long as this lives.
class ScopedQuizOnContest {
 public:
  ScopedQuizOnContest() : contest_(Papers().front()) { Papers().front() = &Paper(); }
  ~ScopedQuizOnContest() { Papers().front() = contest_; }
  ScopedQuizOnContest(const ScopedQuizOnContest&) = delete;
  ScopedQuizOnContest& operator=(const ScopedQuizOnContest&) = delete;

  static const TPaper& Paper() {
    static const TPaper paper = [] {
      TPaper withQuiz = DefaultPaper();
      withQuiz.kinds.push_back({[] { return std::make_unique<TQuizKind>(); }});
      return withQuiz;
    }();
    return paper;
  }

 private:
  const TPaper* contest_;
};

}  // namespace tamariko::testing
