#include <chrono>
#include <thread>

#include "platform/server_control.h"

namespace quorvane::platform {

NativeServerControl::NativeServerControl(Filter accept) : m_accept(std::move(accept)) {}

void NativeServerControl::Pause(int milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < end) std::this_thread::sleep_until(end);
}

}  // namespace quorvane::platform
