// Every label of every sheet stands clear of the rules, at the preview's density and at the
// densities a page is printed or rasterised at.
#include <QImage>
#include <map>
#include <set>

#include "app/papers.h"
#include "app/workbook.h"
#include "app_fixture.h"
#include "core/random.h"
#include "platform/qpainter_canvas.h"

namespace tamariko::testing {
namespace {

// Draws a page's rules on one image and its labels (texts in the label face) on another;
// the figures on neither. Sizes and widths are measured as on the real page.
class SplitCanvas : public TCanvas {
 public:
  struct Label {
    QRect ink;  // device pixels
    QString text;
  };
  SplitCanvas(int dpi, QSize size) : rulesImage_(Page(dpi, size)), labelsImage_(Page(dpi, size)) {
    rules_.emplace(&rulesImage_);
    labels_.emplace(&labelsImage_);
  }
  QImage Rules() {
    rules_->End();
    return rulesImage_;
  }
  QImage Labels() {
    labels_->End();
    return labelsImage_;
  }
  std::vector<Label> labels;

  void SetFontName(const QString& name) override {
    Both([&](TCanvas& c) { c.SetFontName(name); }), face_ = name;
  }
  void SetFontCharset(int charset) override {
    Both([&](TCanvas& c) { c.SetFontCharset(charset); });
  }
  void SetFontSize(int points) override {
    Both([&](TCanvas& c) { c.SetFontSize(points); });
  }
  void SetFontBold(bool bold) override {
    Both([&](TCanvas& c) { c.SetFontBold(bold); });
  }
  void SetFontItalic(bool italic) override {
    Both([&](TCanvas& c) { c.SetFontItalic(italic); });
  }
  void SetPenColor(TColor color) override {
    Both([&](TCanvas& c) { c.SetPenColor(color); });
  }
  void SetPenWidth(int pixels) override {
    Both([&](TCanvas& c) { c.SetPenWidth(pixels); });
  }
  void SetBrushStyle(BrushStyle style) override {
    Both([&](TCanvas& c) { c.SetBrushStyle(style); });
  }
  void SetBrushColor(TColor color) override {
    Both([&](TCanvas& c) { c.SetBrushColor(color); });
  }
  QRect ClipRect() const override { return rules_->ClipRect(); }
  void FillRect(const QRect& rect) override {
    Both([&](TCanvas& c) { c.FillRect(rect); });
  }
  void MoveTo(int x, int y) override { rules_->MoveTo(x, y); }
  void LineTo(int x, int y) override { rules_->LineTo(x, y); }
  void Rectangle(int x1, int y1, int x2, int y2) override { rules_->Rectangle(x1, y1, x2, y2); }
  void TextOut(int x, int y, const QString& text) override {
    if (face_ != kLabelFace || text.trimmed().isEmpty()) return;
    labels_->TextOut(x, y, text);
    const QRectF mm = labels_->InkOf(text).box;
    const qreal pixels = labelsImage_.logicalDpiY() / 25.4;
    const QRectF ink(mm.topLeft() * pixels, mm.size() * pixels);
    labels.push_back({ink.toAlignedRect().adjusted(-1, -1, 1, 1).translated(x, y), text});
  }
  int TextWidth(const QString& text) override { return labels_->TextWidth(text); }
  TextInk InkOf(const QString& text) override { return labels_->InkOf(text); }

 private:
  static QImage Page(int dpi, QSize size) {
    QImage page(size, QImage::Format_Grayscale8);
    page.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    page.setDotsPerMeterY(page.dotsPerMeterX());
    page.fill(Qt::white);
    return page;
  }
  template <typename F>
  void Both(F f) {
    f(*rules_);
    f(*labels_);
  }
  QImage rulesImage_, labelsImage_;
  std::optional<QPainterCanvas> rules_, labels_;
  QString face_ = kLabelFace;
};

// The labels of every page of `paper` whose ink shares a pixel with a rule, at `dpi` (75:
// the preview), as "sheet: text".
std::set<std::string> TouchingLabels(const TPaper& paper, int dpi, bool printed) {
  SetRandomSeed(7);
  TDefaultSheetTexts texts;
  TWorkbook book(&texts, &paper);
  book.MakeProblems(EverySheet(paper), [](const SheetInfo&, const TWorkbook::PreviewDraw&) {});
  // The whole page, or as printed: from the printable corner, 42 and 52 pixels in.
  const PageMapping mapping = dpi == kPreviewDpi ? PreviewMapping({300, 300}, {0, 0})
                              : printed          ? PrintMapping({dpi, dpi}, {0, 0})
                                                 : PageMapping{dpi / 25.4L, dpi / 25.4L, 0, 0};
  const QSize size(static_cast<int>(257 * dpi / 25.4) + 1, static_cast<int>(364 * dpi / 25.4) + 1);
  std::set<std::string> touching;
  for (const SheetRef sheet : book.Sheets()) {
    SplitCanvas canvas(dpi, size);
    book.DrawPreview(sheet, canvas, mapping);
    const QImage rules = canvas.Rules();
    const QImage labels = canvas.Labels();
    for (const SplitCanvas::Label& label : canvas.labels) {
      const QRect box = label.ink.intersected(rules.rect());
      bool touches = false;
      for (int y = box.top(); y <= box.bottom() && !touches; ++y) {
        const uchar* r = rules.constScanLine(y);
        const uchar* l = labels.constScanLine(y);
        for (int x = box.left(); x <= box.right(); ++x) {
          if (r[x] < 250 && l[x] < 250) {
            touches = true;
            break;
          }
        }
      }
      if (touches) {
        touching.insert((paper.key + u' ' + book.Info(sheet).key + QStringLiteral(": ") +
                         label.text +
                         QStringLiteral(" at %1 mm, %2 mm")
                             .arg(std::lround(label.ink.x() * 25.4 / dpi))
                             .arg(std::lround(label.ink.y() * 25.4 / dpi)))
                            .toStdString());
      }
    }
  }
  return touching;
}

TEST_F(AppTest, EveryLabelOfEverySheetClearsEveryRuleAtEveryDensity) {
  // The contest sheets, and each shape of exam page (the other grades differ in figures).
  std::vector<const TPaper*> papers = {&DefaultPaper()};
  for (const char* key : {"shuzan-10", "shuzan-8", "shuzan-4", "shuzan-p3", "shuzan-1",
                          "shuzan-dan", "anzan-10", "anzan-4", "anzan-p1", "anzan-dan"}) {
    papers.push_back(ExamPaperNamed(QString::fromLatin1(key)));
  }
  for (const int dpi : {kPreviewDpi, 200, 300, 600}) {
    for (const TPaper* paper : papers) {
      for (const bool printed : {false, true}) {
        if (printed && dpi == kPreviewDpi) continue;
        for (const std::string& label : TouchingLabels(*paper, dpi, printed)) {
          ADD_FAILURE() << dpi << " dpi" << (printed ? " printed, " : ", ") << label;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tamariko::testing
