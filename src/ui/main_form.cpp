#include "ui/main_form.h"
#include "ui/server_monitor.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/resets.h"
#include "install/game_paths.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "ui/accessibility.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/field_tab.h"
#include "ui/fonts.h"
#include "ui/map_tab.h"
#include "ui/pictures.h"
#include "ui/scheduled_restarts.h"
#include "ui/status_line.h"
#include "ui/supervision_driver.h"

static void InitUiResources() { Q_INIT_RESOURCE(ui); }

namespace quorvane::ui {

namespace {

constexpr int kMapTab = 2;
constexpr int kServerTab = 1;

}  // namespace

MainForm::MainForm(install::FileSystem& fs, Dialogs& dialogs, launch::SoundPlayer& sound,
                   launch::ProcessStarter& starter, launch::ServerControl& server, QWidget* parent)
    : QWidget(parent), m_fs(fs), m_dialogs(dialogs), m_launcher(fs, sound, starter, server) {
  InitUiResources();
  InstallComicFont();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Quorvane"));
  setFont(ProgramFont());
  m_picturesRatio = devicePixelRatioF();

  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("SSTab1"));
  m_autoexecTab = new FieldTab(config::FieldTab::Autoexec, *this, 0);
  AddTab(m_autoexecTab, m_autoexecTab->Background(), QStringLiteral("Autoexec Config"));
  m_serverTab = new FieldTab(config::FieldTab::Server, *this, m_autoexecTab->FieldCount());
  AddTab(m_serverTab, m_serverTab->Background(), QStringLiteral("Server Config"));
  // Hidden on the other tabs, but its cell keeps its place.
  QWidget* lan = m_serverTab->Field("sv_lan");
  QSizePolicy policy = lan->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  lan->setSizePolicy(policy);
  m_mapTab = new MapTab(*this);
  AddTab(m_mapTab, m_mapTab->Background(), QStringLiteral("Game Map/Dedicated Server/Quit"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_tabs);
  // The server's status under the tabs; the window grows by its height.
  AttachServerMonitor(*this, layout, fs, dialogs);
  m_mapTab->LayRemovePicture();

  // The window opens on the map tab (the load selects it again).
  m_tabs->setCurrentIndex(kMapTab);
  connect(m_tabs, &QTabWidget::currentChanged, this, &MainForm::OnTabChanged);
  OnTabChanged(m_tabs->currentIndex());
  FitLabelColours();
  NameControls(*this);
  resize(sizeHint());
}

MainForm::~MainForm() = default;

void MainForm::AddTab(QWidget* page, QLabel* background, const QString& caption) {
  m_backgrounds.push_back(background);
  page->installEventFilter(this);
  m_tabs->addTab(page, caption);
}

void MainForm::Load() {
  if (m_loaded) return;
  m_loaded = true;
  SizeBackgrounds();
  show();
  m_mapTab->HideTrashText();
  if (m_fs.IsPresent(std::string(install::kDefaultHldsExe))) SetGameDir(std::string(install::kDefaultGameDirShown));
  m_tabs->setCurrentIndex(kMapTab);
  OnTabChanged(kMapTab);
  emit loaded();
}

void MainForm::Unload() {
  m_unloading = true;
  emit unloading();
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
  m_mapTab->PlaceRemovePicture();
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
  m_mapTab->PlaceRemovePicture();
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) SizeBackgrounds();
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
  m_mapTab->RedrawPictures();
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

void MainForm::OnTabChanged(int index) {
  DrawBackground(index);
  m_mapTab->ShowPictures(index == kMapTab);
  m_serverTab->Field("sv_lan")->setVisible(index == kServerTab);
}

// ---- Values and launch

config::FieldValues MainForm::Values() const {
  config::FieldValues values;
  m_autoexecTab->CollectValues(values);
  m_serverTab->CollectValues(values);
  return values;
}

void MainForm::ShowValues(const config::FieldValues& values) {
  m_autoexecTab->ShowValues(values);
  m_serverTab->ShowValues(values);
}

launch::LaunchForm MainForm::LaunchInputs() const { return {GameDir(), StartingMap(), Values()}; }

void MainForm::Carry(const launch::LaunchOutcome& outcome) {
  if (!outcome.message.empty()) ShowMessage(outcome.message);
  if (outcome.focusStartingMap) m_mapTab->FocusStartingMap();
}

void MainForm::StartDedicatedServer() {
  if (RefuseWhileInstalling()) return;
  const bool supervised = m_supervision.driver != nullptr && m_supervision.on && m_supervision.on();
  Carry(supervised ? m_supervision.start(LaunchInputs()) : m_launcher.StartDedicatedServer(LaunchInputs()));
}

void MainForm::StartListenServer() {
  if (!RefuseBeforeLoad() && !RefuseWhileInstalling()) Carry(m_launcher.StartListenServer(LaunchInputs()));
}

void MainForm::UseSupervision(SupervisedStartHooks hooks) {
  m_supervision = std::move(hooks);
  // The status line says when a crashed server is restarted, or no longer.
  auto* line = findChild<StatusLine*>(QStringLiteral("StatusLine"));
  if (line != nullptr && m_supervision.driver != nullptr)
    connect(m_supervision.driver, &SupervisionDriver::changed, line, &StatusLine::Refresh);
  if (line != nullptr && m_supervision.restarts != nullptr)
    connect(m_supervision.restarts, &ScheduledRestarts::changed, line, &StatusLine::Refresh);
}

void MainForm::UseServerWatch(ServerWatch& watch) {
  m_watch = &watch;
  FollowServer(*this, m_fs, watch);
}

void MainForm::StopDedicatedServer() {
  // A stop is no crash: the supervision hears of it before the server ends.
  if (m_supervision.driver != nullptr && m_supervision.driver->Supervising()) m_supervision.driver->Stop();
  m_launcher.StopDedicatedServer();
}

void MainForm::JoinYourGame() {
  if (!RefuseWhileInstalling()) Carry(m_launcher.JoinYourGame(GameDir()));
}

void MainForm::EmailComments() { Carry(m_launcher.EmailComments()); }

void MainForm::OpenWebsite() { Carry(m_launcher.OpenWebsite()); }

std::string MainForm::GameDir() const { return m_mapTab->GameDir(); }

void MainForm::SetGameDir(const std::string& gameDir) { m_mapTab->SetGameDir(gameDir); }

std::string MainForm::StartingMap() const { return m_mapTab->StartingMap(); }

void MainForm::ShowMessage(const std::string& text) { m_dialogs.Inform(FromAnsi(text)); }

std::string MainForm::Path(std::string_view relative) const { return install::GamePath(GameDir(), relative); }

// ---- Lists and message

// ---- Operations

void MainForm::ShowAutoexecCfgInfo() {
  m_dialogs.Inform(
      QStringLiteral("This program expects to have the Autoexec.cfg in a certain format.  It expects to find the "
                     "Autoexec.Cfg file in the location") +
      m_mapTab->ShownGameDir() +
      QStringLiteral("  and it expectgs the file to be formatted with the field name on the left with no quotes "
                     "around it and then one tab space and then the field value enclosed in double-quotes.  If your "
                     "file is not in this format, please use an editor like notepad to put it in this format."));
}

void MainForm::ShowServerCfgInfo() {
  m_dialogs.Inform(
      QStringLiteral("This program expects to have the Server.cfg in a certain format.  It expects to find the "
                     "Server.Cfg file located at") +
      m_mapTab->ShownGameDir() +
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

void MainForm::SetInstallingFolders(std::shared_ptr<const app::InstallingFolders> installing) {
  m_installing = std::move(installing);
}

bool MainForm::RefuseWhileInstalling() {
  // The update puts back at its end the files it kept at its start, over whatever was written meanwhile.
  if (!m_installing || !m_installing->Touches(GameDir())) return false;
  m_dialogs.Inform(QString::fromLatin1(app::kInstallingMessage));
  return true;
}

void MainForm::WriteAutoexecCfg() {
  if (RefuseBeforeLoad() || RefuseWhileInstalling()) return;
  config::FieldValues values = Values();
  config::FillTextureMode(values);
  ShowValues(values);
  const config::WriteResult result = config::WriteAutoexecCfg(m_fs, GameDir(), values);
  ReportWrite(result.ok, result.file, result.reason,
              QStringLiteral("The new Autoexec.cfg file has been created successfully"));
}

void MainForm::WriteServerCfg() {
  if (RefuseBeforeLoad() || RefuseWhileInstalling()) return;
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
    ReportFailure("read", path, updates.reason());
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
  if (RefuseBeforeLoad() || RefuseWhileInstalling()) return;
  const std::string path = Path(install::kMapCycle);
  const install::IoResult result = maps::SaveMapCycle(m_fs, path, m_mapTab->MapCycle());
  ReportWrite(result.ok, path, result.reason, QStringLiteral("The Mapcycle.txt file has been created."));
}

void MainForm::RereadMapCycle() {
  if (!m_fs.IsPresent(Path(install::kMapCycleCheck))) {
    m_dialogs.Inform(QStringLiteral("The Program cannot find your Mapcycle.txt, Try saving it first"));
    return;
  }
  const std::string path = Path(install::kMapCycle);
  // A file that cannot be read leaves the cycle empty, as a re-read always starts afresh.
  const install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(m_fs, path);
  m_mapTab->SetMapCycle(entries.value());
  if (!entries) ReportFailure("read", path, entries.reason());
}

void MainForm::SaveMotd() {
  if (RefuseBeforeLoad() || RefuseWhileInstalling()) return;
  const std::string path = Path(install::kMotd);
  const install::IoResult result = maps::SaveMotd(m_fs, path, m_mapTab->Motd());
  ReportWrite(result.ok, path, result.reason, QStringLiteral("The MOTD.txt file has been saved."));
}

void MainForm::RereadMotd() {
  const std::string path = Path(install::kMotd);
  // No message at all leaves the box as it is.
  if (!m_fs.IsPresent(path)) return;
  const install::Read<std::string> text = maps::LoadMotd(m_fs, path);
  if (text) {
    m_mapTab->SetMotd(text.value());
  } else {
    ReportFailure("read", path, text.reason());
  }
}

void MainForm::DeleteSelectedMapAsked() {
  if (m_mapTab->SelectedCycleRow() < 0) return;
  if (m_dialogs.AskYesNo(QStringLiteral("Delete this map ?"), QStringLiteral("Delete Map from Mapcycle.txt"),
                         Dialogs::Icon::Question))
    m_mapTab->RemoveSelectedMap();
}

}  // namespace quorvane::ui
