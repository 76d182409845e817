#include "ui/main_form.h"
#include "ui/server_monitor.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <array>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/game_paths.h"
#include "maps/map_catalogue.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "ui/accessibility.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/field_widgets.h"
#include "ui/fonts.h"
#include "ui/map_widgets.h"
#include "ui/pictures.h"

static void InitUiResources() { Q_INIT_RESOURCE(ui); }

namespace quorvane::ui {

namespace {

// Field order on each tab, as the window has always laid them out.
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

}  // namespace

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

namespace {

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

constexpr int kMapTab = 2;
constexpr int kServerTab = 1;

// Line breaks as the box holds them: every CR LF, lone CR and lone LF of the
// file is one line break.
QString ForDisplay(const QString& raw) {
  QString shown = raw;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

QString BoxText(const QPlainTextEdit* box) {
  // toPlainText would turn non-breaking spaces into blanks.
  QString text = box->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return text;
}

QString PicturePath(const QString& name) { return QStringLiteral(":/ui/images/") + name; }

std::vector<std::string> ItemTexts(const QListWidget* list) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(list->count()));
  for (int i = 0; i < list->count(); ++i) texts.push_back(ToAnsi(list->item(i)->text()));
  return texts;
}

QStringList ToQStrings(const std::vector<std::string>& names) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& n : names) list.push_back(FromAnsi(n));
  return list;
}

}  // namespace

MainForm::MainForm(install::FileSystem& fs, Dialogs& dialogs, launch::SoundPlayer& sound,
                   launch::ProcessStarter& starter, launch::ServerControl& server, QWidget* parent)
    : QWidget(parent), m_fs(fs), m_dialogs(dialogs), m_launcher(fs, sound, starter, server) {
  InitUiResources();
  InstallComicFont();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Quorvane"));
  setFont(ProgramFont());

  m_listDragIcon = Picture(QStringLiteral("drag_map.svg"));
  m_trashDragIcon = Picture(QStringLiteral("trash.svg"));
  m_picturesRatio = devicePixelRatioF();

  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("SSTab1"));
  m_tabs->addTab(BuildConfigTab(kAutoexecPage), QStringLiteral("Autoexec Config"));
  m_tabs->addTab(BuildConfigTab(kServerPage), QStringLiteral("Server Config"));
  // Hidden on the other tabs, but its cell keeps its place.
  QWidget* lan = m_checkFields.at("sv_lan");
  QSizePolicy policy = lan->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  lan->setSizePolicy(policy);
  m_tabs->addTab(BuildMapTab(), QStringLiteral("Game Map/Dedicated Server/Quit"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_tabs);
  // The server's status under the tabs; the window grows by its height.
  AttachServerMonitor(*this, layout, fs, dialogs);

  // Picture6 lies on the window itself, over the map tab, so the tab change
  // has to hide it on the other tabs.
  m_removePicture =
      MakePicture(this, "Picture6", "remove.svg", "Remove the highlighted map from the Mapcycle.txt list.");
  connect(m_removePicture, &QToolButton::clicked, this, &MainForm::RemoveSelectedMap);
  m_removePicture->raise();
  // The pictures join the keyboard's round beside the lists they act on.
  QWidget* up = findChild<QWidget*>(QStringLiteral("Picture2"));
  setTabOrder(m_available, m_addPicture);
  setTabOrder(m_addPicture, m_removePicture);
  setTabOrder(m_cycle, up);
  setTabOrder(up, findChild<QWidget*>(QStringLiteral("Picture3")));

  // The window opens on the map tab (the load selects it again).
  m_tabs->setCurrentIndex(kMapTab);
  connect(m_tabs, &QTabWidget::currentChanged, this, &MainForm::OnTabChanged);
  OnTabChanged(m_tabs->currentIndex());
  FitLabelColours();
  NameControls(*this);
  resize(sizeHint());
}

MainForm::~MainForm() = default;

QPushButton* MainForm::MakeButton(const char* name, const QString& caption, const QString& tooltip) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QLatin1String(name));
  if (!tooltip.isEmpty()) button->setToolTip(tooltip);
  return button;
}

QPixmap MainForm::Picture(const QString& name) const { return SvgPicture(PicturePath(name), {}, devicePixelRatioF()); }

QToolButton* MainForm::MakePicture(QWidget* parent, const char* name, const char* icon, const QString& tooltip) {
  auto* picture = new PictureButton(parent);
  picture->setObjectName(QLatin1String(name));
  picture->setProperty("picture", QLatin1String(icon));
  picture->setIcon(QIcon(Picture(QLatin1String(icon))));
  picture->setIconSize(QSize(16, 16));
  picture->setAutoRaise(true);
  picture->setToolTip(tooltip);
  return picture;
}

