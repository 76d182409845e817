#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace quorvane::ui {

namespace {

int g_openBoxes = 0;

// Without a window manager nothing hands the keyboard back to the window the
// user was working in when a box closes, so do it here.
int RunModal(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  const QPointer<QWidget> previous = QApplication::activeWindow();
  ++g_openBoxes;
  const int result = box.exec();
  --g_openBoxes;
  if (previous && previous->isVisible()) {
    previous->raise();
    previous->activateWindow();
  }
  return result;
}

}  // namespace

bool Dialogs::AnyOpen() { return g_openBoxes > 0; }

void Dialogs::Inform(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
  RunModal(box);
}

bool Dialogs::AskYesNo(const QString& text, const QString& title, Icon icon) {
  QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::Question, title, text,
                  QMessageBox::Yes | QMessageBox::No, m_parent);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return RunModal(box) == QMessageBox::Yes;
}

}  // namespace quorvane::ui
