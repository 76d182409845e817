#pragma once
// The stand-in dedicated server on a free loopback port, in an installation of its
// own whose tfc/server.cfg the test writes, ended with the object. The test makes
// its application object first.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <cstdint>
#include <fstream>
#include <string>

namespace quorvane::test_support {

// A loopback port nobody holds at the moment of asking.
inline std::uint16_t FreeUdpPort() {
  QUdpSocket probe;
  EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
  return probe.localPort();
}

class StandInServer {
 public:
  // `environment` holds NAME=value pairs added to the stand-in's own.
  // `port` 0: a free one.
  explicit StandInServer(const std::string& serverCfg, const QStringList& environment = {}, std::uint16_t port = 0)
      : m_port(port != 0 ? port : FreeUdpPort()) {
    QDir(m_dir.path()).mkpath("tfc/maps");
    std::ofstream(m_dir.filePath("tfc/server.cfg").toStdString(), std::ios::binary) << serverCfg;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : environment) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_dir.path());
    Start();
  }
  // Killed and started again in the same installation on the same port: it forgets what it held in memory.
  void Restart() {
    m_process.kill();
    m_process.waitForFinished();
    Start();
  }
  // A file of its installation, by its path there.
  std::string File(const QString& path) const {
    QFile file(m_dir.filePath(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }
  ~StandInServer() {
    m_process.kill();
    m_process.waitForFinished();
  }
  std::uint16_t Port() const { return m_port; }
  std::string Target() const { return "127.0.0.1:" + std::to_string(m_port); }
  // The console commands it ran, one a line.
  QString Received() const {
    QFile file(m_dir.filePath("standin-console.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
  }

 private:
  void Start() {
    m_process.start(QUORVANE_STANDIN, {"-game", "tfc", "-port", QString::number(m_port), "+map", "2fort"});
    EXPECT_TRUE(m_process.waitForStarted());
  }
  QTemporaryDir m_dir;
  QProcess m_process;
  std::uint16_t m_port;
};

}  // namespace quorvane::test_support