QWidget* MainForm::BuildFieldTab(const std::vector<std::string_view>& names, int columns, QWidget* buttons) {
  auto* page = new QWidget;
  auto* background = new QLabel(page);
  background->lower();
  m_backgrounds.push_back(background);
  page->installEventFilter(this);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  const int rows = (static_cast<int>(names.size()) + columns - 1) / columns;
  int labelIndex = static_cast<int>(m_textFields.size() + m_checkFields.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const config::ConfigField* field = config::FieldCatalogue::Find(names[i]);
    if (field == nullptr) continue;
    const std::string name(field->name);
    auto* label = new QLabel(FromAnsi(field->label));
    label->setObjectName(name == "motd_display_time" ? QStringLiteral("Label5")
                                                     : QStringLiteral("lblLabels_%1").arg(labelIndex));
    ++labelIndex;
    QWidget* control = nullptr;
    if (field->IsCheckBox()) {
      auto* box = new CheckField;
      m_checkFields.emplace(name, box);
      control = box;
    } else {
      auto* edit = new TextField(field->maxLength);
      edit->setMinimumWidth(110);
      edit->setMaximumWidth(200);
      m_textFields.emplace(name, edit);
      control = edit;
    }
    control->setObjectName(QString::fromLatin1(field->name.data(), static_cast<qsizetype>(field->name.size())));
    if (!field->tooltip.empty()) control->setToolTip(FromAnsi(field->tooltip));
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
  grid->setColumnStretch(columns * 3 - 1, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(grid, 1);
  layout->addWidget(buttons);
  return page;
}

QWidget* MainForm::BuildConfigTab(const FieldTabLayout& tab) {
  // The buttons are made before the fields and join the page after them, which sets the tab order.
  auto* buttons = new QWidget;
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 6, 0, 0);
  for (const FieldTabButton& b : tab.buttons) {
    QPushButton* button = MakeButton(b.name, QLatin1String(b.caption), {});
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, b.operation);
  }
  QWidget* page = BuildFieldTab(tab.fields, tab.columns, buttons);
  m_backgrounds.back()->setObjectName(QLatin1String(tab.background));
  m_backgrounds.back()->setProperty("picture", QLatin1String(tab.picture));
  return page;
}

QWidget* MainForm::BuildMapTab() {
  auto* page = new QWidget;
  auto* background = new QLabel(page);
  background->setObjectName(QStringLiteral("Image3"));
  background->setProperty("picture", QStringLiteral("bg_maps.svg"));
  background->lower();
  m_backgrounds.push_back(background);
  page->installEventFilter(this);

  // Each part is made in the order that sets the tab order, and joins the page at the end.
  QLayout* left = BuildMapLists();
  QLayout* middle = BuildAddRemove(page);
  QLayout* right = BuildMapCycle(page);
  QLayout* motdColumn = BuildMotd();
  auto* top = new QHBoxLayout;
  top->addLayout(left, 3);
  top->addLayout(middle);
  top->addLayout(right, 3);
  top->addSpacing(10);
  top->addLayout(motdColumn, 4);

  // Server location.
  auto* label4 = new QLabel(QStringLiteral("Location of hlds.exe file (dedicated server file)"));
  label4->setObjectName(QStringLiteral("Label4"));
  QLayout* location = BuildLocation();
  label4->setBuddy(m_gamePath);
  QLayout* launchGrid = BuildLaunchButtons();

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top, 1);
  layout->addSpacing(6);
  layout->addWidget(label4);
  layout->addLayout(location);
  layout->addSpacing(6);
  layout->addLayout(launchGrid);
  return page;
}

// Starting map and available maps.
QLayout* MainForm::BuildMapLists() {
  auto* label1 = new QLabel(QStringLiteral("Starting Map:"));
  label1->setObjectName(QStringLiteral("Label1"));
  m_startingMap = new QComboBox;
  label1->setBuddy(m_startingMap);
  m_startingMap->setObjectName(QStringLiteral("Combo1"));
  m_startingMap->setEditable(false);
  m_startingMap->setToolTip(QStringLiteral("Pick a starting map."));
  m_startingMap->setMinimumWidth(150);
  auto* label3 = new QLabel(QStringLiteral("Available Maps"));
  label3->setObjectName(QStringLiteral("Label3"));
  m_available = new MapList(QStringLiteral("List2"));
  label3->setBuddy(m_available);
  m_available->setToolTip(QStringLiteral("These are the available maps"));
  m_available->SetDragIcon(m_listDragIcon, QStringLiteral("List2"));
  auto* left = new QVBoxLayout;
  left->addWidget(label1);
  left->addWidget(m_startingMap);
  left->addSpacing(6);
  left->addWidget(label3);
  left->addWidget(m_available, 1);

  return left;
}

