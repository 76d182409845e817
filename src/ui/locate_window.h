#pragma once
// LocateFile (first run) and LocateFile2 (change of location): choose the
// directory that holds the dedicated server.
#include <QSet>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string_view>

class QComboBox;
class QModelIndex;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QStringListModel;
class QPushButton;
class QTreeView;

namespace quorvane::ui {

// One entry of Drive1: what it shows and the directory it opens.
struct DriveEntry {
  QString label;
  QString root;
};

// The file-system root, then each drive of the Wine prefix whose mapping exists.
QList<DriveEntry> AvailableDrives(const std::filesystem::path& winePrefix);

// Program path text (single-byte, "C:\Games") to the native path it names.
using PathResolver = std::function<std::filesystem::path(std::string_view pathText)>;

class LocateWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Kind { FirstRun, ChangeLocation };
  LocateWindow(Kind kind, QList<DriveEntry> drives, PathResolver resolve, QWidget* parent = nullptr);

  QString GamePathText() const;
  void SetGamePathText(const QString& text);
  // The path of Dir1. Program path text ("C:\", "D:\Games\Half-Life") is
  // resolved first; a place that does not exist leaves Dir1 where it was.
  void SetDirPath(const QString& pathText);
  void SelectDrive(int index);

 signals:
  void saveRequested();
  void installRequested();  // cmdInstallServer
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildPathRow();
  void BuildDriveAndDirectory();
  void BuildFileList();
  void BuildButtons();
  void ConnectSignals();
  void OnDirChanged();
  void ShowDirInTree();
  QModelIndex ChildNamed(const QModelIndex& parent, const QString& name) const;
  void OnDirectoryRead(const QString& path);
  void ShowDriveOfDir();

  QList<DriveEntry> m_drives;
  PathResolver m_resolve;
  QString m_dirPath;
  // The directory Dir1 is still to bring into view, while its model reads the way there.
  QString m_dirToShow;
  QSet<QString> m_readDirs;
  QLabel* m_label;
  QLineEdit* m_gamePath;
  QComboBox* m_drive;
  QTreeView* m_dir;
  QListView* m_file;
  QFileSystemModel* m_dirModel;
  QStringListModel* m_fileModel;
  QPushButton* m_save;
  QPushButton* m_installServer;
  bool m_settingDir = false;
};

}  // namespace quorvane::ui
