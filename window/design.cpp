#include "window/design.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <cstdlib>

#include "core/problem_kind.h"
#include "window/timage.h"

namespace tamariko {
namespace {

void ApplyOne(QWidget* w) {
  const QVariant height = w->property("fontHeight");
  if (height.isValid()) {
    QFont font = w->font();
    font.setPixelSize(std::abs(height.toInt()));
    w->setFont(font);
  }
  const QVariant color = w->property("color");
  if (color.isValid()) {
    QWidget* surface = w;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) surface = area->viewport();
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, color.value<QColor>());
    surface->setPalette(palette);
    surface->setAutoFillBackground(true);
  }
  const QVariant fontColor = w->property("fontColor");
  if (fontColor.isValid()) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, fontColor.value<QColor>());
    palette.setColor(QPalette::Text, fontColor.value<QColor>());
    w->setPalette(palette);
  }
}

}  // namespace

void ApplyDesign(QWidget* window) {
  // Parents first, so that children without a height of their own inherit the window's.
  ApplyOne(window);
  const auto children = window->findChildren<QWidget*>();
  for (QWidget* w : children) ApplyOne(w);
  for (QWidget* w : children) {
    auto* label = qobject_cast<QLabel*>(w);
    if (label && !qobject_cast<TImage*>(w)) label->adjustSize();
  }
}

void CenterOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

QCheckBox* BoxOf(const SheetBoxes& boxes, const QString& key) {
  const auto found = boxes.find(key);
  return found == boxes.end() ? nullptr : found->second;
}

QCheckBox* MakeSheetBox(QWidget* parent, const SheetInfo& sheet, int place, bool checked) {
  auto* box = new QCheckBox(sheet.Label(), parent);
  box->setObjectName(QStringLiteral("SheetBox%1").arg(place));
  // As the designs set their boxes: bold, 21 pixels high.
  QFont bold;
  bold.setBold(true);
  box->setFont(bold);
  box->setProperty("fontHeight", -21);
  ApplyOne(box);
  box->setChecked(checked);
  return box;
}

}  // namespace tamariko