// Add, and the place where the window's own remove picture lies.
QLayout* MainForm::BuildAddRemove(QWidget* page) {
  m_addPicture = MakePicture(page, "Picture4", "add.svg",
                             "Add the highlighted map from the Available Maps to the MapCycle.txt file");
  QSizePolicy keep = m_addPicture->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  m_addPicture->setSizePolicy(keep);
  m_removeSlot = new QWidget;
  m_removeSlot->setFixedSize(m_addPicture->sizeHint());
  m_removeSlot->installEventFilter(this);
  auto* middle = new QVBoxLayout;
  middle->addStretch(1);
  middle->addWidget(m_addPicture);
  middle->addWidget(m_removeSlot);
  middle->addStretch(1);
  connect(m_addPicture, &QToolButton::clicked, this, &MainForm::AddSelectedMap);
  connect(m_available, &MapList::addPressed, this, &MainForm::AddSelectedMap);
  return middle;
}

// The map cycle with its moves, the trash and its two buttons.
QLayout* MainForm::BuildMapCycle(QWidget* page) {
  auto* label2 = new QLabel(QStringLiteral("MapCycle.txt"));
  label2->setObjectName(QStringLiteral("Label2"));
  m_cycle = new MapList(QStringLiteral("List1"));
  label2->setBuddy(m_cycle);
  m_cycle->setToolTip(
      QStringLiteral("These are the maps in the C:\\Sierra\\Half-Life\\TFC\\Mapcycle.txt file -- You can add to it or "
                     "take a map from it."));
  m_cycle->SetDragIcon(m_listDragIcon, QStringLiteral("List2"));
  m_cycle->AcceptDropsFrom(QStringLiteral("List2"));
  m_available->AcceptDropsFrom(QString());
  auto* up = MakePicture(page, "Picture2", "up.svg", "Move Up in the order the highlighted map");
  auto* down = MakePicture(page, "Picture3", "down.svg", "Move Down in the order the highlighted map");
  auto* moves = new QVBoxLayout;
  moves->addWidget(up);
  moves->addWidget(down);
  moves->addStretch(1);
  auto* cycleRow = new QHBoxLayout;
  cycleRow->addWidget(m_cycle, 1);
  cycleRow->addLayout(moves);

  QWidget* frame = BuildTrash();
  auto* saveCycle = MakeButton("Command9", QStringLiteral("&Write to Mapcycle.txt"),
                               QStringLiteral("Save the new MapCycle.txt file"));
  auto* rereadCycle = MakeButton("Command11", QStringLiteral("Re-&Read MapCycle.txt File"),
                                 QStringLiteral("Re-Read the Values from the Mapcycle.txt file"));
  auto* cycleButtons = new QVBoxLayout;
  cycleButtons->addWidget(saveCycle);
  cycleButtons->addWidget(rereadCycle);
  auto* cycleTools = new QHBoxLayout;
  cycleTools->addWidget(frame);
  cycleTools->addLayout(cycleButtons, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(label2);
  right->addLayout(cycleRow, 1);
  right->addLayout(cycleTools);
  connect(up, &QToolButton::clicked, this, &MainForm::MoveSelectedMapUp);
  connect(down, &QToolButton::clicked, this, &MainForm::MoveSelectedMapDown);
  connect(m_trash, &TrashPicture::clicked, this, &MainForm::ClearMapCycle);
  connect(m_trash, &TrashPicture::draggedOver, this, [this](const QString& source) {
    if (source == QLatin1String("List1")) m_cycle->SetDragIcon(m_trashDragIcon, QStringLiteral("picTrash"));
  });
  connect(m_cycle, &MapList::pressed, this, [this] { m_cycle->SetDragIcon(m_listDragIcon, QStringLiteral("List2")); });
  connect(m_cycle, &MapList::dropped, this, [this](const QString& source) {
    if (source == QLatin1String("List2")) AddSelectedMap();
  });
  connect(m_cycle, &MapList::deletePressed, this, &MainForm::DeleteSelectedMapAsked);
  connect(m_cycle, &MapList::movePressed, this, [this](int step) {
    if (step < 0) MoveSelectedMapUp();
    if (step > 0) MoveSelectedMapDown();
  });
  connect(saveCycle, &QPushButton::clicked, this, &MainForm::SaveMapCycle);
  connect(rereadCycle, &QPushButton::clicked, this, &MainForm::RereadMapCycle);
  return right;
}

// The trash picture in its sunken frame, and the hidden text box a drop onto it goes through.
QWidget* MainForm::BuildTrash() {
  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("Picture1"));
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Sunken);
  m_trash = new TrashPicture(frame);
  m_trash->setPixmap(m_trashDragIcon);
  m_trash->setAlignment(Qt::AlignCenter);
  m_trash->setToolTip(QStringLiteral("Clears the MapCycle.txt listing on the right so you can start fresh"));
  auto* txtitem = new QLineEdit(QStringLiteral("Text1"), m_trash);
  txtitem->setObjectName(QStringLiteral("txtitem"));
  txtitem->setGeometry(0, 0, 0, 0);
  auto* frameLayout = new QHBoxLayout(frame);
  frameLayout->setContentsMargins(4, 4, 4, 4);
  frameLayout->addWidget(m_trash);
  return frame;
}

