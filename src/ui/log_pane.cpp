#include "ui/log_pane.h"

#include <QBrush>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

#include "ui/ansi_text.h"

namespace quorvane::ui {
namespace {

// Plain lines keep the palette's text colour, so they stay readable on a dark desktop.
QVariant ToneColour(monitor::LogTone tone) {
  switch (tone) {
    case monitor::LogTone::Kill:
      return QBrush(QColor(0xB0, 0x20, 0x20));
    case monitor::LogTone::Join:
      return QBrush(QColor(0x20, 0x80, 0x20));
    case monitor::LogTone::Map:
      return QBrush(QColor(0x20, 0x40, 0xC0));
    case monitor::LogTone::Chat:
      return QBrush(QColor(0x90, 0x50, 0x00));
    case monitor::LogTone::Plain:
      break;
  }
  return {};
}

}  // namespace

LogModel::LogModel(const monitor::LogBook& book, QObject* parent) : QAbstractListModel(parent), m_book(book) {}

int LogModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

QVariant LogModel::data(const QModelIndex& index, int role) const {
  // Lines the book dropped since the views were last told still hold rows at the top.
  const std::uint64_t gone = m_book.ShownDropped() - m_dropped;
  if (!index.isValid() || static_cast<std::uint64_t>(index.row()) < gone) return {};
  const std::size_t row = static_cast<std::size_t>(index.row()) - gone;
  if (row >= m_book.ShownCount()) return {};
  const monitor::LogEntry& entry = m_book.ShownAt(row);
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return FromAnsi(entry.text);
  if (role == Qt::ForegroundRole) return ToneColour(entry.tone);
  return {};
}

int LogModel::Sync() {
  const int gone = static_cast<int>(std::min<std::uint64_t>(m_book.ShownDropped() - m_dropped, m_rows));
  if (gone > 0) {
    beginRemoveRows(QModelIndex(), 0, gone - 1);
    m_rows -= gone;
    m_dropped += gone;
    endRemoveRows();
  }
  // Lines that came and went between two calls were never rows.
  m_dropped = m_book.ShownDropped();
  const int rows = static_cast<int>(m_book.ShownCount());
  if (rows > m_rows) {
    beginInsertRows(QModelIndex(), m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
  }
  return gone;
}

void LogModel::Reset() {
  beginResetModel();
  m_rows = static_cast<int>(m_book.ShownCount());
  m_dropped = m_book.ShownDropped();
  endResetModel();
}

LogPane::LogPane(const monitor::LogBook& book, QWidget* parent) : QListView(parent), m_model(book) {
  setModel(&m_model);
  // Every row is one line of one height, so the list never measures the rows it does not show.
  setUniformItemSizes(true);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Ten times a second is more than anyone reads; a flood costs one redraw each time.
  m_timer.setSingleShot(true);
  m_timer.setInterval(100);
  connect(&m_timer, &QTimer::timeout, this, [this] { Sync(); });
}

void LogPane::LinesAdded() {
  if (!m_timer.isActive()) m_timer.start();
}

void LogPane::Refilter() {
  m_timer.stop();
  m_model.Reset();
  scrollToBottom();
}

void LogPane::Sync() {
  QScrollBar* bar = verticalScrollBar();
  const bool following = bar->value() == bar->maximum();
  const int top = bar->value();
  const int dropped = m_model.Sync();
  if (following) {
    scrollToBottom();
    return;
  }
  // The lines being read stay in view while older ones go.
  executeDelayedItemsLayout();
  bar->setValue(top - dropped);
}

void LogPane::keyPressEvent(QKeyEvent* event) {
  if (!event->matches(QKeySequence::Copy)) return QListView::keyPressEvent(event);
  // Every selected line, where a list would copy only the current one.
  QModelIndexList rows = selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end());
  QStringList lines;
  for (const QModelIndex& row : rows) lines << row.data().toString();
  QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

}  // namespace quorvane::ui
