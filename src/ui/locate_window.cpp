#include "ui/locate_window.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QTreeView>
#include <filesystem>

#include "ui/accessibility.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {

namespace {

// One folder picture for every entry. The default provider looks each entry
// up in the icon theme, file by file, and a large directory then keeps the
// window from answering for seconds.
class PlainFolderIcons : public QAbstractFileIconProvider {
 public:
  PlainFolderIcons() : m_folder(QApplication::style()->standardIcon(QStyle::SP_DirIcon)) {}
  QIcon icon(IconType) const override { return m_folder; }
  QIcon icon(const QFileInfo&) const override { return m_folder; }
  QString type(const QFileInfo&) const override { return QStringLiteral("Folder"); }

 private:
  const QIcon m_folder;
};

}  // namespace

QList<DriveEntry> AvailableDrives(const std::filesystem::path& winePrefix) {
  QList<DriveEntry> drives{{"/", "/"}};
  const std::filesystem::path devices = winePrefix / "dosdevices";
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    std::error_code ec;
    const std::filesystem::path mapped = devices / (std::string(1, letter) + ":");
    if (!std::filesystem::is_directory(mapped, ec)) continue;
    const std::filesystem::path root = std::filesystem::canonical(mapped, ec);
    if (ec) continue;
    drives.push_back({QString("%1:").arg(QChar(letter)), QString::fromStdString(root.string())});
  }
  return drives;
}

LocateWindow::LocateWindow(Kind kind, QList<DriveEntry> drives, PathResolver resolve, QWidget* parent)
    : QWidget(parent, Qt::Window), m_drives(std::move(drives)), m_resolve(std::move(resolve)) {
  setObjectName(kind == Kind::FirstRun ? "LocateFile" : "LocateFile2");
  setWindowTitle(kind == Kind::FirstRun ? "Locate HLDS.EXE File" : "Locate HLDS.exe File");
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(QFont("Comic Sans MS", 9));

  BuildPathRow();
  BuildDriveAndDirectory();
  BuildFileList();
  BuildButtons();

  auto* layout = new QGridLayout(this);
  layout->addWidget(m_label, 0, 0, 1, 2);
  layout->addWidget(m_gamePath, 1, 0, 1, 2);
  layout->addWidget(m_drive, 2, 0);
  layout->addWidget(m_dir, 3, 0);
  layout->addWidget(m_file, 2, 1, 2, 1);
  layout->addWidget(m_save, 4, 0);
  layout->addWidget(m_installServer, 4, 1);
  NameControls(*this);
  resize(560, 420);

  ConnectSignals();

  // Load: File1 shows programs only ("*.exe"); Dir1 starts in the current directory.
  m_dirPath = QDir::currentPath();
  OnDirChanged();
}

// Label4 over GamePath, which only the choices below fill in.
void LocateWindow::BuildPathRow() {
  m_label = new QLabel("Location of hlds.exe file (dedicated server file)", this);
  m_label->setObjectName("Label4");

  m_gamePath = new QLineEdit(this);
  m_gamePath->setObjectName("GamePath");
  m_label->setBuddy(m_gamePath);
  m_gamePath->setReadOnly(true);
  m_gamePath->setToolTip(
      "You cannot edit this field. It is filled in automatically by selecting a directory and path from below.");
}

void LocateWindow::BuildDriveAndDirectory() {
  m_drive = new QComboBox(this);
  m_drive->setObjectName("Drive1");
  m_drive->setAccessibleName("Drive");
  m_drive->setToolTip("Select the Drive that has your hlds.exe file on it.");
  for (const DriveEntry& d : m_drives) m_drive->addItem(d.label);

  m_dirModel = new QFileSystemModel(this);
  // The model's file-information thread may ask it after the window is gone.
  static PlainFolderIcons* const folderIcons = new PlainFolderIcons;
  m_dirModel->setIconProvider(folderIcons);
  m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  m_dirModel->setRootPath("/");
  m_dir = new QTreeView(this);
  m_dir->setObjectName("Dir1");
  m_dir->setAccessibleName("Directory");
  m_dir->setToolTip("Select the directory that has the hlds.exe file in it.");
  m_dir->setModel(m_dirModel);
  m_dir->setHeaderHidden(true);
  for (int column = 1; column < m_dirModel->columnCount(); ++column) m_dir->hideColumn(column);
}

void LocateWindow::BuildFileList() {
  // A plain listing: a file-system model keeps showing the directories on the
  // way to any place it was once pointed at, whatever its filter says.
  m_fileModel = new QStringListModel(this);
  m_file = new QListView(this);
  m_file->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_file->setObjectName("File1");
  m_file->setAccessibleName("Programs in the directory");
  m_file->setModel(m_fileModel);
}

void LocateWindow::BuildButtons() {
  m_save = new QPushButton("&Save && Close", this);
  m_save->setObjectName("Command1");
  m_save->setToolTip("This saves the location of the hlds.exe file and returns you to the main screen of Quorvane.");

  // Beside the save: for a user who has no server to locate yet.
  m_installServer = new QPushButton("&Install with SteamCMD…", this);
  m_installServer->setObjectName("cmdInstallServer");
  m_installServer->setToolTip("Installs or updates the dedicated server with SteamCMD, keeping your edited files.");
}

void LocateWindow::ConnectSignals() {
  connect(m_drive, &QComboBox::activated, this, &LocateWindow::SelectDrive);
  connect(m_dir->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
    if (m_settingDir || !index.isValid()) return;
    const QString path = m_dirModel->filePath(index);
    if (path == m_dirPath) return;
    m_dirPath = path;
    OnDirChanged();
  });
  connect(m_save, &QPushButton::clicked, this, &LocateWindow::saveRequested);
  connect(m_installServer, &QPushButton::clicked, this, &LocateWindow::installRequested);
}

QString LocateWindow::GamePathText() const { return m_gamePath->text(); }

void LocateWindow::SetGamePathText(const QString& text) { m_gamePath->setText(text); }

void LocateWindow::SetDirPath(const QString& pathText) {
  const std::filesystem::path native = m_resolve(ToAnsi(pathText));
  const QFileInfo info(QString::fromStdString(native.string()));
  if (!info.isDir()) return;
  QString path = info.absoluteFilePath();
  if (path.size() > 1 && path.endsWith('/')) path.chop(1);
  if (path == m_dirPath) return;
  m_dirPath = path;
  OnDirChanged();
}

void LocateWindow::SelectDrive(int index) {
  if (index < 0 || index >= m_drives.size()) return;
  if (m_drive->currentIndex() != index) m_drive->setCurrentIndex(index);
  SetDirPath(m_drives[index].root);
  m_gamePath->setText(m_dirPath);
}

void LocateWindow::OnDirChanged() {
  m_settingDir = true;
  const QModelIndex index = m_dirModel->index(m_dirPath);
  m_dir->setCurrentIndex(index);
  m_dir->scrollTo(index);
  m_settingDir = false;
  m_fileModel->setStringList(
      QDir(m_dirPath).entryList({QStringLiteral("*.exe")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
  m_gamePath->setText(m_dirPath);
}

void LocateWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closedByUser();
}

}  // namespace quorvane::ui
