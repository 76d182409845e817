// Any bytes as a ban file, as the server's list and remove answers and as a
// typed target: never a crash, and whatever is kept is a target that reads
// back as itself and builds console commands without quotes, separators,
// blanks or control characters.
#include <cstdint>
#include <string_view>

#include "people/ban_console.h"
#include "people/ban_files.h"

using namespace quorvane::people;

namespace {

void CheckTarget(const BanTarget& target) {
  const Result<BanTarget> again = ParseBanTarget(target.Text());
  if (!again || !(*again == target)) __builtin_trap();
  for (const std::string& command : LiftCommands(target))
    for (char c : command.substr(command.find(' ') + 1))
      if (c == '"' || c == ';' || c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const WallTime now{std::chrono::seconds(1'800'000'000)};
  const BanFileRead file = ReadBanFile(text, now);
  for (const Ban& ban : file.bans) {
    CheckTarget(ban.target);
    (void)PlanRestore({ban}, {}, now);
  }
  for (const auto& listed : {ParseListId(text), ParseListIp(text)})
    if (listed)
      for (const ListedBan& l : listed->bans) CheckTarget(l.target);
  if (const Result<BanTarget> typed = ParseBanTarget(text, text)) CheckTarget(*typed);
  (void)ParseRemoveAnswer(text);
  return 0;
}
