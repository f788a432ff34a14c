// Draws the picture buttons and the scroll indicator of the main window into
// resources/bitmaps/, each at single and double density (name.png, name@2x.png: the window
// shows the second on high-density screens). Run by hand when the drawings change:
//   cmake --build <build> --target tamariko_make_bitmaps
//   <build>/resources/tamariko_make_bitmaps <repo>/resources/bitmaps
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kLabelFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

// An image of width x height points at `ratio` pixels per point; a painter on it draws in
// points.
QImage Blank(int width, int height, qreal ratio) {
  QImage image(qRound(width * ratio), qRound(height * ratio), QImage::Format_ARGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  return image;
}

QImage OvalButton(const QString& label, const QString& family, qreal ratio) {
  QImage image = Blank(153, 67, ratio);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF oval(2.5, 2.5, 147, 61);

  // Shadow, body with a soft top-to-bottom shade, then a highlight on the upper half.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawEllipse(oval.translated(2, 2));
  QLinearGradient body(0, oval.top(), 0, oval.bottom());
  body.setColorAt(0, QColor(120, 170, 235));
  body.setColorAt(1, QColor(30, 70, 160));
  p.setBrush(body);
  p.setPen(QPen(QColor(20, 40, 100), 2));
  p.drawEllipse(oval);
  QLinearGradient shine(0, oval.top(), 0, oval.center().y());
  shine.setColorAt(0, QColor(255, 255, 255, 170));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shine);
  p.drawEllipse(QRectF(oval.left() + 14, oval.top() + 3, oval.width() - 28, oval.height() / 2));

  QFont font(family);
  font.setPixelSize(label.size() > 3 ? 22 : 26);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(20, 30, 70));
  p.drawText(oval.translated(1, 1), Qt::AlignCenter, label);
  p.setPen(Qt::white);
  p.drawText(oval, Qt::AlignCenter, label);
  return image;
}

QImage FourArrows(qreal ratio) {
  QImage image = Blank(34, 31, ratio);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  const QPointF c(17, 15.5);
  p.drawEllipse(c, 2.5, 2.5);
  // One arrow pointing up, turned for the other three directions.
  const QPolygonF arrow({{0, -15}, {-5.5, -9}, {-2, -9}, {-2, -5}, {2, -5}, {2, -9}, {5.5, -9}});
  for (int turn = 0; turn < 4; ++turn) {
    p.save();
    p.translate(c);
    p.rotate(90.0 * turn);
    p.drawPolygon(arrow);
    p.restore();
  }
  return image;
}

bool Save(const QImage& image, const QDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kLabelFontFile));
  if (id < 0) {
    std::fprintf(stderr, "cannot load %s\n", kLabelFontFile);
    return 1;
  }
  const QString family = QFontDatabase::applicationFontFamilies(id).value(0);
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  for (const qreal ratio : {1.0, 2.0}) {
    const QString suffix = ratio == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
    const bool ok =
        Save(OvalButton(QStringLiteral("ケリモ"), family, ratio), dir, "kerimo" + suffix) &&
        Save(OvalButton(QStringLiteral("印刷"), family, ratio), dir, "insatsu" + suffix) &&
        Save(OvalButton(QStringLiteral("印刷設定"), family, ratio), dir,
             "insatsu_settei" + suffix) &&
        Save(FourArrows(ratio), dir, "four_arrows" + suffix);
    if (!ok) return 1;
  }
  return 0;
}
