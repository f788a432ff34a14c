#include <QKeyEvent>
#include <QLabel>
#include <QToolTip>

#include "app/input_limits.h"
#include "app/papers.h"
#include "app/workbook.h"
#include "app_fixture.h"
#include "core/page_mapping.h"
#include "core/random.h"
#include "platform/qpainter_canvas.h"
#include "window/form1.h"

namespace tamariko::testing {
namespace {

// Types `text` key by key, as the teacher would.
void Type(QLineEdit* box, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(box, &press);
  }
}

TEST_F(AppTest, RoundBoxTakesTwoDigitsHalfWidthAndSaysWhyItRefuses) {
  CreateWindows();
  form->RoundBox->clear();
  Type(form->RoundBox, QStringLiteral("1a2３"));
  EXPECT_EQ(form->RoundBox->text(), QStringLiteral("12"));
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("数字2桁まで")))
      << QToolTip::text().toStdString();
  form->RoundBox->clear();
  Type(form->RoundBox, QStringLiteral("９８"));
  EXPECT_EQ(form->RoundBox->text(), QStringLiteral("98"));
}

// A printer at the density every real one has, so the preview is the one the teacher sees.
std::vector<ScriptedSpooler::Printer> PreviewDensityPrinter() {
  ScriptedSpooler::Printer printer;
  printer.name = QStringLiteral("Scripted");
  printer.dpiX = printer.dpiY = 300;
  printer.offsetX = printer.offsetY = 0;
  return {printer};
}

