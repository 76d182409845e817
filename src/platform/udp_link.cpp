#include "platform/udp_link.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

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
  // A bounded number a turn: a flood of datagrams would otherwise keep this loop
  // going and the window's events waiting. What is left wakes the socket again.
  static constexpr int kDatagramsPerTurn = 200;
  void Drain() {
    for (int n = 0; n < kDatagramsPerTurn && m_socket.hasPendingDatagrams(); ++n) {
      const QNetworkDatagram d = m_socket.receiveDatagram();
      const bool fromServer = d.senderPort() == m_port &&
                              d.senderAddress().isEqual(m_peer, QHostAddress::ConvertV4MappedToIPv4);
      if (!fromServer || !m_receiver) continue;
      const QByteArray data = d.data();
      m_receiver(std::vector<std::uint8_t>(data.begin(), data.end()));
    }
  }

  QUdpSocket m_socket;
  QHostAddress m_peer;
  std::uint16_t m_port = 0;
  Receiver m_receiver;
};

}  // namespace

std::unique_ptr<DatagramLink> MakeUdpLink() { return std::make_unique<QtUdpLink>(); }

}  // namespace quorvane::platform
