#include "platform/udp_link.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QUdpSocket>
#include <chrono>

namespace quorvane::platform {
namespace {

class QtUdpLink : public DatagramLink {
 public:
  QtUdpLink() {
    QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] { Drain(); });
  }

  NetResult Open(const std::string& host, std::uint16_t port) override {
    QHostAddress address(QString::fromStdString(host));
    if (address.isNull()) {
      const QHostInfo found = QHostInfo::fromName(QString::fromStdString(host));
      for (const QHostAddress& a : found.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
          address = a;
          break;
        }
    }
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol)
      return {false, "The server address " + host + " cannot be found"};
    // A server on this machine is talked to from this machine's own address only.
    const QHostAddress local = address.isLoopback() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress::AnyIPv4;
    if (!m_socket.bind(local, 0))
      return {false, "No UDP port could be opened: " + m_socket.errorString().toStdString()};
    m_peer = address;
    m_port = port;
    return {};
  }

  NetResult Send(const std::vector<std::uint8_t>& bytes) override {
    const qint64 sent = m_socket.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<qint64>(bytes.size()), m_peer, m_port);
    if (sent != static_cast<qint64>(bytes.size()))
      return {false, "A packet to the server could not be sent: " + m_socket.errorString().toStdString()};
    return {};
  }

  void SetReceiver(Receiver receiver) override { m_receiver = std::move(receiver); }
  std::uint16_t LocalPort() const override { return m_socket.localPort(); }

 private:
  // Reading and handling stop after a few milliseconds a turn, however cheap or
  // dear each datagram is: under a flood the socket is never empty, and the
  // window's events must not wait behind it. What is left wakes the socket again.
  static constexpr std::chrono::milliseconds kTurnBudget{5};
  void Drain() {
    const auto end = std::chrono::steady_clock::now() + kTurnBudget;
    while (m_socket.hasPendingDatagrams()) {
      QHostAddress from;
      quint16 fromPort = 0;
      const qint64 size = m_socket.readDatagram(m_buffer.data(), kBufferSize, &from, &fromPort);
      const bool fromServer = fromPort == m_port && from.isEqual(m_peer, QHostAddress::ConvertV4MappedToIPv4);
      if (size >= 0 && fromServer && m_receiver) {
        m_datagram.assign(m_buffer.begin(), m_buffer.begin() + size);
        m_receiver(m_datagram);
      }
      if (std::chrono::steady_clock::now() >= end) return;
    }
  }

  QUdpSocket m_socket;
  QHostAddress m_peer;
  std::uint16_t m_port = 0;
  Receiver m_receiver;
  static constexpr qint64 kBufferSize = 65536;  // the largest UDP payload fits
  std::vector<char> m_buffer = std::vector<char>(kBufferSize);
  std::vector<std::uint8_t> m_datagram;  // reused, so a flood allocates nothing
};

}  // namespace

std::unique_ptr<DatagramLink> MakeQtUdpLink() { return std::make_unique<QtUdpLink>(); }

}  // namespace quorvane::platform
