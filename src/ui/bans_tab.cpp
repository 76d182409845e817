#include "ui/bans_tab.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "ui/ansi_text.h"
#include "ui/ban_sender.h"
#include "ui/dialogs.h"

namespace quorvane::ui {
namespace {

using people::BanLength;
using std::chrono::minutes;

constexpr BanLength kLengths[] = {BanLength::ThirtyMinutes, BanLength::OneHour,   BanLength::OneDay,
                                  BanLength::OneWeek,       BanLength::Permanent, BanLength::Custom};
constexpr int kCustom = 5;

people::WallTime WallNow() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

QString Time(people::WallTime t) {
  return QDateTime::fromSecsSinceEpoch(t.time_since_epoch().count()).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

bool Found(const people::Ban& ban) { return ban.source != people::BanSource::ThisProgram; }

bool Shown(BansTab::Filter filter, const people::Ban& ban, people::WallTime now) {
  switch (filter) {
    case BansTab::Filter::InForce:
      return ban.InForce(now);
    case BansTab::Filter::Expired:
      return !ban.InForce(now);
    case BansTab::Filter::Found:
      return Found(ban);
    case BansTab::Filter::All:
      break;
  }
  return true;
}

}  // namespace

QStringList BanLengthNames() {
  return {QStringLiteral("30 minutes"), QStringLiteral("1 hour"),    QStringLiteral("1 day"),
          QStringLiteral("1 week"),     QStringLiteral("Permanent"), QStringLiteral("Custom (minutes)")};
}

QString BanStateText(const people::Ban& ban, people::WallTime now) {
  if (ban.liftedAt && now >= *ban.liftedAt) return QStringLiteral("lifted");
  if (!ban.InForce(now)) return QStringLiteral("expired");
  const std::optional<long long> left = people::MinutesLeft(ban, now);
  return left ? QStringLiteral("in force, %1 min left").arg(*left) : QStringLiteral("in force");
}

BansTab::BansTab(BanSender* sender, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent), m_sender(sender), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("Bans"));
  m_filter = new QComboBox;
  m_filter->setObjectName(QStringLiteral("BanFilter"));
  m_filter->setAccessibleName(QStringLiteral("Show bans"));
  m_filter->addItems({QStringLiteral("All bans"), QStringLiteral("In force"), QStringLiteral("Expired or lifted"),
                      QStringLiteral("Found on the server")});
  m_rows = new QTableWidget(0, 7);
  m_rows->setObjectName(QStringLiteral("BanList"));
  m_rows->setAccessibleName(QStringLiteral("Bans"));
  m_rows->setHorizontalHeaderLabels({QStringLiteral("SteamID or address"), QStringLiteral("Name"),
                                     QStringLiteral("Reason"), QStringLiteral("Made by"), QStringLiteral("Made"),
                                     QStringLiteral("Until"), QStringLiteral("State")});
  m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
  m_rows->verticalHeader()->hide();
  // The reason takes what the other columns leave.
  m_rows->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_rows->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  m_target = new QLineEdit;
  m_target->setObjectName(QStringLiteral("BanTarget"));
  m_target->setPlaceholderText(QStringLiteral("SteamID or address"));
  m_name = new QLineEdit;
  m_name->setObjectName(QStringLiteral("BanName"));
  m_name->setPlaceholderText(QStringLiteral("Name (optional)"));
  m_reason = new QLineEdit;
  m_reason->setObjectName(QStringLiteral("BanReason"));
  m_reason->setPlaceholderText(QStringLiteral("Reason"));
  m_length = new QComboBox;
  m_length->setObjectName(QStringLiteral("BanLength"));
  m_length->setAccessibleName(QStringLiteral("Length"));
  m_length->addItems(BanLengthNames());
  m_minutes = new QSpinBox;
  m_minutes->setObjectName(QStringLiteral("BanMinutes"));
  m_minutes->setAccessibleName(QStringLiteral("Minutes"));
  m_minutes->setRange(1, static_cast<int>(people::kLongestBan.count()));
  m_minutes->setValue(120);
  m_minutes->setEnabled(false);
  m_add = new QPushButton(QStringLiteral("&Ban"));
  m_add->setObjectName(QStringLiteral("AddBan"));
  m_change = new QPushButton(QStringLiteral("&Save reason and length"));
  m_change->setObjectName(QStringLiteral("ChangeBan"));
  m_lift = new QPushButton(QStringLiteral("&Lift"));
  m_lift->setObjectName(QStringLiteral("LiftBan"));
  m_notice = new QLabel;
  m_notice->setObjectName(QStringLiteral("BansNotice"));
  m_notice->setTextFormat(Qt::PlainText);
  m_notice->setWordWrap(true);
  m_notice->hide();

