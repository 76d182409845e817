#pragma once
// The monitor's log pane: a list over the log book that asks only for the rows
// in view. New lines reach the list on a coalescing timer, so a flood costs the
// drawing of one screen of rows a few times a second, never a layout per line.
#include <QAbstractListModel>
#include <QListView>
#include <QTimer>
#include <cstdint>

#include "monitor/monitor_view.h"

namespace quorvane::ui {

// The book's shown lines as rows; the rows change only when Sync or Reset says so.
class LogModel : public QAbstractListModel {
 public:
  explicit LogModel(const monitor::LogBook& book, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Tells the views which rows the book dropped and added since the last call;
  // returns the number dropped from the top.
  int Sync();
  // Every row anew, after the book's filter changed.
  void Reset();

 private:
  const monitor::LogBook& m_book;
  int m_rows = 0;
  std::uint64_t m_dropped = 0;  // the book's ShownDropped() when the rows were last told
};

class LogPane : public QListView {
 public:
  explicit LogPane(const monitor::LogBook& book, QWidget* parent = nullptr);
  // Lines were added to the book; they are shown at the timer's next turn.
  void LinesAdded();
  // The book's filter changed.
  void Refilter();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Sync();

  LogModel m_model;
  QTimer m_timer;
};

}  // namespace quorvane::ui