// Message of the day.
QLayout* MainForm::BuildMotd() {
  m_motd = new QPlainTextEdit;
  m_motd->setObjectName(QStringLiteral("Text9"));
  m_motd->setAccessibleName(QStringLiteral("Message of the Day"));
  m_motd->setToolTip(
      QStringLiteral("This is the Message of the Day... It will display for a few seconds to a new player after they "
                     "join your game."));
  m_motd->setMinimumWidth(230);
  auto* saveMotd = MakeButton("Command16", QStringLiteral("Write to &Message of the Day"),
                              QStringLiteral("Write to the Message of the Day File"));
  auto* rereadMotd = MakeButton("Command17", QStringLiteral("&Re-Read MOTD"),
                                QStringLiteral("Re-Read the text from the Message of the Day file."));
  auto* clearMotd = MakeButton("Command18", QStringLiteral("&Clear MOTD"),
                               QStringLiteral("Clear the screen of the Message of the Day"));
  auto* motdButtons = new QHBoxLayout;
  motdButtons->addWidget(rereadMotd);
  motdButtons->addWidget(clearMotd);
  auto* motdColumn = new QVBoxLayout;
  motdColumn->addWidget(m_motd, 1);
  motdColumn->addWidget(saveMotd);
  motdColumn->addLayout(motdButtons);

  connect(saveMotd, &QPushButton::clicked, this, &MainForm::SaveMotd);
  connect(rereadMotd, &QPushButton::clicked, this, &MainForm::RereadMotd);
  connect(clearMotd, &QPushButton::clicked, this, &MainForm::ClearMotd);
  return motdColumn;
}

QLayout* MainForm::BuildLocation() {
  m_gamePath = new QLineEdit(QStringLiteral("hlds.exe location goes here"));
  m_gamePath->setObjectName(QStringLiteral("GamePath"));
  m_gamePath->setReadOnly(true);
  m_gamePath->setToolTip(QStringLiteral(
      "You cannot edit this control from here.  You have to click on the 'Change Location of hlds.exe button'."));
  auto* changeLocation = MakeButton(
      "Command19", QStringLiteral("&Change Location of hlds.exe"),
      QStringLiteral(
          "This will open up the form that allows you to change the directory location of the hlds.exe file"));
  auto* location = new QHBoxLayout;
  location->addWidget(m_gamePath, 1);
  location->addWidget(changeLocation);

  connect(changeLocation, &QPushButton::clicked, this, &MainForm::changeLocationRequested);
  return location;
}

