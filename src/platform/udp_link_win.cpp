#include "platform/udp_link.h"

namespace quorvane::platform {

// Qt Network is linked with the program here.
std::unique_ptr<DatagramLink> MakeUdpLink() { return MakeQtUdpLink(); }

}  // namespace quorvane::platform
