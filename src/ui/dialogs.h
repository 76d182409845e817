#pragma once
// Every message box the windows show goes through here, so a test can answer
// the questions and read the messages instead of clicking modal boxes.
#include <QString>

class QWidget;

namespace quorvane::ui {

class Dialogs {
 public:
  enum class Icon { Stop, Question };

  explicit Dialogs(QWidget* parent = nullptr) : m_parent(parent) {}
  virtual ~Dialogs() = default;
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // Both show their text as it is, never as markup: it may hold a player's name,
  // a server's answer or a file name.
  // Modal, OK only, no icon.
  virtual void Inform(const QString& text, const QString& title = QStringLiteral("Quorvane"));
  // Modal, Yes and No with No as the default; true only for Yes.
  virtual bool AskYesNo(const QString& text, const QString& title, Icon icon);

  void SetParent(QWidget* parent) { m_parent = parent; }

  // True while one of these boxes waits for its answer. Its handler is still
  // running underneath, so no window may go away meanwhile (the system's own
  // modal boxes keep their owner from closing the same way).
  static bool AnyOpen();

 private:
  QWidget* m_parent;
};

}  // namespace quorvane::ui
