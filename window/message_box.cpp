#include "window/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <utility>

#include "core/canvas.h"

namespace tamariko {
namespace {

int RealMessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
  QMessageBox box(parent);
  // The whole text in the face of the sheets and the window, which holds Latin and Japanese
  // alike: in the desktop's face the Japanese lines fell back to some other one.
  QFont font = QApplication::font();
  font.setFamily(kLabelFace);
  box.setFont(font);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (flags & 0xF0) {
    case MB_ICONSTOP:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  if ((flags & 0x0F) == MB_YESNO) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return IDOK;
}

MessageBoxFunction& CurrentFunction() {
  static MessageBoxFunction function;
  return function;
}

}  // namespace

int ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
  const MessageBoxFunction& function = CurrentFunction();
  return function ? function(parent, text, caption, flags)
                  : RealMessageBox(parent, text, caption, flags);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
  return std::exchange(CurrentFunction(), std::move(function));
}

void ShowException(QWidget* parent, const QString& message) {
  ShowMessageBox(parent, message, QStringLiteral("タマリコ"), MB_OK | MB_ICONSTOP);
}

}  // namespace tamariko
