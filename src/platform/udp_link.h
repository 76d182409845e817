#pragma once
// One UDP socket that talks to one server: it sends there and hands on only
// the datagrams that come from that address and port.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/server_links.h"

namespace quorvane::platform {

using monitor::NetResult;

class DatagramLink {
 public:
  using Receiver = std::function<void(const std::vector<std::uint8_t>&)>;
  virtual ~DatagramLink() = default;
  // Binds a free local port (on 127.0.0.1 when the server is there) and takes
  // `host` (a name or an IPv4 address) and `port` as the only sender to hear.
  virtual NetResult Open(const std::string& host, std::uint16_t port) = 0;
  virtual NetResult Send(const std::vector<std::uint8_t>& bytes) = 0;
  // Called from the event loop for each datagram from the server.
  virtual void SetReceiver(Receiver receiver) = 0;
  virtual std::uint16_t LocalPort() const = 0;
};

// The Qt Network socket; needs a running event loop to receive. On Linux it
// lives in the network module (kNetworkModuleFile), loaded at the first call:
// when that cannot be loaded, the link's Open says why.
std::unique_ptr<DatagramLink> MakeUdpLink();

// The socket itself, in the program on Windows and in the network module on Linux.
std::unique_ptr<DatagramLink> MakeQtUdpLink();

}  // namespace quorvane::platform
