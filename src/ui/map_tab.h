#pragma once
// The main window's map tab: the starting map, the available maps and the map
// cycle with the pictures that move maps between them, the message of the day,
// the server's location and the launch buttons.
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace quorvane::ui {

class MainForm;
class MapList;
class TrashPicture;

class MapTab : public QWidget {
  Q_OBJECT
 public:
  // The buttons carry out `form`'s operations; the pictures are drawn for its screen.
  explicit MapTab(MainForm& form);

  QLabel* Background() const { return m_background; }
  // Picture6 lies on the window itself, over this tab, so it can only be laid
  // there, and the pictures put in the keyboard's round, once the tab has joined the window.
  void LayRemovePicture();
  // Follows the remove picture's place on the tab after a move or a resize.
  void PlaceRemovePicture();
  // The pictures beside the lists show only while this tab is in view.
  void ShowPictures(bool shown);
  // After the window's screen changed its pixel ratio.
  void RedrawPictures();
  // The trash's hidden text box stays out of sight once the window is up.
  void HideTrashText();

  std::string GameDir() const;      // GamePath text, code page bytes
  QString ShownGameDir() const;     // as the box shows it
  std::string StartingMap() const;  // Combo1 text
  void SetGameDir(const std::string& gameDir);
  void FocusStartingMap();

  void ClearStartingMaps();
  void AddStartingMaps(const std::vector<std::string>& names);  // kept sorted
  void ClearAvailableMaps();
  void AddAvailableMaps(const std::vector<std::string>& names);  // kept sorted
  void SetMapCycle(const std::vector<std::string>& entries);
  std::vector<std::string> MapCycle() const;
  void SetMotd(const std::string& bytes);
  std::string Motd() const;
  void ClearMotd();

  int SelectedCycleRow() const;  // -1: none
  void AddSelectedMap();
  void RemoveSelectedMap();
  void MoveSelectedMapUp();
  void MoveSelectedMapDown();
  void ClearMapCycle();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLayout* BuildMapLists();
  QLayout* BuildAddRemove();
  QLayout* BuildMapCycle();
  QLayout* BuildCycleTools();
  QWidget* BuildTrash();
  QLayout* BuildMotd();
  QLayout* BuildLocation();
  QLayout* BuildLaunchButtons();
  void ConnectCycle();
  // One of the program's pictures, as sharp as the window's screen allows.
  QPixmap Picture(const QString& name) const;
  QToolButton* MakePicture(QWidget* parent, const char* name, const char* icon, const QString& tooltip) const;

  MainForm& m_form;
  QLabel* m_background = nullptr;
  QComboBox* m_startingMap = nullptr;
  MapList* m_cycle = nullptr;
  MapList* m_available = nullptr;
  TrashPicture* m_trash = nullptr;
  QLineEdit* m_trashText = nullptr;
  QToolButton* m_addPicture = nullptr;
  QToolButton* m_removePicture = nullptr;
  QToolButton* m_upPicture = nullptr;
  QToolButton* m_downPicture = nullptr;
  QWidget* m_removeSlot = nullptr;  // where Picture6 lies over the tab
  QPlainTextEdit* m_motd = nullptr;
  QLineEdit* m_gamePath = nullptr;
  QPixmap m_listDragIcon;
  QPixmap m_trashDragIcon;
  // The message as last read, and as the box showed it then: an unedited
  // message is written back byte for byte, lone CR or LF included.
  QString m_motdAsRead;
  QString m_motdShown;
};

}  // namespace quorvane::ui
