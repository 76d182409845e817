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
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
  }
  return 0;
}

void CheckField::SetState(int state) {
  switch (state) {
    case 0: setCheckState(Qt::Unchecked); break;
    case 1: setCheckState(Qt::Checked); break;
    case 2: setCheckState(Qt::PartiallyChecked); break;
    default: break;
  }
}

void CheckField::nextCheckState() {
  // A click on a greyed box ticks it, as on the game's home system.
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace quorvane::ui