// What the texts change on the mental addition preview stays off the boxes beside them: the
// headings end before the division box (x 174 mm), the round before the title (x 50 mm).
TEST_F(AppTest, HeadingsAreCutToTheirPlaceAndNoTextReachesTheBoxesOrTheTitle) {
  UsePrinters(std::make_shared<ScriptedSpooler>(PreviewDensityPrinter()));
  CreateWindows();
  auto preview = [this] {
    SetRandomSeed(20261207);
    form->MakeButton->Click();
    return Child<TImage>(form, "Preview3")->Picture();
  };
  for (QLineEdit* box : {form->RoundBox, form->Heading1Box, form->Heading2Box}) box->clear();
  const QImage blank = preview();

  form->Heading1Box->insert(QString(80, u'問'));  // pasted
  // Said under the panel, off the other heading box, and every click goes through it.
  const auto* note = form->findChild<QLabel*>(QStringLiteral("HeadingNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().contains(QStringLiteral("切りました"))) << note->text().toStdString();
  EXPECT_FALSE(note->geometry().intersects(form->Heading2Box->geometry()));
  EXPECT_TRUE(note->testAttribute(Qt::WA_TransparentForMouseEvents));
  form->Heading2Box->insert(QString(40, u'問'));
  form->RoundBox->insert(QStringLiteral("99"));
  EXPECT_LT(form->Heading1Box->text().size(), 80);
  EXPECT_LT(form->Heading2Box->text().size(), 40);
  const QImage texts = preview();

  const PageMapping mm = PreviewMapping({300, 300}, {0, 0});
  int headingEnd = 0;
  for (int y = 0; y < mm.Y(90); ++y) {
    for (int x = 0; x < blank.width(); ++x) {
      if (blank.pixel(x, y) == texts.pixel(x, y)) continue;
      const bool roundRow = y > mm.Y(80);
      ASSERT_LT(x, roundRow ? mm.X(50) : mm.X(174)) << "at " << x << ", " << y;
      if (!roundRow) headingEnd = std::max(headingEnd, x);
    }
  }
  EXPECT_GT(headingEnd, mm.X(165)) << "cut no shorter than needed";
}

// The school's name: a control character is refused as typed, saying which; a name too long
// at 11 pt shrinks instead of being cut; an exam paper's free foot holds a longer one, which
// going back to the contest paper cuts, saying so.
TEST_F(AppTest, TheNameBoxRefusesControlsAndKeepsToThePaperInForce) {
  CreateWindows();
  QLineEdit* name = form->SchoolBox;
  name->clear();
  Type(name, QStringLiteral("北"));
  name->insert(QStringLiteral("\x01塾"));  // pasted
  EXPECT_EQ(name->text(), QStringLiteral("北"));
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("U+0001")))
      << QToolTip::text().toStdString();
  const QString school = QStringLiteral("そろばん塾たまりこ北教室");
  name->clear();
  name->insert(school);
  EXPECT_EQ(name->text(), school) << "shrinks to fit";

  const QString longer = school + QStringLiteral("・南教室・東教室・西教室");
  form->UsePaper(*ExamPaperNamed(QStringLiteral("shuzan-8")));
  EXPECT_TRUE(form->Heading2Box->toolTip().contains(QStringLiteral("「受験番号」")))
      << "its own box";
  name->clear();
  name->insert(longer);
  EXPECT_EQ(name->text(), longer);
  form->UsePaper(DefaultPaper());
  EXPECT_TRUE(longer.startsWith(name->text()));
  EXPECT_LT(name->text().size(), longer.size());
  const auto* note = form->findChild<QLabel*>(QStringLiteral("HeadingNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_FALSE(note->isHidden());
  EXPECT_TRUE(note->text().contains(QStringLiteral("この用紙には入りきらない")))
      << note->text().toStdString();
  EXPECT_TRUE(name->toolTip().contains(QStringLiteral("学年の印の手前"))) << "the contest's place";
}

// Texts that fill each line of `places` as far as it goes: tall, deep and wide.
struct FullTexts : TSheetTexts {
  explicit FullTexts(const TeacherPlaces& places) {
    const QString probe = QStringLiteral("ÉgÅj問そろばん塾").repeated(30);
    h1 = FittingHeading(places, HeadingLine::First, probe);
    h2 = FittingHeading(places, HeadingLine::Second, probe);
    organizer = FittingHeading(places, HeadingLine::Organizer, probe);
  }
  QString h1, h2, organizer;
  QString RoundText() const override { return QStringLiteral("1"); }
  QString Heading1() const override { return h1; }
  QString Heading2() const override { return h2; }
  QString Organizer() const override { return organizer; }
};
struct EmptyTexts : FullTexts {
  using FullTexts::FullTexts;
  QString Heading1() const override { return {}; }
  QString Heading2() const override { return {}; }
  QString Organizer() const override { return {}; }
};

// Every page of `paper` at 300 dpi, drawn with `texts`.
std::vector<QImage> Pages(const TPaper& paper, const TSheetTexts& texts) {
  SetRandomSeed(7);
  TWorkbook book(&texts, &paper);
  book.MakeProblems(EverySheet(paper), [](const SheetInfo&, const TWorkbook::PreviewDraw&) {});
  const PageMapping mapping{300 / 25.4L, 300 / 25.4L, 0, 0};
  std::vector<QImage> pages;
  for (const SheetRef sheet : book.Sheets()) {
    QImage page(3036, 4300, QImage::Format_Grayscale8);
    page.setDotsPerMeterX(static_cast<int>(std::lround(300 / 0.0254)));
    page.setDotsPerMeterY(page.dotsPerMeterX());
    QPainterCanvas canvas(&page);
    book.DrawPreview(sheet, canvas, mapping);
    canvas.End();
    pages.push_back(page);
  }
  return pages;
}

// The teacher's lines filled to their limits on every page of every paper leave ink only in
// their places, and no other ink of the page is in a place they use. The contest sheets of
// sixty problems have their header 30 mm higher.
TEST_F(AppTest, TheTeachersLinesStayInTheirPlacesAndTheirPlacesAreFreeOnEveryPaper) {
  std::vector<const TPaper*> papers = {&DefaultPaper()};
  for (const QString key :
       {"shuzan-10", "shuzan-6", "shuzan-dan", "anzan-10", "anzan-6", "anzan-dan"}) {
    papers.push_back(ExamPaperNamed(key));
  }
  const auto pixels = [](const HeadingPlace& p) {
    const auto mm = [](long double v) { return static_cast<int>(v * 300 / 25.4L); };
    return QRect(QPoint(mm(p.x - 1), mm(p.top)), QPoint(mm(p.endX) - 1, mm(p.bottom)));
  };
  for (const TPaper* paper : papers) {
    ASSERT_NE(paper, nullptr);
    const TeacherPlaces& at = paper->places;
    std::vector<QRect> rooms;
    for (const long double shift : {0.0L, -30.0L}) {
      if (shift != 0 && paper != &DefaultPaper()) continue;
      rooms.push_back(pixels(at.heading1.Lowered(shift)));
      rooms.push_back(pixels(at.heading2.Lowered(shift)));
    }
    rooms.push_back(pixels(at.organizer));
    const FullTexts full(at);
    EXPECT_GT(full.organizer.size(), 8) << paper->key.toStdString();
    const std::vector<QImage> empty = Pages(*paper, EmptyTexts(at));
    const std::vector<QImage> filled = Pages(*paper, full);
    ASSERT_EQ(empty.size(), filled.size());
    for (std::size_t p = 0; p < empty.size(); ++p) {
      const std::string where = paper->key.toStdString() + " page " + std::to_string(p);
      std::vector<bool> used(rooms.size(), false);
      int changed = 0;
      for (int y = 0; y < empty[p].height(); ++y) {
        const uchar* a = empty[p].constScanLine(y);
        const uchar* b = filled[p].constScanLine(y);
        for (int x = 0; x < empty[p].width(); ++x) {
          // Ink, not the shading of a glyph's edge, which a painter may vary from text to text.
          if (std::abs(a[x] - b[x]) < 64) continue;
          ++changed;
          bool inside = false;
          for (std::size_t r = 0; r < rooms.size(); ++r) {
            if (rooms[r].contains(x, y)) used[r] = inside = true;
          }
          ASSERT_TRUE(inside) << where << " at " << x << ", " << y;
        }
      }
      EXPECT_GT(changed, 1000) << where;
      for (std::size_t r = 0; r < rooms.size(); ++r) {
        if (!used[r]) continue;
        for (int y = rooms[r].top(); y <= rooms[r].bottom(); ++y) {
          for (int x = rooms[r].left(); x <= rooms[r].right(); ++x) {
            ASSERT_GE(qGray(empty[p].pixel(x, y)), 160)
                << where << " room " << r << " at " << x << ", " << y;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tamariko::testing
