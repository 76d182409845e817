#include "ui/map_tab.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "maps/map_catalogue.h"
#include "ui/ansi_text.h"
#include "ui/main_form.h"
#include "ui/map_widgets.h"
#include "ui/pictures.h"

namespace quorvane::ui {

namespace {

// Launch, stop, leave and links, in the order the keyboard reaches them.
struct LaunchButton {
  const char* name;
  const char* caption;
  const char* tooltip;  // nullptr: none
  void (MainForm::*operation)();
  int row;
  int column;
  int columnSpan;
};

const LaunchButton kLaunchButtons[] = {
    {"Command2", "Start &Dedicated Server", "Start a dedicated TFC Server", &MainForm::StartDedicatedServer, 0, 0, 1},
    {"Command20", "Start &Listen Server", nullptr, &MainForm::StartListenServer, 0, 1, 1},
    {"Command21", "&Stop Server", nullptr, &MainForm::StopDedicatedServer, 0, 2, 1},
    {"Command4", "&Join Your Game",
     "Join the Dedicated Server that you have running - You must start a dedicated server first.",
     &MainForm::JoinYourGame, 0, 3, 1},
    {"Command5", "&Quit This Program", "Quit the Quorvane Program.", &MainForm::quitRequested, 1, 0, 1},
    {"Command6", "&Email Comments on This Program", "Email to the creator of the Quorvane Program",
     &MainForm::EmailComments, 1, 1, 2},
    {"Command7", "Go To Quorvane &Website", "Go To the Quorvane Website.", &MainForm::OpenWebsite, 1, 3, 1},
};

QPushButton* MakeButton(const char* name, const QString& caption, const QString& tooltip) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QLatin1String(name));
  if (!tooltip.isEmpty()) button->setToolTip(tooltip);
  return button;
}

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

MapTab::MapTab(MainForm& form) : m_form(form) {
  m_listDragIcon = Picture(QStringLiteral("drag_map.svg"));
  m_trashDragIcon = Picture(QStringLiteral("trash.svg"));
  m_background = new QLabel(this);
  m_background->setObjectName(QStringLiteral("Image3"));
  m_background->setProperty("picture", QStringLiteral("bg_maps.svg"));
  m_background->lower();

  // Each part is made in the order that sets the tab order, and joins the page at the end.
  QLayout* left = BuildMapLists();
  QLayout* middle = BuildAddRemove();
  QLayout* right = BuildMapCycle();
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

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addSpacing(6);
  layout->addWidget(label4);
  layout->addLayout(location);
  layout->addSpacing(6);
  layout->addLayout(launchGrid);
}

QPixmap MapTab::Picture(const QString& name) const {
  return SvgPicture(PicturePath(name), {}, m_form.devicePixelRatioF());
}

QToolButton* MapTab::MakePicture(QWidget* parent, const char* name, const char* icon, const QString& tooltip) const {
  auto* picture = new PictureButton(parent);
  picture->setObjectName(QLatin1String(name));
  picture->setProperty("picture", QLatin1String(icon));
  picture->setIcon(QIcon(Picture(QLatin1String(icon))));
  picture->setIconSize(QSize(16, 16));
  picture->setAutoRaise(true);
  picture->setToolTip(tooltip);
  return picture;
}

