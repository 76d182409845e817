#pragma once
// The map tab's drag sources and targets: the two lists and the trash.
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QToolButton>

class QDrag;

class QMimeData;

namespace quorvane::ui {

// Drags carry the name of the list they started from; nothing else is needed,
// since a drop always takes the selected entry of the source.
inline constexpr char kMapDragFormat[] = "application/x-quorvane-map-drag";
QString DragSourceOf(const QMimeData* data);

class MapList : public QListWidget {
  Q_OBJECT
 public:
  explicit MapList(const QString& name, QWidget* parent = nullptr);

  // The picture a drag from this list shows; the trash changes List1's.
  void SetDragIcon(const QPixmap& icon, const QString& iconName);
  QString DragIconName() const { return m_dragIconName; }
  // Accept drops whose source list has this name ("" accepts none).
  void AcceptDropsFrom(const QString& sourceName);
  QMimeData* CreateDragData() const;

 signals:
  void pressed();                           // before a drag can begin
  void dropped(const QString& sourceName);  // an accepted drop
  void deletePressed();
  // Enter or Insert, and Ctrl+Up (-1) or Ctrl+Down (+1). While nothing
  // listens, the keys keep the list's own meaning.
  void addPressed();
  void movePressed(int step);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool Accepts(const QMimeData* data) const;

  QPixmap m_dragIcon;
  QString m_dragIconName;
  QPointer<QDrag> m_activeDrag;
  QString m_acceptFrom;
};

// A picture that acts as a button. Tab reaches it, Space presses it, and a
// frame shows when the keyboard has put it in focus; a click leaves the focus
// where it was, as it always has.
class PictureButton : public QToolButton {
  Q_OBJECT
 public:
  explicit PictureButton(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The trash picture: a click or Space empties the map cycle; a drag from List1
// that passes over it turns List1's drag icon into the trash, but drops nothing.
class TrashPicture : public QLabel {
  Q_OBJECT
 public:
  explicit TrashPicture(QWidget* parent = nullptr);

 signals:
  void clicked();
  void draggedOver(const QString& sourceName);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool m_pressed = false;
};

}  // namespace quorvane::ui
