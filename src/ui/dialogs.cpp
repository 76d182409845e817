#include "ui/dialogs.h"

#include <QMessageBox>

namespace quorvane::ui {

void Dialogs::Inform(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
  box.exec();
}

bool Dialogs::AskYesNo(const QString& text, const QString& title, Icon icon) {
  QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::Question, title, text,
                  QMessageBox::Yes | QMessageBox::No, m_parent);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace quorvane::ui