// Launch, stop, leave and links.
QLayout* MainForm::BuildLaunchButtons() {
  auto* startDedicated =
      MakeButton("Command2", QStringLiteral("Start &Dedicated Server"), QStringLiteral("Start a dedicated TFC Server"));
  auto* startListen = MakeButton("Command20", QStringLiteral("Start &Listen Server"), {});
  auto* stop = MakeButton("Command21", QStringLiteral("&Stop Server"), {});
  auto* join = MakeButton(
      "Command4", QStringLiteral("&Join Your Game"),
      QStringLiteral("Join the Dedicated Server that you have running - You must start a dedicated server first."));
  auto* quit =
      MakeButton("Command5", QStringLiteral("&Quit This Program"), QStringLiteral("Quit the Quorvane Program."));
  auto* mail = MakeButton("Command6", QStringLiteral("&Email Comments on This Program"),
                          QStringLiteral("Email to the creator of the Quorvane Program"));
  auto* web =
      MakeButton("Command7", QStringLiteral("Go To Quorvane &Website"), QStringLiteral("Go To the Quorvane Website."));
  auto* launchGrid = new QGridLayout;
  launchGrid->addWidget(startDedicated, 0, 0);
  launchGrid->addWidget(startListen, 0, 1);
  launchGrid->addWidget(stop, 0, 2);
  launchGrid->addWidget(join, 0, 3);
  launchGrid->addWidget(quit, 1, 0);
  launchGrid->addWidget(mail, 1, 1, 1, 2);
  launchGrid->addWidget(web, 1, 3);

  connect(startDedicated, &QPushButton::clicked, this,
          [this] { Carry(m_launcher.StartDedicatedServer(LaunchInputs())); });
  connect(startListen, &QPushButton::clicked, this, [this] {
    // It writes listenserver.cfg from the fields first.
    if (!RefuseBeforeLoad()) Carry(m_launcher.StartListenServer(LaunchInputs()));
  });
  connect(stop, &QPushButton::clicked, this, [this] { m_launcher.StopDedicatedServer(); });
  connect(join, &QPushButton::clicked, this, [this] { Carry(m_launcher.JoinYourGame(GameDir())); });
  connect(quit, &QPushButton::clicked, this, &MainForm::quitRequested);
  connect(mail, &QPushButton::clicked, this, [this] { Carry(m_launcher.EmailComments()); });
  connect(web, &QPushButton::clicked, this, [this] { Carry(m_launcher.OpenWebsite()); });
  return launchGrid;
}

void MainForm::Load() {
  if (m_loaded) return;
  m_loaded = true;
  SizeBackgrounds();
  show();
  if (auto* txtitem = findChild<QLineEdit*>(QStringLiteral("txtitem"))) txtitem->hide();
  if (m_fs.IsPresent(std::string(install::kDefaultHldsExe)))
    m_gamePath->setText(FromAnsi(install::kDefaultGameDirShown));
  m_tabs->setCurrentIndex(kMapTab);
  OnTabChanged(kMapTab);
  emit loaded();
}

void MainForm::Unload() {
  m_unloading = true;
  close();
}

void MainForm::closeEvent(QCloseEvent* event) {
  if (m_unloading) {
    event->accept();
    return;
  }
  // Leaving goes through the quit sequence, whichever way the user asks.
  event->ignore();
  emit quitRequested();
}

void MainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_loaded) Load();
  PlaceRemovePicture();
  // The window may open, or later move, on a screen of another pixel ratio
  // than the one its pictures were drawn for.
  RedrawPictures();
  if (QWindow* window = windowHandle(); window != nullptr && !m_watchingScreen) {
    m_watchingScreen = true;
    connect(window, &QWindow::screenChanged, this, &MainForm::RedrawPictures);
  }
}

void MainForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) FitLabelColours();
}

void MainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SizeBackgrounds();
  PlaceRemovePicture();
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
    if (watched == m_removeSlot) {
      PlaceRemovePicture();
    } else if (event->type() == QEvent::Resize) {
      SizeBackgrounds();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainForm::SizeBackgrounds() {
  for (QLabel* background : m_backgrounds) {
    if (QWidget* page = background->parentWidget()) background->setGeometry(page->rect());
  }
  if (m_tabs != nullptr) DrawBackground(m_tabs->currentIndex());
}

void MainForm::DrawBackground(int tab) {
  // Only the tab in view gets its picture, drawn from the SVG at the tab's
  // own size: scaling a bitmap, or drawing all three, slowed the opening.
  if (tab < 0 || tab >= static_cast<int>(m_backgrounds.size())) return;
  QLabel* background = m_backgrounds[static_cast<std::size_t>(tab)];
  const QSize size = background->size();
  const QPixmap drawn = background->pixmap();
  const qreal ratio = devicePixelRatioF();
  if (size.isEmpty() || (drawn.deviceIndependentSize() == QSizeF(size) && drawn.devicePixelRatio() == ratio)) return;
  background->setPixmap(SvgPicture(PicturePath(background->property("picture").toString()), size, ratio));
}

void MainForm::RedrawPictures() {
  if (devicePixelRatioF() == m_picturesRatio) return;
  m_picturesRatio = devicePixelRatioF();
  for (PictureButton* picture : findChildren<PictureButton*>())
    picture->setIcon(QIcon(Picture(picture->property("picture").toString())));
  m_listDragIcon = Picture(QStringLiteral("drag_map.svg"));
  m_trashDragIcon = Picture(QStringLiteral("trash.svg"));
  m_trash->setPixmap(m_trashDragIcon);
  m_available->SetDragIcon(m_listDragIcon, m_available->DragIconName());
  const bool trashIcon = m_cycle->DragIconName() == QLatin1String("picTrash");
  m_cycle->SetDragIcon(trashIcon ? m_trashDragIcon : m_listDragIcon, m_cycle->DragIconName());
  if (m_tabs != nullptr) DrawBackground(m_tabs->currentIndex());
}

void MainForm::FitLabelColours() {
  // The pictures stay light under a dark desktop, whose light text would all but vanish on them.
  for (int tab = 0; tab < m_tabs->count(); ++tab) {
    QWidget* page = m_tabs->widget(tab);
    const QLabel* background = m_backgrounds[static_cast<std::size_t>(tab)];
    const QString picture = PicturePath(background->property("picture").toString());
    const QColor behind = AverageColour(SvgPicture(picture, QSize(32, 24)).toImage());
    // The window's own palette: a change reaches it before its pages.
    const QColor text = ReadableTextColour(palette().color(QPalette::WindowText), behind);
    for (QLabel* label : page->findChildren<QLabel*>()) {
      if (label == background || label->text().isEmpty()) continue;
      if (text.isValid()) {
        QPalette own;
        own.setColor(QPalette::WindowText, text);
        label->setPalette(own);
      } else if (label->testAttribute(Qt::WA_SetPalette)) {
        label->setPalette(QPalette());  // back to the desktop's colours
      }
    }
  }
}

void MainForm::PlaceRemovePicture() {
  if (m_removeSlot == nullptr || m_removePicture == nullptr) return;
  m_removePicture->setGeometry(QRect(m_removeSlot->mapTo(this, QPoint(0, 0)), m_removeSlot->size()));
  m_removePicture->raise();
}

void MainForm::OnTabChanged(int index) {
  DrawBackground(index);
  m_addPicture->setVisible(index == kMapTab);
  m_removePicture->setVisible(index == kMapTab);
  m_checkFields.at("sv_lan")->setVisible(index == kServerTab);
}

// ---- Values and launch

config::FieldValues MainForm::Values() const {
  config::FieldValues values;
  const auto all = config::FieldCatalogue::All();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string name(all[i].name);
    if (auto text = m_textFields.find(name); text != m_textFields.end())
      values.SetText(i, ToAnsi(text->second->Value()));
    else if (auto check = m_checkFields.find(name); check != m_checkFields.end())
      values.SetCheck(i, check->second->State());
  }
  return values;
}

void MainForm::ShowValues(const config::FieldValues& values) {
  const auto all = config::FieldCatalogue::All();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string name(all[i].name);
    if (auto text = m_textFields.find(name); text != m_textFields.end()) {
      const QString shown = FromAnsi(values.Text(i));
      if (text->second->Value() != shown) text->second->SetValue(shown);
    } else if (auto check = m_checkFields.find(name); check != m_checkFields.end()) {
      if (check->second->State() != values.Check(i)) check->second->SetState(values.Check(i));
    }
  }
}

launch::LaunchForm MainForm::LaunchInputs() const { return {GameDir(), StartingMap(), Values()}; }

void MainForm::Carry(const launch::LaunchOutcome& outcome) {
  if (!outcome.message.empty()) ShowMessage(outcome.message);
  if (outcome.focusStartingMap) m_startingMap->setFocus(Qt::OtherFocusReason);
}

std::string MainForm::GameDir() const { return ToAnsi(m_gamePath->text()); }

void MainForm::SetGameDir(const std::string& gameDir) { m_gamePath->setText(FromAnsi(gameDir)); }

std::string MainForm::StartingMap() const { return ToAnsi(m_startingMap->currentText()); }

void MainForm::ShowMessage(const std::string& text) { m_dialogs.Inform(FromAnsi(text)); }

std::string MainForm::Path(std::string_view relative) const { return install::GamePath(GameDir(), relative); }

// ---- Lists and message

void MainForm::ClearStartingMaps() { m_startingMap->clear(); }

void MainForm::AddStartingMaps(const std::vector<std::string>& names) {
  const QString chosen = m_startingMap->currentText();
  std::vector<std::string> all;
  all.reserve(static_cast<std::size_t>(m_startingMap->count()) + names.size());
  for (int i = 0; i < m_startingMap->count(); ++i) all.push_back(ToAnsi(m_startingMap->itemText(i)));
  all.insert(all.end(), names.begin(), names.end());
  maps::SortMapNames(all);
  m_startingMap->clear();
  m_startingMap->addItems(ToQStrings(all));
  // Filling the list chooses no starting map of its own accord.
  m_startingMap->setCurrentIndex(chosen.isEmpty() ? -1 : m_startingMap->findText(chosen));
}