  auto* who = new QHBoxLayout;
  who->addWidget(m_target, 2);
  who->addWidget(m_name, 1);
  who->addWidget(m_reason, 2);
  auto* how = new QHBoxLayout;
  how->addWidget(m_length);
  how->addWidget(m_minutes);
  how->addWidget(m_add);
  how->addStretch(1);
  how->addWidget(m_change);
  how->addWidget(m_lift);
  auto* show = new QHBoxLayout;
  show->addWidget(m_filter);
  show->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(show);
  layout->addWidget(m_rows, 1);
  layout->addLayout(who);
  layout->addLayout(how);
  layout->addWidget(m_notice);

  connect(m_filter, &QComboBox::currentIndexChanged, this, &BansTab::Refresh);
  connect(m_length, &QComboBox::currentIndexChanged, this, [this](int i) { m_minutes->setEnabled(i == kCustom); });
  connect(m_rows, &QTableWidget::itemSelectionChanged, this, &BansTab::Selected);
  connect(m_add, &QPushButton::clicked, this, &BansTab::AddBan);
  connect(m_change, &QPushButton::clicked, this, &BansTab::ChangeSelected);
  connect(m_lift, &QPushButton::clicked, this, &BansTab::LiftSelected);
  if (m_sender) {
    connect(m_sender, &BanSender::bansChanged, this, &BansTab::Refresh);
    // What the server made of it comes under what the tab itself said.
    connect(m_sender, &BanSender::said, this, [this](const QString& text) {
      Say(m_notice->isVisible() && !m_notice->text().isEmpty() ? m_notice->text() + '\n' + text : text);
    });
  } else {
    Say(QStringLiteral("No bans are kept in this run."));
    setEnabled(false);
  }
}

void BansTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void BansTab::Say(const QString& text) {
  m_notice->setText(text);
  m_notice->show();
}

void BansTab::Refresh() {
  people::BanStore* store = m_sender ? m_sender->Store() : nullptr;
  if (!store) return;
  const auto kept = store->Bans();
  if (!kept) {
    Say(FromAnsi(kept.message));
    return;
  }
  const people::WallTime now = WallNow();
  const auto filter = static_cast<Filter>(m_filter->currentIndex());
  m_shown.clear();
  for (const people::StoredBan& s : *kept)
    if (Shown(filter, s.ban, now)) m_shown.push_back(s);
  m_rows->setRowCount(static_cast<int>(m_shown.size()));
  for (int r = 0; r < static_cast<int>(m_shown.size()); ++r) {
    const people::Ban& ban = m_shown[static_cast<std::size_t>(r)].ban;
    const QStringList texts = {QString::fromStdString(ban.target.Text()),
                               FromAnsi(ban.name),
                               FromAnsi(ban.reason),
                               QString::fromStdString(people::SourceText(ban.source, ban.target.GetKind())),
                               Time(ban.madeAt),
                               ban.until ? Time(*ban.until) : QStringLiteral("permanent"),
                               BanStateText(ban, now)};
    for (int c = 0; c < texts.size(); ++c) m_rows->setItem(r, c, new QTableWidgetItem(texts[c]));
  }
  const bool writable = store->Writable();
  for (QPushButton* b : {m_add, m_change, m_lift}) b->setEnabled(writable);
}

const people::StoredBan* BansTab::SelectedBan() const {
  const int row = m_rows->currentRow();
  if (row < 0 || row >= static_cast<int>(m_shown.size()) || !m_rows->item(row, 0)->isSelected()) return nullptr;
  return &m_shown[static_cast<std::size_t>(row)];
}

// A selected ban fills the form, so its reason and length are changed where they are shown.
void BansTab::Selected() {
  const people::StoredBan* s = SelectedBan();
  if (!s) return;
  m_target->setText(QString::fromStdString(s->ban.target.Text()));
  m_name->setText(FromAnsi(s->ban.name));
  m_reason->setText(FromAnsi(s->ban.reason));
  if (s->ban.Permanent()) {
    m_length->setCurrentIndex(static_cast<int>(std::size(kLengths)) - 2);
    return;
  }
  const minutes length = std::chrono::ceil<minutes>(*s->ban.until - s->ban.madeAt);
  m_length->setCurrentIndex(kCustom);
  for (int i = 0; i < kCustom; ++i)
    if (people::LengthMinutes(kLengths[i]) == length) m_length->setCurrentIndex(i);
  m_minutes->setValue(static_cast<int>(std::max<long long>(1, length.count())));
}

std::pair<const people::StoredBan*, people::BanStore*> BansTab::SelectedToChange() {
  const people::StoredBan* selected = SelectedBan();
  if (!selected) {
    Say(QStringLiteral("Select a ban in the list first."));
    return {};
  }
  people::BanStore* store = WritableStore();
  return {store ? selected : nullptr, store};
}

