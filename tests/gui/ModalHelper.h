#pragma once

#include <functional>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace ferolith::guitest {

// Modal windows block the test in their own event loop; these helpers act
// on them from a timer once they are up.

// Calls `action` with the next modal window of type Window on top of the
// modal stack, as soon as one is shown. It looks at every pass of the event
// loop, however long the window takes: no time limit and no dependence on
// the platform activating the window.
template <typename Window>
void WhenShown(std::function<void(Window&)> action) {
  QTimer::singleShot(0, [action = std::move(action)]() mutable {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (window != nullptr && window->isVisible()) {
      action(*window);
    } else {
      WhenShown<Window>(std::move(action));
    }
  });
}

// What a test saw of a message box it answered.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttonTexts;
};

// Answers the next message box with `button` and records what it showed.
inline void AnswerBox(QMessageBox::StandardButton button, SeenBox* seen = nullptr) {
  WhenShown<QMessageBox>([button, seen](QMessageBox& box) {
    if (seen != nullptr) {
      seen->title = box.windowTitle();
      seen->text = box.text();
      seen->icon = box.icon();
      for (QAbstractButton* each : box.buttons()) seen->buttonTexts << each->text();
    }
    box.button(button)->click();
  });
}

}  // namespace ferolith::guitest
