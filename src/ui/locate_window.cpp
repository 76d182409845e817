#include "ui/locate_window.h"

#include <algorithm>

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

// The directory that holds `path`; empty for a root.
QString ParentDir(const QString& path) {
  const QString up = QFileInfo(path).path();
  return up == path ? QString() : up;
}

// Whether `path` is `dir` or lies below it.
bool IsWithin(const QString& path, const QString& dir) {
  return path == dir || path.startsWith(dir.endsWith('/') ? dir : dir + '/');
}

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
  // The keys move in the directory list from the start.
  m_dir->setFocus();

  // Load: File1 shows programs only ("*.exe"); Dir1 starts in the current
  // directory, unless it has been removed since the program started.
  const QString current = QDir::currentPath();
  if (!QFileInfo(current).isDir()) return;
  m_dirPath = current;
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
  // Before the first read is asked for, so that no read goes unseen.
  connect(m_dirModel, &QFileSystemModel::directoryLoaded, this, &LocateWindow::OnDirectoryRead);
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
  // The keyboard goes from the drive to the directory to its programs, then to the buttons.
  setTabOrder(m_drive, m_dir);
  setTabOrder(m_dir, m_file);
}

void LocateWindow::BuildButtons() {
  m_save = new QPushButton("&Save && Close", this);
  m_save->setObjectName("Command1");
  m_save->setToolTip("This saves the location of the hlds.exe file and returns you to the main screen of Quorvane.");

  // Beside the save: for a user who has no server to locate yet.
  m_installServer = new QPushButton("&Install with SteamCMD…", this);
  m_installServer->setObjectName("cmdInstallServer");
  m_installServer->setToolTip("Installs or updates the dedicated server with SteamCMD, keeping your edited files.");
  setTabOrder(m_file, m_save);
  setTabOrder(m_save, m_installServer);
}

void LocateWindow::ConnectSignals() {
  connect(m_drive, &QComboBox::activated, this, &LocateWindow::SelectDrive);
  m_dir->installEventFilter(this);
  connect(m_dir->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
    // While the way to the directory is read, the list may make its first row
    // current on its own (it does when it gets the keyboard); that is no choice.
    if (m_settingDir || !m_dirToShow.isEmpty() || !index.isValid()) return;
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
  // A drive root keeps its separator ("C:/"); any other directory goes without one.
  if (path.endsWith('/') && !QDir(path).isRoot()) path.chop(1);
  if (path == m_dirPath) return;
  m_dirPath = path;
  OnDirChanged();
}

void LocateWindow::SelectDrive(int index) {
  if (index < 0 || index >= m_drives.size()) return;
  if (m_drive->currentIndex() != index) m_drive->setCurrentIndex(index);
  SetDirPath(m_drives[index].root);
  m_gamePath->setText(m_dirPath);
  // A drive that could not be opened gives way to the one Dir1 is still on.
  ShowDriveOfDir();
}

void LocateWindow::OnDirChanged() {
  m_dirToShow = m_dirPath;
  ShowDirInTree();
  ShowDriveOfDir();
  m_fileModel->setStringList(
      QDir(m_dirPath).entryList({QStringLiteral("*.exe")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
  m_gamePath->setText(m_dirPath);
}

// Dir1's model reads directories in the background. The way to the directory
// is walked one level at a time, each level once it has been read (its read
// calls back here), so that every row is in place, in order, before the list
// scrolls to it. Asking the model for a directory it has not read yet would
// make its row ahead of the rest, out of order.
void LocateWindow::ShowDirInTree() {
  if (m_dirToShow.isEmpty()) return;
  QStringList way{m_dirToShow};
  while (!ParentDir(way.front()).isEmpty()) way.prepend(ParentDir(way.front()));
  // A hidden directory on the way (a Wine drive under ~/.wine) is listed only
  // when asked for by its path before its parent is read; later it stays filtered out.
  if (std::any_of(way.cbegin(), way.cend(),
                  [](const QString& dir) { return QFileInfo(dir).fileName().startsWith('.'); }))
    static_cast<void>(m_dirModel->index(m_dirToShow));
  QModelIndex index = m_dirModel->index(way.front());
  for (qsizetype level = 1; level < way.size() && index.isValid(); ++level) {
    if (!m_readDirs.contains(way[level - 1])) {
      if (m_dirModel->canFetchMore(index)) m_dirModel->fetchMore(index);
      return;
    }
    index = ChildNamed(index, QFileInfo(way[level]).fileName());
  }
  // A hidden directory on the way: the model shows the way only when asked for it.
  if (!index.isValid()) index = m_dirModel->index(m_dirToShow);
  m_dirToShow.clear();
  if (!index.isValid()) return;
  // What was read last is put in order now rather than a moment after the scroll.
  m_dirModel->sort(0);
  m_settingDir = true;
  m_dir->setCurrentIndex(index);
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) m_dir->expand(up);
  m_dir->scrollTo(index);
  m_settingDir = false;
}

QModelIndex LocateWindow::ChildNamed(const QModelIndex& parent, const QString& name) const {
  for (int row = 0; row < m_dirModel->rowCount(parent); ++row) {
    const QModelIndex child = m_dirModel->index(row, 0, parent);
    if (m_dirModel->fileName(child) == name) return child;
  }
  return {};
}

void LocateWindow::OnDirectoryRead(const QString& path) {
  const QString read = QDir::cleanPath(path);
  m_readDirs.insert(read);
  if (!m_dirToShow.isEmpty() && IsWithin(m_dirToShow, read) && m_dirToShow != read) ShowDirInTree();
}

// Drive1 shows the drive that holds Dir1's directory: the entry with the
// longest root above it, the one already shown when it is as good.
void LocateWindow::ShowDriveOfDir() {
  int best = m_drive->currentIndex();
  if (best >= 0 && !IsWithin(m_dirPath, m_drives[best].root)) best = -1;
  for (int i = 0; i < m_drives.size(); ++i) {
    const QString& root = m_drives[i].root;
    if (IsWithin(m_dirPath, root) && (best < 0 || root.size() > m_drives[best].root.size())) best = i;
  }
  if (best >= 0) m_drive->setCurrentIndex(best);
}

// The row the list keeps as current may be left behind when the model re-sorts
// what it read; a key then would start from another row. The directory's row
// is looked up afresh first.
bool LocateWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_dir && event->type() == QEvent::KeyPress && m_dirToShow.isEmpty() && !m_dirPath.isEmpty()) {
    const QModelIndex index = m_dirModel->index(m_dirPath);
    if (index.isValid() && index != m_dir->currentIndex()) {
      m_settingDir = true;
      m_dir->setCurrentIndex(index);
      m_settingDir = false;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void LocateWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closedByUser();
}

}  // namespace quorvane::ui
