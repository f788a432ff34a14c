#include "window/shortcuts.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

#include "window/timage.h"

namespace tamariko {
namespace {

void MakeButton(QWidget* window, TImage* image, const QString& name, const QString& what,
                const QKeySequence& keys) {
  image->setFocusPolicy(Qt::TabFocus);
  image->setAccessibleName(name);
  image->setToolTip(
      QStringLiteral("%1：%2 (%3)").arg(name, what, keys.toString(QKeySequence::NativeText)));
  auto* shortcut = new QShortcut(keys, window);
  QObject::connect(shortcut, &QShortcut::activated, image, [image] { image->Click(); });
}

}  // namespace

void ConnectKeyboard(QWidget* window, const CommandButtons& buttons,
                     const QList<QLineEdit*>& edits) {
  MakeButton(window, buttons.make, QStringLiteral("ケリモ"),
             QStringLiteral("チェックした用紙の問題を作ります"), QKeySequence(Qt::Key_F5));
  MakeButton(window, buttons.print, QStringLiteral("印刷"),
             QStringLiteral("用紙を選んで印刷します"), QKeySequence(Qt::CTRL | Qt::Key_P));
  MakeButton(window, buttons.setup, QStringLiteral("印刷設定"),
             QStringLiteral("プリンターと用紙を選びます"),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));

  QWidget::setTabOrder(buttons.make, buttons.print);
  QWidget::setTabOrder(buttons.print, buttons.setup);
  if (edits.isEmpty()) return;
  QWidget::setTabOrder(buttons.setup, edits.first());
  if (auto* help = window->findChild<QToolButton*>(QStringLiteral("HelpButton"))) {
    QWidget::setTabOrder(edits.last(), help);
  }
  for (QLineEdit* edit : edits) {
    QObject::connect(edit, &QLineEdit::returnPressed, buttons.make,
                     [make = buttons.make] { make->Click(); });
  }
}

}  // namespace tamariko
