#include "ui/rules_view.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <cctype>

#include "platform/codepage.h"

namespace quorvane::ui {
namespace {

QString FromAnsi(const std::string& bytes) { return QString::fromStdString(platform::AnsiToUtf8(bytes)); }

bool NameBefore(const monitor::Rule& a, const monitor::Rule& b) {
  const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [&](char x, char y) { return lower(x) < lower(y); });
}

}  // namespace

RulesView::RulesView(Ask ask, QWidget* parent) : QWidget(parent), m_ask(std::move(ask)) {
  setObjectName(QStringLiteral("Rules"));
  m_table = new QTableWidget(0, 2);
  m_table->setObjectName(QStringLiteral("RulesTable"));
  m_table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  m_table->verticalHeader()->hide();
  m_state = new QLabel;
  m_state->setObjectName(QStringLiteral("RulesState"));
  m_state->setTextFormat(Qt::PlainText);
  m_state->setWordWrap(true);
  m_refresh = new QPushButton(QStringLiteral("Refresh"));
  m_refresh->setObjectName(QStringLiteral("RefreshRules"));
  connect(m_refresh, &QPushButton::clicked, this, &RulesView::Refresh);
  auto* row = new QHBoxLayout;
  row->addWidget(m_state, 1);
  row->addWidget(m_refresh);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_table, 1);
  layout->addLayout(row);
}

void RulesView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_filled) Refresh();
}

void RulesView::Refresh() {
  // One request at a time: pressing Refresh again while it is out sends nothing more.
  if (m_asking) return;
  m_asking = true;
  m_refresh->setEnabled(false);
  m_state->setText(QStringLiteral("Asking the server for its rules\u2026"));
  m_ask([self = QPointer<RulesView>(this)](const monitor::Result<std::vector<monitor::Rule>>& outcome) {
    if (self) self->Show(outcome);
  });
}

void RulesView::Show(const monitor::Result<std::vector<monitor::Rule>>& outcome) {
  m_asking = false;
  m_refresh->setEnabled(true);
  if (!outcome) {
    m_state->setText(FromAnsi(outcome.Error()) + QStringLiteral(". Press Refresh to ask again."));
    return;
  }
  std::vector<monitor::Rule> rules = *outcome;
  std::stable_sort(rules.begin(), rules.end(), NameBefore);
  m_filled = true;
  m_table->setRowCount(static_cast<int>(rules.size()));
  for (int row = 0; row < static_cast<int>(rules.size()); ++row) {
    m_table->setItem(row, 0, new QTableWidgetItem(FromAnsi(rules[static_cast<std::size_t>(row)].name)));
    m_table->setItem(row, 1, new QTableWidgetItem(FromAnsi(rules[static_cast<std::size_t>(row)].value)));
  }
  m_state->setText(QStringLiteral("%1 rules").arg(rules.size()));
}

}  // namespace quorvane::ui
