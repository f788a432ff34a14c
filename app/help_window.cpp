#include "app/help_window.h"

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
  return QStringLiteral(
      "<h2>タマリコの使い方</h2>"
      "<h3>問題を作る</h3>"
      "<p>「第□回」に回数を、右の 2 つの欄に見出しを入れます（上の欄は用紙の小さい見出し、"
      "下の欄は大きい見出しになります）。作る用紙にチェックを入れて「ケリモ」を押します"
      "（F5 キー、または見出しの欄で Enter キーでも作れます）。押すたびに新しい問題ができ、"
      "用紙ごとのタブに B4 の見本が出ます。解答表もそのたびに作り直され、作った問題の"
      "答えだけが入ります。「教室名」の欄の名前は、用紙の下に印刷されます（空なら印刷"
      "しません）。</p>"
      "<p>見本の上でマウスのボタンを押すと、マウスを動かした方へ見本が動きます。"
      "もう一度押すと止まります。マウスのホイールでも上下に動きます。</p>"
      "<p>見本の大きさは、ウィンドウのいちばん下の右の「全体」「幅に合わせる」「100%」で"
      "変えられます。Ctrl++ で拡大、Ctrl+- で縮小、Ctrl+0 で 100% に戻ります。Ctrl を"
      "押しながらホイールを回しても変わります。</p>"
      "<h3>印刷する</h3>"
      "<p>「印刷」（Ctrl+P）を押し、印刷する用紙にチェックを入れ、部数を決めて「OK」、"
      "確かめる質問に「はい」と答えます（用紙を選ぶ画面では Enter で「OK」です）。"
      "「ケリモ」のあとは、作った用紙と解答表にはじめからチェックが入っています。"
      "「ケリモ」の前に印刷すると、問題のない用紙を印刷します。"
      "印刷中は、ウィンドウのいちばん下に「印刷中… 2/6」のように進み具合が出ます。"
      "印刷されるのは最後に作った問題で、印刷しても問題は"
      "変わりません。終わると「印刷の結果」に、どの用紙をどのプリンターへ送ったか、送れなかった"
      "用紙とその理由が出ます。その後に印刷サーバーがジョブを中止したり、プリンターが止まって"
      "待っていたりすると、いちばん下の行と「印刷サーバーからのお知らせ」で知らせます。"
      "「印刷されたかどうか分かりません」と出た用紙は、印刷サーバーが応答すると取り消すか、"
      "印刷されていたことを知らせますので、それまで印刷し直さないでください。"
      "プリンター、用紙（B4 など）、トレイ、用紙に合わせるか原寸か、"
      "両面かは「印刷設定」（Ctrl+Shift+P）で選びます。</p>"
      "<p>「版数」を 2 以上にすると、続きの問題番号で版（Ａ版、Ｂ版…）を作り、どの版の問題用紙"
      "も印刷してから、版ごとの解答を印刷します。「両面」にすると表と裏が一枚の用紙に"
      "入り、版ごと、解答ごとに新しい用紙から始まります。</p>"
      "<h3>「PDF」プリンター</h3>"
      "<p>「印刷設定」で「PDF」を選ぶと、紙に印刷する代わりに、用紙ごとに PDF ファイル"
      "（みとり暗算１.pdf など）を「ドキュメント」フォルダーに保存します。保存する"
      "フォルダーは「印刷設定」で変えられます。前のファイルは上書きしません。"
      "保存したファイルの名前は印刷の後に表示されます。</p>"
      "<h3>用紙の種類</h3>"
      "<ul>"
      "<li><b>みとり算（表）・みとり算（裏）</b>：そろばんで解く、たし算・ひき算の"
      "見取り算です。表と裏で 1 組です。</li>"
      "<li><b>みとり暗算</b>：暗算で解く、たし算・ひき算の問題 30 題です。</li>"
      "<li><b>かけ算</b>：2 けた×1 けたから 6 けた×5 けたまでの、かけ算の問題 60 題です。"
      "</li>"
      "<li><b>わり算</b>：割り切れるわり算の問題 60 題です。かけ算と同じ段階で、"
      "商 2 けた÷1 けたから商 6 けた÷5 けたまでです。</li>"
      "<li><b>解答表</b>：作った問題の答えの表です。見本には空の表が出て、"
      "印刷すると答えが入ります。</li>"
      "</ul>");
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
    text->setHtml(GuideText());
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
