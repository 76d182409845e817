#pragma once
// The folders an install or update is writing into right now. At its end the
// update puts back the user's files it kept at its start, so anything the
// program wrote there meanwhile would be lost: while one runs, every write of
// the program into its folder and every start of a server from there is
// refused with kInstallingMessage.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::app {

inline constexpr const char* kInstallingMessage =
    "The server files are being installed or updated. Try again when that has finished.";

class InstallingFolders {
 public:
  // The place a folder's text names on this machine, as every other path is looked up.
  using Resolve = std::function<std::string(std::string_view folder)>;

  explicit InstallingFolders(Resolve resolve);

  // An install into `folder` begins, or has ended. Each Add is matched by one
  // Remove with the same text, whatever the folder's place has become meanwhile.
  void Add(std::string_view folder);
  void Remove(std::string_view folder);

  // True while an install writes into `folder`, into a folder inside it, or
  // into one that holds it.
  [[nodiscard]] bool Touches(std::string_view folder) const;

 private:
  std::string Key(std::string_view folder) const;

  Resolve m_resolve;
  struct Busy {
    std::string text;
    std::string key;
  };
  std::vector<Busy> m_busy;
};

}  // namespace quorvane::app
