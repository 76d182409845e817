#pragma once
// The two kinds of configuration field on the main window.
#include <QCheckBox>
#include <QLineEdit>

namespace quorvane::ui {

// The text with each line break (CR LF, lone CR, lone LF) turned into one blank.
QString OneLine(const QString& text);

// A one-line text box: what the user types, pastes or drops in loses its line
// breaks to blanks, while a value from a file is shown as it is. Its length
// limit applies to typing only: a longer value that a file supplies is shown
// and given back whole.
class TextField : public QLineEdit {
  Q_OBJECT
 public:
  TextField(int typingLimit, QWidget* parent = nullptr);

  void SetValue(const QString& value);
  QString Value() const;

 private:
  void OnTextChanged(const QString& text);
  void OnTextEdited(const QString& text);

  int m_typingLimit;  // 0: no limit of our own
  // A value longer than a line edit can hold; given back while the box still
  // shows its beginning unchanged.
  QString m_oversized;
};

// A three-state box the user can only clear or tick; the greyed state comes
// from a configuration file alone.
class CheckField : public QCheckBox {
  Q_OBJECT
 public:
  explicit CheckField(QWidget* parent = nullptr);

  int State() const;  // 0 clear, 1 ticked, 2 greyed
  // Any other number leaves the box as it was.
  void SetState(int state);

 protected:
  void nextCheckState() override;
};

}  // namespace quorvane::ui
