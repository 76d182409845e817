#include "ui/field_widgets.h"

#include <algorithm>

namespace quorvane::ui {

namespace {
// QLineEdit's own ceiling.
constexpr int kLineEditMax = 32767;
}  // namespace

TextField::TextField(int typingLimit, QWidget* parent) : QLineEdit(parent), m_typingLimit(typingLimit) {
  if (m_typingLimit > 0) setMaxLength(m_typingLimit);
  connect(this, &QLineEdit::textChanged, this, &TextField::OnTextChanged);
  connect(this, &QLineEdit::textEdited, this, &TextField::OnTextEdited);
}

QString OneLine(const QString& text) {
  QString line = text;
  line.replace(QLatin1String("\r\n"), QLatin1String(" "));
  line.replace(QLatin1Char('\r'), QLatin1Char(' '));
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line;
}

void TextField::OnTextEdited(const QString& text) {
  // A value is one line of its file: a line break typed, pasted or dropped
  // in would start a line of its own there.
  if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) return;
  const int cursor = cursorPosition();
  const int removed = static_cast<int>(text.left(cursor).count(QLatin1String("\r\n")));
  const QString line = OneLine(text);
  setText(line);
  setCursorPosition(cursor - removed);
}

void TextField::SetValue(const QString& value) {
  m_oversized.clear();
  // QLineEdit cuts whatever it is given to maxLength, so lift the limit first.
  setMaxLength(kLineEditMax);
  if (value.size() > kLineEditMax) m_oversized = value;
  setText(value);
  if (m_typingLimit > 0) setMaxLength(std::max<int>(m_typingLimit, text().size()));
  // Show a value that does not fit from its start, as the file has it.
  setCursorPosition(0);
}

QString TextField::Value() const {
  if (!m_oversized.isEmpty() && text() == QStringView(m_oversized).left(kLineEditMax)) return m_oversized;
  return text();
}

void TextField::OnTextChanged(const QString& text) {
  // The limit comes back as soon as it would cut nothing; resetting it
  // re-sets the text, so keep the cursor where the user has it.
  if (m_typingLimit <= 0 || text.size() > m_typingLimit || maxLength() == m_typingLimit) return;
  const int cursor = cursorPosition();
  setMaxLength(m_typingLimit);
  setCursorPosition(cursor);
}

CheckField::CheckField(QWidget* parent) : QCheckBox(parent) { setTristate(true); }

int CheckField::State() const {
  switch (checkState()) {
    case Qt::Unchecked:
      return 0;
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
  }
  return 0;
}

void CheckField::SetState(int state) {
  switch (state) {
    case 0:
      setCheckState(Qt::Unchecked);
      break;
    case 1:
      setCheckState(Qt::Checked);
      break;
    case 2:
      setCheckState(Qt::PartiallyChecked);
      break;
    default:
      break;
  }
}

void CheckField::nextCheckState() {
  // A click on a greyed box ticks it, as on the game's home system.
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace quorvane::ui