void MainForm::ClearAvailableMaps() { m_available->clear(); }

void MainForm::AddAvailableMaps(const std::vector<std::string>& names) {
  std::vector<std::string> all = ItemTexts(m_available);
  all.insert(all.end(), names.begin(), names.end());
  maps::SortMapNames(all);
  m_available->clear();
  m_available->addItems(ToQStrings(all));
}

void MainForm::SetMapCycle(const std::vector<std::string>& entries) {
  m_cycle->clear();
  m_cycle->addItems(ToQStrings(entries));
}

std::vector<std::string> MainForm::MapCycle() const { return ItemTexts(m_cycle); }

void MainForm::SetMotd(const std::string& bytes) {
  m_motdAsRead = FromAnsi(bytes);
  m_motd->setPlainText(ForDisplay(m_motdAsRead));
  m_motdShown = BoxText(m_motd);
}

std::string MainForm::Motd() const {
  const QString shown = BoxText(m_motd);
  if (shown == m_motdShown) return ToAnsi(m_motdAsRead);
  QString text = shown;
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return ToAnsi(text);
}

// ---- Operations

void MainForm::ShowAutoexecCfgInfo() {
  m_dialogs.Inform(
      QStringLiteral("This program expects to have the Autoexec.cfg in a certain format.  It expects to find the "
                     "Autoexec.Cfg file in the location") +
      m_gamePath->text() +
      QStringLiteral("  and it expectgs the file to be formatted with the field name on the left with no quotes "
                     "around it and then one tab space and then the field value enclosed in double-quotes.  If your "
                     "file is not in this format, please use an editor like notepad to put it in this format."));
}

void MainForm::ShowServerCfgInfo() {
  m_dialogs.Inform(
      QStringLiteral("This program expects to have the Server.cfg in a certain format.  It expects to find the "
                     "Server.Cfg file located at") +
      m_gamePath->text() +
      QStringLiteral(" and the format of the file is with the field name on the left with no quotes around it and "
                     "then one tab space and then the field value enclosed in double-quotes.  If your file is not in "
                     "this format, please use an editor like notepad to put it in this format."));
}

void MainForm::ReportWrite(bool ok, const std::string& file, const std::string& reason, const QString& success) {
  if (ok) {
    m_dialogs.Inform(success);
    return;
  }
  ReportFailure("write", file, reason);
}

void MainForm::ReportFailure(const char* verb, const std::string& file, const std::string& reason) {
  m_dialogs.Inform(QStringLiteral("Quorvane could not %1 %2: %3")
                       .arg(QLatin1String(verb), FromAnsi(file), QString::fromStdString(reason)));
}

void MainForm::MarkWorkspaceLoaded() { m_workspaceLoaded = true; }

bool MainForm::RefuseBeforeLoad() {
  // Until the first load the fields are empty, and writing them would wipe the user's files.
  if (m_workspaceLoaded) return false;
  m_dialogs.Inform(QStringLiteral("The configuration has not been loaded yet."));
  return true;
}

void MainForm::WriteAutoexecCfg() {
  if (RefuseBeforeLoad()) return;
  config::FieldValues values = Values();
  config::FillTextureMode(values);
  ShowValues(values);
  const config::WriteResult result = config::WriteAutoexecCfg(m_fs, GameDir(), values);
  ReportWrite(result.ok, result.file, result.reason,
              QStringLiteral("The new Autoexec.cfg file has been created successfully"));
}

void MainForm::WriteServerCfg() {
  if (RefuseBeforeLoad()) return;
  const config::WriteResult result = config::WriteServerCfg(m_fs, GameDir(), Values());
  ReportWrite(result.ok, result.file, result.reason,
              QStringLiteral("The new Server.cfg and Listenserver.cfg files have been created successfully"));
}

void MainForm::RereadAutoexecCfg() {
  if (!m_fs.IsPresent(Path(install::kAutoexecCfg))) {
    m_dialogs.Inform(QStringLiteral("The Program cannot find your Autoexec.cfg File, Try saving it first"));
    return;
  }
  const std::string path = Path(install::kAutoexecCfg);
  Reread(path);
}

void MainForm::RereadServerCfg() {
  if (!m_fs.IsPresent(Path(install::kServerCfgCheck))) {
    m_dialogs.Inform(QStringLiteral("The Program cannot find your Server.cfg File, Try saving it first"));
    return;
  }
  const std::string path = Path(install::kServerCfg);
  Reread(path);
}

