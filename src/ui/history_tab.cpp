#include "ui/history_tab.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/player_history.h"

namespace quorvane::ui {
namespace {

constexpr std::size_t kShownRows = 500;

QString Kind(people::PlayerKind kind) {
  switch (kind) {
    case people::PlayerKind::Bot:
      return QStringLiteral(" (bot)");
    case people::PlayerKind::Tv:
      return QStringLiteral(" (HLTV)");
    case people::PlayerKind::Person:
      break;
  }
  return {};
}

QString DetailsText(const people::PlayerDetails& d) {
  QString text = FromAnsi(d.row.lastName) + Kind(d.row.kind) + QStringLiteral(" - ") +
                 QString::fromStdString(d.row.steamId) + QStringLiteral("\n");
  for (const people::Session& s : d.sessions) {
    QStringList names, maps;
    for (const std::string& n : s.names) names << FromAnsi(n);
    for (const std::string& m : s.maps) maps << FromAnsi(m);
    text +=
        QStringLiteral("\n%1 to %2 (%3) as %4\n  from %5 on %6 port %7, maps: %8")
            .arg(HistoryTime(s.joined), s.left ? HistoryTime(*s.left) : QStringLiteral("still on"),
                 HistoryDuration((s.left ? *s.left : s.lastSeen) - s.joined), names.join(QStringLiteral(", ")),
                 s.address.empty() ? QStringLiteral("-") : QString::fromStdString(s.address), FromAnsi(s.serverFolder),
                 QString::number(s.serverPort), maps.isEmpty() ? QStringLiteral("-") : maps.join(QStringLiteral(", ")));
  }
  return text;
}

}  // namespace

HistoryTab::HistoryTab(PlayerHistory* history, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent), m_history(history), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("History"));
  m_search = new QLineEdit;
  m_search->setObjectName(QStringLiteral("HistorySearch"));
  m_search->setPlaceholderText(QStringLiteral("Part of a name, a SteamID or an address"));
  m_search->setAccessibleName(QStringLiteral("Search the player history"));
  m_rows = new QTableWidget(0, static_cast<int>(HistoryColumns().size()));
  m_rows->setObjectName(QStringLiteral("HistoryPlayers"));
  m_rows->setAccessibleName(QStringLiteral("Players who played"));
  m_rows->setHorizontalHeaderLabels(HistoryColumns());
  m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
  m_rows->verticalHeader()->hide();
  m_details = new QPlainTextEdit;
  m_details->setObjectName(QStringLiteral("HistoryDetails"));
  m_details->setAccessibleName(QStringLiteral("The player's sessions"));
  m_details->setReadOnly(true);
  m_details->hide();
  m_detailsButton = new QPushButton(QStringLiteral("&Details"));
  m_detailsButton->setObjectName(QStringLiteral("ShowDetails"));
  m_forget = new QPushButton(QStringLiteral("Forget this player"));
  m_forget->setObjectName(QStringLiteral("ForgetPlayer"));
  m_ban = new QPushButton(QStringLiteral("&Ban\u2026"));
  m_ban->setObjectName(QStringLiteral("BanFromHistory"));
  m_keepAddresses = new QCheckBox(QStringLiteral("Keep players' addresses"));
  m_keepAddresses->setObjectName(QStringLiteral("KeepAddresses"));
  m_notice = new QLabel;
  m_notice->setObjectName(QStringLiteral("HistoryNotice"));
  m_notice->setTextFormat(Qt::PlainText);
  m_notice->setWordWrap(true);
  m_notice->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_detailsButton);
  buttons->addWidget(m_forget);
  buttons->addWidget(m_ban);
  buttons->addStretch(1);
  buttons->addWidget(m_keepAddresses);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_search);
  layout->addWidget(m_rows, 2);
  layout->addWidget(m_details, 1);
  layout->addLayout(buttons);
  layout->addWidget(m_notice);

  connect(m_search, &QLineEdit::textChanged, this, &HistoryTab::Refresh);
  connect(m_detailsButton, &QPushButton::clicked, this, &HistoryTab::ShowDetails);
  connect(m_rows, &QTableWidget::cellDoubleClicked, this, &HistoryTab::ShowDetails);
  connect(m_forget, &QPushButton::clicked, this, &HistoryTab::ForgetSelected);
  connect(m_ban, &QPushButton::clicked, this, &HistoryTab::BanSelected);
  connect(m_keepAddresses, &QCheckBox::toggled, this, &HistoryTab::KeepAddressesToggled);
  if (m_history) connect(m_history, &PlayerHistory::notice, this, &HistoryTab::Say);
  if (!m_history) {
    Say(QStringLiteral("No player history is kept in this run."));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_search, m_rows, m_detailsButton, m_forget, m_ban, m_keepAddresses})
      w->setEnabled(false);
  }
}

void HistoryTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void HistoryTab::Say(const QString& text) {
  m_notice->setText(text);
  m_notice->show();
}

void HistoryTab::Refresh() {
  people::PlayerStore* store = m_history ? m_history->Store() : nullptr;
  if (!store) return;
  const bool writable = store->Writable();
  m_forget->setEnabled(writable);
  m_keepAddresses->setEnabled(writable);
  {
    const QSignalBlocker quiet(m_keepAddresses);
    m_keepAddresses->setChecked(store->KeepAddresses());
  }
  const auto found = store->Search(ToAnsi(m_search->text()), kShownRows);
  if (!found) {
    Say(QString::fromStdString(found.message));
    return;
  }
  m_keys.clear();
  m_rows->setRowCount(static_cast<int>(found->size()));
  for (int r = 0; r < static_cast<int>(found->size()); ++r) {
    const people::PlayerRow& row = (*found)[static_cast<std::size_t>(r)];
    m_keys.push_back(row.key);
    const QStringList texts = HistoryRowTexts(row);
    for (int c = 0; c < texts.size(); ++c) m_rows->setItem(r, c, new QTableWidgetItem(texts[c]));
  }
  m_rows->resizeColumnsToContents();
}

QString HistoryTab::SelectedKey() const {
  const int row = m_rows->currentRow();
  if (row < 0 || row >= static_cast<int>(m_keys.size())) return {};
  return FromAnsi(m_keys[static_cast<std::size_t>(row)]);
}

void HistoryTab::ShowDetails() {
  const QString key = SelectedKey();
  people::PlayerStore* store = m_history ? m_history->Store() : nullptr;
  if (key.isEmpty() || !store) {
    Say(QStringLiteral("Select a player in the list first."));
    return;
  }
  const auto details = store->Details(ToAnsi(key));
  if (!details) {
    Say(QString::fromStdString(details.message));
    return;
  }
  m_details->setPlainText(DetailsText(*details));
  m_details->show();
}

void HistoryTab::ForgetSelected() {
  const int row = m_rows->currentRow();
  const QString key = SelectedKey();
  people::PlayerStore* store = m_history ? m_history->Store() : nullptr;
  if (key.isEmpty() || !store) {
    Say(QStringLiteral("Select a player in the list first."));
    return;
  }
  const QString name = m_rows->item(row, 0)->text();
  const QString steamId = m_rows->item(row, 1)->text();
  if (!m_dialogs || !m_dialogs->AskYesNo(QStringLiteral("Forget everything kept about %1 (%2)?").arg(name, steamId),
                                         QStringLiteral("Forget this player"), Dialogs::Icon::Question))
    return;
  // What waits to be written about them would bring them back.
  m_history->Flush();
  if (const people::StoreOutcome gone = store->Forget(ToAnsi(key)); !gone) {
    Say(QString::fromStdString(gone.message));
    return;
  }
  m_details->clear();
  m_details->hide();
  Say(QStringLiteral("%1 (%2) was forgotten.").arg(name, steamId));
  Refresh();
}

void HistoryTab::BanSelected() {
  const int row = m_rows->currentRow();
  if (SelectedKey().isEmpty()) {
    Say(QStringLiteral("Select a player in the list first."));
    return;
  }
  emit banAsked(m_rows->item(row, 1)->text(), m_rows->item(row, 7)->text(), m_rows->item(row, 0)->text());
}

void HistoryTab::KeepAddressesToggled(bool keep) {
  people::PlayerStore* store = m_history ? m_history->Store() : nullptr;
  if (!store) return;
  const bool asked =
      keep || (m_dialogs &&
               m_dialogs->AskYesNo(QStringLiteral("Stop keeping players' addresses and delete the ones kept so far?"),
                                   QStringLiteral("Keep players' addresses"), Dialogs::Icon::Question));
  if (asked) {
    if (!keep) m_history->Flush();
    if (const people::StoreOutcome set = store->SetKeepAddresses(keep); !set) Say(QString::fromStdString(set.message));
  }
  const QSignalBlocker quiet(m_keepAddresses);
  m_keepAddresses->setChecked(store->KeepAddresses());
  Refresh();
}

}  // namespace quorvane::ui
