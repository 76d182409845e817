#include "ui/field_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "ui/ansi_text.h"
#include "ui/field_widgets.h"
#include "ui/main_form.h"

namespace quorvane::ui {

namespace {

// Field order on each tab, as the window has always laid them out (not the catalogue's order).
const std::vector<std::string_view> kAutoexecTabFields = {
    "maxplayers",     "brightness",   "cl_himodels", "cl_nodelta",       "cl_nopred",     "cl_predict_players",
    "fps_lan",        "fps_modem",    "fps_single",  "gl_keeptjunction", "gl_overbright", "gl_texsort",
    "gl_ztrick",      "joystick",     "m_filter",    "r_drawviewmodel",  "r_shadows",     "sv_cheats",
    "gl_texturemode", "r_decals",     "rate",        "scr_conspeed",     "gamma",         "gl_picmip",
    "gl_playermip",   "gl_round_down"};

const std::vector<std::string_view> kServerTabFields = {"motd_display_time",
                                                        "tfc_respawndelay",
                                                        "mp_timelimit",
                                                        "mp_teamplay",
                                                        "sv_airaccelerate",
                                                        "sv_stopspeed",
                                                        "sv_stepsize",
                                                        "edgefriction",
                                                        "sv_accelerate",
                                                        "sv_aim",
                                                        "sv_bounce",
                                                        "sv_airmove",
                                                        "sv_clipmode",
                                                        "sv_friction",
                                                        "sv_gravity",
                                                        "sv_maxspeed",
                                                        "sv_password",
                                                        "sv_lan",
                                                        "sv_allowdownload",
                                                        "sv_allowupload",
                                                        "sv_maxspectators",
                                                        "sv_spectalk",
                                                        "sv_spectatormaxspeed",
                                                        "sv_spectator_password",
                                                        "exec",
                                                        "pausable",
                                                        "cmdline",
                                                        "mp_weaponstay",
                                                        "sv_waterfriction",
                                                        "rcon_password",
                                                        "port",
                                                        "hostname",
                                                        "mp_fraglimit",
                                                        "mp_friendlyfire",
                                                        "sv_wateraccelerate",
                                                        "decalfrequency",
                                                        "mp_forcerespawn",
                                                        "mp_autocrosshair",
                                                        "mp_falldamage",
                                                        "mp_flashlight",
                                                        "mp_footsteps",
                                                        "coop",
                                                        "deathmatch",
                                                        "tfc_spam_penalty2",
                                                        "tfc_spam_penalty1",
                                                        "tfc_spam_limit",
                                                        "tfc_fragscoring",
                                                        "tfc_clanbattle_prematch",
                                                        "tfc_clanbattle_locked",
                                                        "tfc_clanbattle",
                                                        "tfc_balance_teams",
                                                        "tfc_balance_scores",
                                                        "tfc_autoteam"};

// The caption carries the access key; none of these buttons has a tooltip.
struct FieldTabButton {
  const char* name;
  const char* caption;
  void (MainForm::*operation)();
};

// What sets one configuration tab apart: its fields, their columns, its background and its buttons in order.
struct FieldTabLayout {
  const std::vector<std::string_view>& fields;
  int columns;
  const char* background;
  const char* picture;
  std::array<FieldTabButton, 4> buttons;
};

const FieldTabLayout kAutoexecPage{kAutoexecTabFields,
                                   2,
                                   "Image1",
                                   "bg_autoexec.svg",
                                   {{{"Command10", "Autoexec.cfg &Info", &MainForm::ShowAutoexecCfgInfo},
                                     {"Command1", "&Write to Autoexec.cfg File", &MainForm::WriteAutoexecCfg},
                                     {"Command14", "Set all Fields to &Default", &MainForm::ResetAutoexecFields},
                                     {"Command13", "&Re-Read Auotexec.cfg File", &MainForm::RereadAutoexecCfg}}}};
const FieldTabLayout kServerPage{kServerTabFields,
                                 3,
                                 "Image2",
                                 "bg_server.svg",
                                 {{{"Command8", "Server.cfg &Info", &MainForm::ShowServerCfgInfo},
                                   {"Command15", "Set all Fields to &Default", &MainForm::ResetServerFields},
                                   {"Command3", "&Write to Server Config File", &MainForm::WriteServerCfg},
                                   {"Command12", "&Re-Read Server.cfg File", &MainForm::RereadServerCfg}}}};

QWidget* BuildButtons(const std::array<FieldTabButton, 4>& table, MainForm& form) {
  auto* buttons = new QWidget;
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 6, 0, 0);
  for (const FieldTabButton& b : table) {
    auto* button = new QPushButton(QLatin1String(b.caption));
    button->setObjectName(QLatin1String(b.name));
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, &form, b.operation);
  }
  return buttons;
}

}  // namespace

