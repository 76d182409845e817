#pragma once
// The line under SSTab1 that says how the server on this machine is doing.
// It asks 127.0.0.1 at the `port` field's port for its info every 2 s; a click
// or Alt+O opens the monitor window.
#include <QLabel>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "launch/launcher.h"
#include "monitor/query.h"
#include "monitor/server_links.h"

namespace quorvane::ui {

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  struct Sources {
    std::function<std::string()> portText;           // the `port` field
    std::function<launch::Launcher::Watch()> watch;  // the server this program started
  };
  explicit StatusLine(Sources sources, QWidget* parent = nullptr);
  ~StatusLine() override;

  // The sockets it asks with, from now on; until then it asks nobody.
  void UseLinks(monitor::ServerLinks links);
  const monitor::ServerLinks& Links() const { return m_links; }
  // Reads the port, the started server and the last answer, and shows them.
  void Refresh();
  std::uint16_t Port() const { return m_port; }
  // A few words after the server's state ("stopping in 0:42"), while `note` gives any.
  void SetNote(std::function<QString()> note) { m_note = std::move(note); }

 signals:
  void clicked();
  void shown(const QString& text);
  // The server this program started ended without a stop from here.
  void serverEnded();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Listen(std::uint16_t port);

  Sources m_sources;
  std::function<QString()> m_note;
  monitor::ServerLinks m_links;
  std::unique_ptr<monitor::LiveQuery> m_query;
  std::optional<monitor::ServerInfo> m_info;
  int m_roundTripMs = 0;
  std::uint16_t m_port = 0;
  QTimer m_refresh;
};

}  // namespace quorvane::ui