// Starting map and available maps.
QLayout* MapTab::BuildMapLists() {
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
QLayout* MapTab::BuildAddRemove() {
  m_addPicture = MakePicture(this, "Picture4", "add.svg",
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
  connect(m_addPicture, &QToolButton::clicked, this, &MapTab::AddSelectedMap);
  connect(m_available, &MapList::addPressed, this, &MapTab::AddSelectedMap);
  return middle;
}

// The map cycle with its moves, then the trash and its two buttons.
QLayout* MapTab::BuildMapCycle() {
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
  m_upPicture = MakePicture(this, "Picture2", "up.svg", "Move Up in the order the highlighted map");
  m_downPicture = MakePicture(this, "Picture3", "down.svg", "Move Down in the order the highlighted map");
  auto* moves = new QVBoxLayout;
  moves->addWidget(m_upPicture);
  moves->addWidget(m_downPicture);
  moves->addStretch(1);
  auto* cycleRow = new QHBoxLayout;
  cycleRow->addWidget(m_cycle, 1);
  cycleRow->addLayout(moves);
  QLayout* cycleTools = BuildCycleTools();
  auto* right = new QVBoxLayout;
  right->addWidget(label2);
  right->addLayout(cycleRow, 1);
  right->addLayout(cycleTools);
  ConnectCycle();
  return right;
}

QLayout* MapTab::BuildCycleTools() {
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
  connect(saveCycle, &QPushButton::clicked, &m_form, &MainForm::SaveMapCycle);
  connect(rereadCycle, &QPushButton::clicked, &m_form, &MainForm::RereadMapCycle);
  return cycleTools;
}

// The moves by picture and by key, the trash, and the drags between the lists.
void MapTab::ConnectCycle() {
  connect(m_upPicture, &QToolButton::clicked, this, &MapTab::MoveSelectedMapUp);
  connect(m_downPicture, &QToolButton::clicked, this, &MapTab::MoveSelectedMapDown);
  connect(m_trash, &TrashPicture::clicked, this, &MapTab::ClearMapCycle);
  connect(m_trash, &TrashPicture::draggedOver, this, [this](const QString& source) {
    if (source == QLatin1String("List1")) m_cycle->SetDragIcon(m_trashDragIcon, QStringLiteral("picTrash"));
  });
  connect(m_cycle, &MapList::pressed, this, [this] { m_cycle->SetDragIcon(m_listDragIcon, QStringLiteral("List2")); });
  connect(m_cycle, &MapList::dropped, this, [this](const QString& source) {
    if (source == QLatin1String("List2")) AddSelectedMap();
  });
  connect(m_cycle, &MapList::deletePressed, &m_form, &MainForm::DeleteSelectedMapAsked);
  connect(m_cycle, &MapList::movePressed, this, [this](int step) {
    if (step < 0) MoveSelectedMapUp();
    if (step > 0) MoveSelectedMapDown();
  });
}

// The trash picture in its sunken frame, and the hidden text box a drop onto it goes through.
QWidget* MapTab::BuildTrash() {
  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("Picture1"));
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Sunken);
  m_trash = new TrashPicture(frame);
  m_trash->setPixmap(m_trashDragIcon);
  m_trash->setAlignment(Qt::AlignCenter);
  m_trash->setToolTip(QStringLiteral("Clears the MapCycle.txt listing on the right so you can start fresh"));
  m_trashText = new QLineEdit(QStringLiteral("Text1"), m_trash);
  m_trashText->setObjectName(QStringLiteral("txtitem"));
  m_trashText->setGeometry(0, 0, 0, 0);
  auto* frameLayout = new QHBoxLayout(frame);
  frameLayout->setContentsMargins(4, 4, 4, 4);
  frameLayout->addWidget(m_trash);
  return frame;
}

// Message of the day.
QLayout* MapTab::BuildMotd() {
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

  connect(saveMotd, &QPushButton::clicked, &m_form, &MainForm::SaveMotd);
  connect(rereadMotd, &QPushButton::clicked, &m_form, &MainForm::RereadMotd);
  connect(clearMotd, &QPushButton::clicked, this, &MapTab::ClearMotd);
  return motdColumn;
}

QLayout* MapTab::BuildLocation() {
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

  connect(changeLocation, &QPushButton::clicked, &m_form, &MainForm::changeLocationRequested);
  return location;
}

QLayout* MapTab::BuildLaunchButtons() {
  auto* launchGrid = new QGridLayout;
  for (const LaunchButton& b : kLaunchButtons) {
    QPushButton* button = MakeButton(b.name, QLatin1String(b.caption), QLatin1String(b.tooltip));
    launchGrid->addWidget(button, b.row, b.column, 1, b.columnSpan);
    connect(button, &QPushButton::clicked, &m_form, b.operation);
  }
  return launchGrid;
}

void MapTab::LayRemovePicture() {
  m_removePicture =
      MakePicture(&m_form, "Picture6", "remove.svg", "Remove the highlighted map from the Mapcycle.txt list.");
  connect(m_removePicture, &QToolButton::clicked, this, &MapTab::RemoveSelectedMap);
  m_removePicture->raise();
  // The pictures join the keyboard's round beside the lists they act on.
  setTabOrder(m_available, m_addPicture);
  setTabOrder(m_addPicture, m_removePicture);
  setTabOrder(m_cycle, m_upPicture);
  setTabOrder(m_upPicture, m_downPicture);
}

