#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <algorithm>

#include "app/papers.h"
#include "core/random.h"
#include "kentei/exam_kind.h"
#include "kentei/exam_paper.h"
#include "platform/qpainter_canvas.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/render_fixtures.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;

// The page shapes: one page with かけ算 alone (10級) or beside わり算 (8級), the two-page
// paper with the widest whole figures (4級), with decimals (準3級), with yen amounts and
// negative answers in blocks of four (1級), and the 段位's four pages and answers. 暗算: the
// 10級〜7級 page of 50, two pages of 30 + 30 (4級), blocks of other rows and digits (準1級), and
// the 段位's pages with negative answers.
const char* const kShapes[] = {"shuzan-10",  "shuzan-8", "shuzan-4", "shuzan-p3", "shuzan-1",
                               "shuzan-dan", "anzan-10", "anzan-4",  "anzan-p1",  "anzan-dan"};

// Up to 4級 every figure is 13 points; above it at least 10.
bool Young(const char* key) {
  for (const char* young : {"shuzan-10", "shuzan-8", "shuzan-4", "anzan-10", "anzan-4"}) {
    if (std::string(key) == young) return true;
  }
  return false;
}

TExamPaper& Made(const char* key, std::uint32_t seed = 11) {
  static std::map<std::string, std::unique_ptr<TExamPaper>> papers;
  auto& paper = papers[key];
  paper = std::make_unique<TExamPaper>(*FindExamGrade(QString::fromLatin1(key)));
  SetRandomSeed(seed);
  paper->Make();
  return *paper;
}

// The figures drawn (the carried face), by text.
QStringList Figures(const RecordingCanvas& canvas) {
  QStringList out;
  for (const auto& op : canvas.OfKind(Kind::TextOut)) {
    if (op.fontName == kCarriedFace) out << op.text;
  }
  return out;
}

// The answers in the order the answer pages give them: section by section as printed.
QStringList PrintedAnswers(const TExamPaper& paper) {
  QStringList answers;
  for (std::size_t i = 0; i < paper.Grade().sections.size(); ++i)
    answers << paper.SectionAnswers(i);
  return answers;
}

TEST(ExamPages, EveryFigureIsDrawnLargeEnoughClearOfEveryRuleAndEveryAnswerIsOnTheAnswerPage) {
  const PageMapping preview = PreviewMapping({300, 300}, {0, 0});
  for (const char* key : kShapes) {
    SCOPED_TRACE(key);
    const TExamPaper& paper = Made(key);
    QStringList problemFigures;
    for (int page = 0; page < static_cast<int>(paper.Pages().size()); ++page) {
      RecordingCanvas canvas;
      paper.DrawPreview(page, canvas, preview);
      EXPECT_NE(canvas.FindText(QStringLiteral("ORVぽろね教室")), nullptr);
      EXPECT_NE(canvas.FindText(QStringLiteral("第1回")), nullptr);
      for (const auto& op : canvas.OfKind(Kind::TextOut)) {
        if (op.fontName != kCarriedFace) continue;
        if (Young(key)) {
          EXPECT_EQ(op.fontSize, 13) << op.text.toStdString();
        } else {
          EXPECT_GE(op.fontSize, 10) << op.text.toStdString();
        }
        EXPECT_FALSE(canvas.RuleTouches(RecordingCanvas::BoxOf(op)))
            << page << " " << op.text.toStdString();
      }
      if (!paper.Pages()[page].ref.answers) {
        problemFigures << Figures(canvas);
        continue;
      }
      EXPECT_EQ(Figures(canvas), PrintedAnswers(paper));
    }
    // Every row of every みとり算 problem, and every かけ算 and わり算 line.
    const TExamProblems& made = *paper.Problems();
    // ¥ before the first row of a problem only.
    for (const auto& p : made.abacus) {
      for (std::size_t r = 0; r < p.rows.size(); ++r) {
        const QString text = r == 0 ? p.rows[r].Text() : p.rows[r].Text().remove(u'¥');
        EXPECT_TRUE(problemFigures.contains(text)) << text.toStdString();
      }
    }
    for (const auto& p : made.multiplication) {
      EXPECT_TRUE(problemFigures.contains(p.first.Text() + QStringLiteral(" × ") + p.second.Text() +
                                          QStringLiteral(" =")));
    }
    for (const auto& p : made.division) {
      EXPECT_TRUE(problemFigures.contains(p.first.Text() + QStringLiteral(" ÷ ") + p.second.Text() +
                                          QStringLiteral(" =")));
    }
  }
}