void MainForm::Reread(const std::string& path) {
  const install::Read<config::FieldUpdates> updates = config::LoadCfgFile(m_fs, path);
  if (!updates) {
    ReportFailure("read", path, updates.error());
    return;
  }
  config::FieldValues values = Values();
  updates.value().ApplyTo(values);
  ShowValues(values);
}

void MainForm::ResetFields(void (*reset)(config::FieldValues&)) {
  config::FieldValues values = Values();
  reset(values);
  ShowValues(values);
}

void MainForm::ResetAutoexecFields() {
  if (m_dialogs.AskYesNo(QStringLiteral("Are you sure you want to set all Fields to their Default Value ?"),
                         QStringLiteral("Set Autoexec.Cfg fields to Default Values"), Dialogs::Icon::Stop))
    ResetFields(config::ResetAutoexecFields);
}

void MainForm::ResetServerFields() {
  if (m_dialogs.AskYesNo(QStringLiteral("Are you sure you want to set all Fields to their Default Value ?"),
                         QStringLiteral("Set Server.Cfg fields to Default Values"), Dialogs::Icon::Stop))
    ResetFields(config::ResetServerFields);
}

void MainForm::SaveMapCycle() {
  if (RefuseBeforeLoad()) return;
  const std::string path = Path(install::kMapCycle);
  const install::IoResult result = maps::SaveMapCycle(m_fs, path, MapCycle());
  ReportWrite(result.ok, path, result.error, QStringLiteral("The Mapcycle.txt file has been created."));
}

void MainForm::RereadMapCycle() {
  if (!m_fs.IsPresent(Path(install::kMapCycleCheck))) {
    m_dialogs.Inform(QStringLiteral("The Program cannot find your Mapcycle.txt, Try saving it first"));
    return;
  }
  const std::string path = Path(install::kMapCycle);
  // A file that cannot be read leaves the cycle empty, as a re-read always starts afresh.
  const install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(m_fs, path);
  SetMapCycle(entries.value());
  if (!entries) ReportFailure("read", path, entries.error());
}

void MainForm::SaveMotd() {
  if (RefuseBeforeLoad()) return;
  const std::string path = Path(install::kMotd);
  const install::IoResult result = maps::SaveMotd(m_fs, path, Motd());
  ReportWrite(result.ok, path, result.error, QStringLiteral("The MOTD.txt file has been saved."));
}

void MainForm::RereadMotd() {
  const std::string path = Path(install::kMotd);
  // No message at all leaves the box as it is.
  if (!m_fs.IsPresent(path)) return;
  const install::Read<std::string> text = maps::LoadMotd(m_fs, path);
  if (text) {
    SetMotd(text.value());
  } else {
    ReportFailure("read", path, text.error());
  }
}

void MainForm::ClearMotd() { m_motd->clear(); }

int MainForm::SelectedCycleRow() const {
  const QList<QListWidgetItem*> selected = m_cycle->selectedItems();
  return selected.isEmpty() ? -1 : m_cycle->row(selected.first());
}

void MainForm::AddSelectedMap() {
  const QList<QListWidgetItem*> selected = m_available->selectedItems();
  if (selected.isEmpty()) return;
  m_cycle->addItem(selected.first()->text());
}

void MainForm::RemoveSelectedMap() {
  const int row = SelectedCycleRow();
  if (row >= 0) delete m_cycle->takeItem(row);
}

void MainForm::MoveSelectedMapUp() {
  const int row = SelectedCycleRow();
  if (row <= 0) return;
  QListWidgetItem* item = m_cycle->takeItem(row);
  m_cycle->insertItem(row - 1, item);
  m_cycle->setCurrentRow(row - 1);
}

void MainForm::MoveSelectedMapDown() {
  const int row = SelectedCycleRow();
  if (row < 0 || row >= m_cycle->count() - 1) return;
  QListWidgetItem* item = m_cycle->takeItem(row);
  m_cycle->insertItem(row + 1, item);
  m_cycle->setCurrentRow(row + 1);
}

void MainForm::ClearMapCycle() { m_cycle->clear(); }

void MainForm::DeleteSelectedMapAsked() {
  if (SelectedCycleRow() < 0) return;
  if (m_dialogs.AskYesNo(QStringLiteral("Delete this map ?"), QStringLiteral("Delete Map from Mapcycle.txt"),
                         Dialogs::Icon::Question))
    RemoveSelectedMap();
}

}  // namespace quorvane::ui
