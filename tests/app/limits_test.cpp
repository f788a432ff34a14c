#include <QKeyEvent>
#include <QLabel>
#include <QToolTip>

#include "app_fixture.h"
#include "core/page_mapping.h"
#include "core/random.h"

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
  form->Edit1->clear();
  Type(form->Edit1, QStringLiteral("1a2３"));
  EXPECT_EQ(form->Edit1->text(), QStringLiteral("12"));
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("数字2桁まで")))
      << QToolTip::text().toStdString();
  form->Edit1->clear();
  Type(form->Edit1, QStringLiteral("９８"));
  EXPECT_EQ(form->Edit1->text(), QStringLiteral("98"));
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
    form->Image4->Click();
    return Child<TImage>(form, "Image3")->Picture();
  };
  for (QLineEdit* box : {form->Edit1, form->Edit2, form->Edit3}) box->clear();
  const QImage blank = preview();

  form->Edit2->insert(QString(80, u'問'));  // pasted
  // Said under the panel, off the other heading box, and every click goes through it.
  const auto* note = form->findChild<QLabel*>(QStringLiteral("HeadingNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().contains(QStringLiteral("切りました"))) << note->text().toStdString();
  EXPECT_FALSE(note->geometry().intersects(form->Edit3->geometry()));
  EXPECT_TRUE(note->testAttribute(Qt::WA_TransparentForMouseEvents));
  form->Edit3->insert(QString(40, u'問'));
  form->Edit1->insert(QStringLiteral("99"));
  EXPECT_LT(form->Edit2->text().size(), 80);
  EXPECT_LT(form->Edit3->text().size(), 40);
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

}  // namespace
}  // namespace tamariko::testing