people::BanStore* BansTab::WritableStore() {
  people::BanStore* store = m_sender ? m_sender->Store() : nullptr;
  if (store && !store->Writable()) {
    Say(QStringLiteral("Another running copy of Quorvane keeps the bans; this one only shows them."));
    return nullptr;
  }
  return store;
}

std::optional<minutes> BansTab::ChosenLength() const {
  return people::LengthMinutes(kLengths[m_length->currentIndex()], minutes(m_minutes->value()));
}

void BansTab::Offer(const QString& steamId, const QString& address, const QString& name) {
  m_offeredAddress = address;
  m_name->setText(name);
  m_reason->clear();
  m_rows->clearSelection();
  const bool shared = people::IsSharedPlaceholder(ToAnsi(steamId)) || steamId.isEmpty();
  m_target->setText(shared ? address : steamId);
  if (shared && !steamId.isEmpty())
    Say(QStringLiteral(
            "%1 is shared by many players and is never banned by SteamID: the address %2 is offered instead.")
            .arg(steamId, address.isEmpty() ? QStringLiteral("(unknown)") : address));
  m_reason->setFocus();
  emit offered();
}

void BansTab::AddBan() {
  people::BanStore* store = WritableStore();
  if (!store) return;
  const auto target = people::ParseBanTarget(ToAnsi(m_target->text()), ToAnsi(m_offeredAddress));
  if (!target) {
    Say(FromAnsi(target.Error()));
    // The address the message offers, ready for one more click.
    if (people::IsSharedPlaceholder(ToAnsi(m_target->text())) && !m_offeredAddress.isEmpty())
      m_target->setText(m_offeredAddress);
    return;
  }
  const std::optional<minutes> length = ChosenLength();
  const auto ban =
      people::MakeBan(*target, ToAnsi(m_name->text().trimmed()), ToAnsi(m_reason->text().trimmed()), WallNow(), length);
  if (!ban) {
    Say(FromAnsi(ban.Error()));
    return;
  }
  if (const auto added = store->AddBans({*ban}); !added) {
    Say(FromAnsi(added.message));
    return;
  }
  Say(QStringLiteral("%1 is banned %2.")
          .arg(QString::fromStdString(target->Text()),
               length ? QStringLiteral("for %1 minutes").arg(length->count()) : QStringLiteral("for good")));
  m_sender->Send(*ban);
  m_offeredAddress.clear();
  Refresh();
}

void BansTab::ChangeSelected() {
  const auto [s, store] = SelectedToChange();
  if (!s) return;
  const people::Ban before = s->ban;
  if (before.liftedAt) {
    Say(QStringLiteral("A lifted ban stays as it was; make a new one instead."));
    return;
  }
  const std::optional<minutes> length = ChosenLength();
  auto changed = people::MakeBan(before.target, ToAnsi(m_name->text().trimmed()), ToAnsi(m_reason->text().trimmed()),
                                 before.madeAt, length);
  if (!changed) {
    Say(FromAnsi(changed.Error()));
    return;
  }
  people::Ban after = *changed;
  // A ban found on the server and given a reason is adopted: this program keeps it from now on.
  after.source = Found(before) && after.reason.empty() ? before.source : people::BanSource::ThisProgram;
  const long long id = s->id;
  if (const people::StoreOutcome saved = store->UpdateBan(id, after); !saved) {
    Say(FromAnsi(saved.message));
    return;
  }
  Say(Found(before) && !Found(after) ? QStringLiteral("The ban on %1 is adopted.").arg(FromAnsi(after.target.Text()))
                                     : QStringLiteral("The ban on %1 is changed.").arg(FromAnsi(after.target.Text())));
  m_sender->Send(after, before);
  Refresh();
}

void BansTab::LiftSelected() {
  const auto [s, store] = SelectedToChange();
  if (!s) return;
  const people::Ban before = s->ban;
  const people::WallTime now = WallNow();
  const QString target = QString::fromStdString(before.target.Text());
  if (!before.InForce(now)) {
    Say(QStringLiteral("The ban on %1 is no longer in force.").arg(target));
    return;
  }
  if (!m_dialogs || !m_dialogs->AskYesNo(QStringLiteral("Lift the ban on %1?").arg(target), QStringLiteral("Lift ban"),
                                         Dialogs::Icon::Question))
    return;
  people::Ban lifted = before;
  lifted.liftedAt = now;
  if (const people::StoreOutcome saved = store->UpdateBan(s->id, lifted); !saved) {
    Say(FromAnsi(saved.message));
    return;
  }
  Say(QStringLiteral("The ban on %1 is lifted.").arg(target));
  m_sender->Send(lifted, before);
  Refresh();
}

}  // namespace quorvane::ui
