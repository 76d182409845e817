// The network module's entry: Qt Network and what it pulls in are loaded with it.
#include "platform/udp_link.h"

extern "C" __attribute__((visibility("default"))) quorvane::platform::DatagramLink* quorvane_make_udp_link() {
  return quorvane::platform::MakeQtUdpLink().release();
}
