#include "ui/status_line.h"

#include <QMouseEvent>

#include "monitor/monitor_view.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {

StatusLine::StatusLine(Sources sources, QWidget* parent) : QLabel(parent), m_sources(std::move(sources)) {
  setObjectName(QStringLiteral("StatusLine"));
  // Reached by its access key and the mouse; Tab passes it by.
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("Open the server monitor (Alt+O)"));
  setTextFormat(Qt::PlainText);
  m_refresh.setInterval(1000);
  connect(&m_refresh, &QTimer::timeout, this, &StatusLine::Refresh);
  m_refresh.start();
  Refresh();
}

StatusLine::~StatusLine() = default;

void StatusLine::UseLinks(monitor::ServerLinks links) {
  m_links = std::move(links);
  Listen(m_port);
}

void StatusLine::Listen(std::uint16_t port) {
  m_port = port;
  m_info.reset();
  if (!m_links.query) return;
  m_query = m_links.query({[this](const monitor::ServerInfo& info, int ms) {
                             m_info = info;
                             m_roundTripMs = ms;
                           },
                           {},
                           {},
                           {}});
  // A socket that cannot open leaves the line at "not running"; the next refresh tries again.
  if (!m_query->Start("127.0.0.1", port)) m_query.reset();
}

void StatusLine::Refresh() {
  const std::uint16_t port = monitor::ServerPortFromField(m_sources.portText ? m_sources.portText() : std::string());
  if (port != m_port || !m_query) Listen(port);
  monitor::StatusFacts facts;
  const launch::Launcher::Watch watch = m_sources.watch ? m_sources.watch() : launch::Launcher::Watch::None;
  facts.ownServerRunning = watch == launch::Launcher::Watch::Running;
  facts.info = m_info;
  facts.roundTripMs = m_roundTripMs;
  facts.sinceAnswerMs = m_query ? m_query->SinceLastAnswerMs() : -1;
  QString line = FromAnsi(monitor::StatusText(facts));
  if (const QString note = m_note ? m_note() : QString(); !note.isEmpty()) line += QStringLiteral(" \u00b7 ") + note;
  setText(line);
  emit shown(text());
  if (watch == launch::Launcher::Watch::Ended) emit serverEnded();
}

void StatusLine::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked();
  QLabel::mousePressEvent(event);
}

}  // namespace quorvane::ui