FieldTab::FieldTab(config::FieldTab tab, MainForm& form, int firstLabel) : m_tab(tab) {
  const FieldTabLayout& layout = tab == config::FieldTab::Autoexec ? kAutoexecPage : kServerPage;
  // The buttons are made before the fields and join the page after them, which sets the tab order.
  QWidget* buttons = BuildButtons(layout.buttons, form);
  m_background = new QLabel(this);
  m_background->lower();
  m_background->setObjectName(QLatin1String(layout.background));
  m_background->setProperty("picture", QLatin1String(layout.picture));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  const std::vector<std::string_view>& names = layout.fields;
  const int rows = (static_cast<int>(names.size()) + layout.columns - 1) / layout.columns;
  int labelIndex = firstLabel;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const config::ConfigField* field = config::FieldCatalogue::Find(names[i]);
    if (field == nullptr) continue;
    auto* label = new QLabel(FromAnsi(field->label));
    label->setObjectName(field->name == "motd_display_time" ? QStringLiteral("Label5")
                                                            : QStringLiteral("lblLabels_%1").arg(labelIndex));
    ++labelIndex;
    QWidget* control = MakeControl(*field);
    label->setBuddy(control);
    const int row = static_cast<int>(i) % rows;
    const int column = static_cast<int>(i) / rows * 3;
    grid->addWidget(label, row, column, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(control, row, column + 1, field->IsCheckBox() ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment());
    if (column > 0) grid->setColumnMinimumWidth(column - 1, 14);
  }
  // Rows of check boxes as tall as rows of text boxes, so the columns line up.
  const int rowHeight = QLineEdit().sizeHint().height();
  for (int row = 0; row < rows; ++row) grid->setRowMinimumHeight(row, rowHeight);
  grid->setRowStretch(rows, 1);
  grid->setColumnStretch(layout.columns * 3 - 1, 1);

  auto* page = new QVBoxLayout(this);
  page->addLayout(grid, 1);
  page->addWidget(buttons);
}

QWidget* FieldTab::MakeControl(const config::ConfigField& field) {
  const std::string name(field.name);
  QWidget* control = nullptr;
  if (field.IsCheckBox()) {
    auto* box = new CheckField;
    m_checkFields.emplace(name, box);
    control = box;
  } else {
    auto* edit = new TextField(field.maxLength);
    edit->setMinimumWidth(110);
    edit->setMaximumWidth(200);
    m_textFields.emplace(name, edit);
    control = edit;
  }
  control->setObjectName(QString::fromLatin1(field.name.data(), static_cast<qsizetype>(field.name.size())));
  if (!field.tooltip.empty()) control->setToolTip(FromAnsi(field.tooltip));
  return control;
}

QWidget* FieldTab::Field(const std::string& name) const {
  if (auto text = m_textFields.find(name); text != m_textFields.end()) return text->second;
  if (auto check = m_checkFields.find(name); check != m_checkFields.end()) return check->second;
  return nullptr;
}

void FieldTab::CollectValues(config::FieldValues& values) const {
  for (const config::ConfigField* field : config::FieldCatalogue::OnTab(m_tab)) {
    const std::size_t i = config::FieldIndex(*field);
    const std::string name(field->name);
    if (auto text = m_textFields.find(name); text != m_textFields.end())
      values.SetText(i, ToAnsi(text->second->Value()));
    else if (auto check = m_checkFields.find(name); check != m_checkFields.end())
      values.SetCheck(i, check->second->State());
  }
}

void FieldTab::ShowValues(const config::FieldValues& values) {
  for (const config::ConfigField* field : config::FieldCatalogue::OnTab(m_tab)) {
    const std::size_t i = config::FieldIndex(*field);
    const std::string name(field->name);
    if (auto text = m_textFields.find(name); text != m_textFields.end()) {
      const QString shown = FromAnsi(values.Text(i));
      if (text->second->Value() != shown) text->second->SetValue(shown);
    } else if (auto check = m_checkFields.find(name); check != m_checkFields.end()) {
      if (check->second->State() != values.Check(i)) check->second->SetState(values.Check(i));
    }
  }
}

}  // namespace quorvane::ui