void MapTab::PlaceRemovePicture() {
  if (m_removePicture == nullptr) return;
  m_removePicture->setGeometry(QRect(m_removeSlot->mapTo(&m_form, QPoint(0, 0)), m_removeSlot->size()));
  m_removePicture->raise();
}

bool MapTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_removeSlot && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
    PlaceRemovePicture();
  return QWidget::eventFilter(watched, event);
}

void MapTab::ShowPictures(bool shown) {
  m_addPicture->setVisible(shown);
  m_removePicture->setVisible(shown);
}

void MapTab::RedrawPictures() {
  for (QToolButton* picture : {m_addPicture, m_removePicture, m_upPicture, m_downPicture})
    picture->setIcon(QIcon(Picture(picture->property("picture").toString())));
  m_listDragIcon = Picture(QStringLiteral("drag_map.svg"));
  m_trashDragIcon = Picture(QStringLiteral("trash.svg"));
  m_trash->setPixmap(m_trashDragIcon);
  m_available->SetDragIcon(m_listDragIcon, m_available->DragIconName());
  const bool trashIcon = m_cycle->DragIconName() == QLatin1String("picTrash");
  m_cycle->SetDragIcon(trashIcon ? m_trashDragIcon : m_listDragIcon, m_cycle->DragIconName());
}

void MapTab::HideTrashText() { m_trashText->hide(); }

std::string MapTab::GameDir() const { return ToAnsi(m_gamePath->text()); }

QString MapTab::ShownGameDir() const { return m_gamePath->text(); }

void MapTab::SetGameDir(const std::string& gameDir) { m_gamePath->setText(FromAnsi(gameDir)); }

std::string MapTab::StartingMap() const { return ToAnsi(m_startingMap->currentText()); }

void MapTab::FocusStartingMap() { m_startingMap->setFocus(Qt::OtherFocusReason); }

void MapTab::ClearStartingMaps() { m_startingMap->clear(); }

void MapTab::AddStartingMaps(const std::vector<std::string>& names) {
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

void MapTab::ClearAvailableMaps() { m_available->clear(); }

void MapTab::AddAvailableMaps(const std::vector<std::string>& names) {
  std::vector<std::string> all = ItemTexts(m_available);
  all.insert(all.end(), names.begin(), names.end());
  maps::SortMapNames(all);
  m_available->clear();
  m_available->addItems(ToQStrings(all));
}

void MapTab::SetMapCycle(const std::vector<std::string>& entries) {
  m_cycle->clear();
  m_cycle->addItems(ToQStrings(entries));
}

std::vector<std::string> MapTab::MapCycle() const { return ItemTexts(m_cycle); }

void MapTab::SetMotd(const std::string& bytes) {
  m_motdAsRead = FromAnsi(bytes);
  m_motd->setPlainText(ForDisplay(m_motdAsRead));
  m_motdShown = BoxText(m_motd);
}

std::string MapTab::Motd() const {
  const QString shown = BoxText(m_motd);
  if (shown == m_motdShown) return ToAnsi(m_motdAsRead);
  QString text = shown;
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return ToAnsi(text);
}

void MapTab::ClearMotd() { m_motd->clear(); }

int MapTab::SelectedCycleRow() const {
  const QList<QListWidgetItem*> selected = m_cycle->selectedItems();
  return selected.isEmpty() ? -1 : m_cycle->row(selected.first());
}

void MapTab::AddSelectedMap() {
  const QList<QListWidgetItem*> selected = m_available->selectedItems();
  if (selected.isEmpty()) return;
  m_cycle->addItem(selected.first()->text());
}

void MapTab::RemoveSelectedMap() {
  const int row = SelectedCycleRow();
  if (row >= 0) delete m_cycle->takeItem(row);
}

void MapTab::MoveSelectedMapUp() {
  const int row = SelectedCycleRow();
  if (row <= 0) return;
  QListWidgetItem* item = m_cycle->takeItem(row);
  m_cycle->insertItem(row - 1, item);
  m_cycle->setCurrentRow(row - 1);
}

void MapTab::MoveSelectedMapDown() {
  const int row = SelectedCycleRow();
  if (row < 0 || row >= m_cycle->count() - 1) return;
  QListWidgetItem* item = m_cycle->takeItem(row);
  m_cycle->insertItem(row + 1, item);
  m_cycle->setCurrentRow(row + 1);
}

void MapTab::ClearMapCycle() { m_cycle->clear(); }

}  // namespace quorvane::ui
