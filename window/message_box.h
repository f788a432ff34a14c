#pragma once

#include <QString>
#include <exception>
#include <functional>

#include "core/dialog_answers.h"

class QWidget;

namespace tamariko {

// Message box flags and answers with the values of the classic message box call.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

using MessageBoxFunction = std::function<int(QWidget* parent, const QString& text,
                                             const QString& caption, unsigned flags)>;

// Shows a modal message box and returns the button pressed.
int ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

// Replaces how message boxes are shown (tests answer them); an empty function restores the
// real one. Returns the function that was in force.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

// The one place where a failed command ends: its message in a message box, then the
// program goes on.
void ShowException(QWidget* parent, const QString& message);

// Runs one handler; whatever it throws is shown by ShowException and goes no further.
template <class Handler>
void Guarded(QWidget* parent, Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowException(parent, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowException(parent, QStringLiteral("予期しないエラーが発生しました。"));
  }
}

}  // namespace tamariko
