#include "window/help_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "resources/resources.h"

namespace tamariko {
namespace {

// A window of `parent` that is made once and raised on every later call.
template <typename Build>
void ShowOnce(QWidget* parent, const char* name, Build build) {
  auto* window = parent ? parent->findChild<QDialog*>(QLatin1String(name)) : nullptr;
  if (!window) {
    window = new QDialog(parent);
    window->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(window);
    build(window, layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    layout->addWidget(buttons);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

QString GuideText() {
  QFile guide(kGuideMarkdown);
  if (!guide.open(QIODevice::ReadOnly)) return guide.errorString();
  return QString::fromUtf8(guide.readAll());
}

QString VersionText() {
  return QStringLiteral("タマリコ バージョン " TAMARIKO_VERSION
                        "\n\n用紙の数字には、タマリコに同梱のフォント ORVFont を使って"
                        "います。そのライセンスは次のとおりです。");
}

void ShowGuide(QWidget* parent) {
  ShowOnce(parent, "GuideWindow", [](QDialog* window, QVBoxLayout* layout) {
    window->setWindowTitle(QStringLiteral("タマリコの使い方"));
    auto* text = new QTextBrowser(window);
    text->setMarkdown(GuideText());
    layout->addWidget(text);
    window->resize(560, 560);
  });
}

void ShowVersionWindow(QWidget* parent) {
  ShowOnce(parent, "VersionWindow", [](QDialog* window, QVBoxLayout* layout) {
    window->setWindowTitle(QStringLiteral("バージョン情報"));
    auto* label = new QLabel(VersionText(), window);
    label->setWordWrap(true);
    layout->addWidget(label);
    QFile licence(kCarriedFontLicence);
    auto* text = new QPlainTextEdit(window);
    text->setReadOnly(true);
    text->setPlainText(licence.open(QIODevice::ReadOnly) ? QString::fromUtf8(licence.readAll())
                                                         : licence.errorString());
    layout->addWidget(text);
    window->resize(600, 480);
  });
}

QToolButton* AddHelpEntry(QWidget* panel, int right, int top) {
  auto* button = new QToolButton(panel);
  button->setObjectName(QStringLiteral("HelpButton"));
  button->setText(QStringLiteral("ヘルプ"));
  button->setAutoRaise(true);
  button->setPopupMode(QToolButton::InstantPopup);
  button->setFocusPolicy(Qt::TabFocus);
  auto* menu = new QMenu(button);
  QAction* guide = menu->addAction(QStringLiteral("使い方"), panel->window(),
                                   [panel] { ShowGuide(panel->window()); });
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  guide->setShortcutContext(Qt::WindowShortcut);
  // The shortcut is the window's: the menu need not be open.
  panel->window()->addAction(guide);
  menu->addAction(QStringLiteral("バージョン情報"), panel->window(),
                  [panel] { ShowVersionWindow(panel->window()); });
  button->setMenu(menu);
  button->adjustSize();
  button->move(right - button->width(), top);
  button->show();
  return button;
}

}  // namespace tamariko
