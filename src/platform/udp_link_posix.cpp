#include "platform/udp_link.h"

#include "platform/program_module.h"

namespace quorvane::platform {
namespace {

using MakeLink = DatagramLink* (*)();

// Stands where the socket would be when the network module cannot be loaded, saying why at each use.
class UnloadedLink : public DatagramLink {
 public:
  explicit UnloadedLink(std::string problem) : m_problem(std::move(problem)) {}
  NetResult Open(const std::string&, std::uint16_t) override { return {false, m_problem}; }
  NetResult Send(const std::vector<std::uint8_t>&) override { return {false, m_problem}; }
  void SetReceiver(Receiver) override {}
  std::uint16_t LocalPort() const override { return 0; }

 private:
  std::string m_problem;
};

}  // namespace

std::unique_ptr<DatagramLink> MakeUdpLink() {
  // Loaded once, at the first socket: the status line's first question comes after the first window.
  static const ModuleEntry entry = LoadModuleEntry(kNetworkModuleFile, kNetworkModuleEntry);
  if (!entry) return std::make_unique<UnloadedLink>(entry.problem);
  return std::unique_ptr<DatagramLink>(reinterpret_cast<MakeLink>(entry.address)());
}

}  // namespace quorvane::platform