// As a paper's kind: its answers reach its answer page through their runs, each subject's
// from its No.1, and that page draws them as the exam's own answer page does.
TEST(ExamPages, TheAnswerPageOfAPaperDrawsTheAnswersItsKindHandsIt) {
  const PageMapping preview = PreviewMapping({300, 300}, {0, 0});
  for (const char* key : kShapes) {
    SCOPED_TRACE(key);
    const TExamGrade& grade = *FindExamGrade(QString::fromLatin1(key));
    TExamKind kind(grade);
    const TPaper withPage{grade.key,
                          grade.name,
                          {{[&grade] { return std::make_unique<TExamKind>(grade); }}},
                          ExamAnswerPages(grade),
                          {}};
    const auto page = withPage.answerPages.front().make(LayOutPaper(withPage).answerSheets[0].runs);
    RecordingCanvas empty;
    page->DrawSheet(empty, preview);
    EXPECT_TRUE(Figures(empty).join(QString()).isEmpty()) << "no answer before the paper is made";
    SetRandomSeed(11);
    kind.Make({});
    page->TakeAnswers(0, kind);
    RecordingCanvas canvas;
    page->DrawSheet(canvas, preview);
    const TExamPaper& paper = kind.Paper();
    EXPECT_EQ(Figures(canvas), PrintedAnswers(paper));
  }
}

// Printed for real on B4 and fitted on A4, kept in TAMARIKO_RENDER_DIR for a person to look at;
// the answer page's text holds every answer.
class ExamRender : public test::RenderedSheet {};

TEST_F(ExamRender, EveryPageShapePrintsOnB4AndFitsA4) {
  for (const char* key : kShapes) {
    const TExamPaper& paper = Made(key);
    for (const bool a4 : {false, true}) {
      QxPrinter().UseSheetPaper(a4 ? DMPAPER_A4 : DMPAPER_B4);
      QxPrinter().SetFitToPaper(true);
      for (int page = 0; page < static_cast<int>(paper.Pages().size()); ++page) {
        paper.PrintPage(page, QxPrinter());
        const QString pdf = spooler->PdfFilesWritten().back();
        const QString name = QStringLiteral("%1-%2%3").arg(
            QLatin1String(key), paper.Pages()[page].key, a4 ? QStringLiteral("-a4") : QString());
        const QImage image = test::RasterisePdf(pdf, QDir(output.path()).filePath(name), 100);
        if (image.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
        test::KeepForLooking(image, (name + QStringLiteral(".png")).toLatin1().constData());
        EXPECT_GT(test::InkIn(image, 0, 0, image.width(), image.height()), 1000)
            << name.toStdString();
        if (!a4) {
          QImage preview = MakePreviewImage();
          {
            QPainterCanvas canvas(&preview);
            paper.DrawPreview(page, canvas, Preview());
          }
          test::KeepForLooking(preview,
                               (name + QStringLiteral("-preview.png")).toLatin1().constData());
        }
        if (!paper.Pages()[page].ref.answers || a4) continue;
        const QStringList texts = test::PdfPageTexts(pdf);
        if (texts.isEmpty()) continue;
        for (const QString& answer : paper.Answers(TExamSubject::Multiplication)) {
          EXPECT_TRUE(texts.front().contains(answer)) << answer.toStdString();
        }
      }
    }
  }
}

}  // namespace
}  // namespace tamariko
