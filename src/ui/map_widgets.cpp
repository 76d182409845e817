#include "ui/map_widgets.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>

#include "ui/accessibility.h"

namespace quorvane::ui {

QString DragSourceOf(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(QLatin1String(kMapDragFormat))) return {};
  return QString::fromUtf8(data->data(QLatin1String(kMapDragFormat)));
}

MapList::MapList(const QString& name, QWidget* parent) : QListWidget(parent) {
  setObjectName(name);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
}

void MapList::SetDragIcon(const QPixmap& icon, const QString& iconName) {
  m_dragIcon = icon;
  m_dragIconName = iconName;
  // A drag under way shows the new picture as its pointer wherever no drop is taken.
  if (m_activeDrag && !icon.isNull()) m_activeDrag->setDragCursor(icon, Qt::IgnoreAction);
}

void MapList::AcceptDropsFrom(const QString& sourceName) { m_acceptFrom = sourceName; }

QMimeData* MapList::CreateDragData() const {
  auto* data = new QMimeData;
  data->setData(QLatin1String(kMapDragFormat), objectName().toUtf8());
  return data;
}

void MapList::mousePressEvent(QMouseEvent* event) {
  emit pressed();
  QListWidget::mousePressEvent(event);
}

void MapList::keyPressEvent(QKeyEvent* event) {
  // Modifiers do not matter: Shift+Delete asks the same question.
  if (event->key() == Qt::Key_Delete) {
    emit deletePressed();
    event->accept();
    return;
  }
  const int key = event->key();
  const bool add = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Insert;
  if (add && isSignalConnected(QMetaMethod::fromSignal(&MapList::addPressed))) {
    emit addPressed();
    event->accept();
    return;
  }
  const bool move = event->modifiers() == Qt::ControlModifier && (key == Qt::Key_Up || key == Qt::Key_Down);
  if (move && isSignalConnected(QMetaMethod::fromSignal(&MapList::movePressed))) {
    emit movePressed(key == Qt::Key_Up ? -1 : 1);
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void MapList::startDrag(Qt::DropActions) {
  if (selectedItems().isEmpty()) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(CreateDragData());
  if (!m_dragIcon.isNull()) {
    drag->setPixmap(m_dragIcon);
    // In the screen's points: a sharper picture has more pixels, not a larger size.
    const QSizeF size = m_dragIcon.deviceIndependentSize();
    drag->setHotSpot(QPoint(static_cast<int>(size.width()) / 2, static_cast<int>(size.height()) / 2));
  }
  m_activeDrag = drag;
  drag->exec(Qt::CopyAction, Qt::CopyAction);
  m_activeDrag = nullptr;
}

bool MapList::Accepts(const QMimeData* data) const {
  return !m_acceptFrom.isEmpty() && DragSourceOf(data) == m_acceptFrom;
}

void MapList::dragEnterEvent(QDragEnterEvent* event) {
  if (Accepts(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void MapList::dragMoveEvent(QDragMoveEvent* event) {
  if (Accepts(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void MapList::dropEvent(QDropEvent* event) {
  if (!Accepts(event->mimeData())) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit dropped(DragSourceOf(event->mimeData()));
}

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent) { setFocusPolicy(Qt::TabFocus); }

void PictureButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  if (hasFocus()) DrawFocusFrame(*this);
}

TrashPicture::TrashPicture(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("picTrash"));
  setAcceptDrops(true);
  setFocusPolicy(Qt::TabFocus);
}

void TrashPicture::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
    QLabel::keyPressEvent(event);
    return;
  }
  event->accept();
  emit clicked();
}

void TrashPicture::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (hasFocus()) DrawFocusFrame(*this);
}

void TrashPicture::mousePressEvent(QMouseEvent* event) {
  m_pressed = event->button() == Qt::LeftButton;
  event->accept();
}

void TrashPicture::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  m_pressed = false;
  event->accept();
  if (click) emit clicked();
}

void TrashPicture::dragEnterEvent(QDragEnterEvent* event) {
  // Taking the enter is what brings the move events; the drop itself is refused.
  const QString source = DragSourceOf(event->mimeData());
  if (source.isEmpty()) {
    event->ignore();
    return;
  }
  event->accept();
  emit draggedOver(source);
}

void TrashPicture::dragMoveEvent(QDragMoveEvent* event) {
  emit draggedOver(DragSourceOf(event->mimeData()));
  event->ignore();
}

void TrashPicture::dropEvent(QDropEvent* event) { event->ignore(); }

}  // namespace quorvane::ui
