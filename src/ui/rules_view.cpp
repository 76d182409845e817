#include "ui/rules_view.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "install/text_case.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {
namespace {

bool NameBefore(const monitor::Rule& a, const monitor::Rule& b) { return install::CompareNoCase(a.name, b.name) < 0; }

}  // namespace

QTableWidget* NewReadOnlyTable(const QStringList& headers, int stretch) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()));
  table->setHorizontalHeaderLabels(headers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
  table->verticalHeader()->hide();
  return table;
}

RulesView::RulesView(Ask ask, QWidget* parent) : QWidget(parent), m_ask(std::move(ask)) {
  setObjectName(QStringLiteral("Rules"));
  m_table = NewReadOnlyTable({QStringLiteral("Name"), QStringLiteral("Value")}, 1);
  m_table->setObjectName(QStringLiteral("RulesTable"));
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
