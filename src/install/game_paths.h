#pragma once
// Every game path is GameDir followed directly by a fixed text that begins
// with a backslash; GameDir is never normalised (a trailing backslash gives a
// doubled one, which the file layer accepts).
#include <string>
#include <string_view>

namespace quorvane::install {

inline std::string GamePath(std::string_view gameDir, std::string_view relative) {
  std::string p(gameDir);
  p.append(relative);
  return p;
}

// Relative paths, letter case as each operation spells them.
inline constexpr std::string_view kHldsExe = "\\hlds.exe";
inline constexpr std::string_view kHlExe = "\\hl.exe";
inline constexpr std::string_view kServerCfg = "\\Tfc\\server.cfg";
inline constexpr std::string_view kServerCfgCheck = "\\TFC\\server.cfg";
inline constexpr std::string_view kServerBak = "\\Tfc\\server.bak";
inline constexpr std::string_view kListenServerCfg = "\\Tfc\\listenserver.cfg";
inline constexpr std::string_view kListenServerBak = "\\Tfc\\listenserver.bak";
inline constexpr std::string_view kAutoexecCfg = "\\Valve\\autoexec.cfg";
inline constexpr std::string_view kAutoexecBak = "\\Valve\\autoexec.bak";
inline constexpr std::string_view kMapsDir = "\\Tfc\\Maps\\";
inline constexpr std::string_view kMapCycle = "\\Tfc\\mapcycle.txt";
inline constexpr std::string_view kMapCycleCheck = "\\TFC\\mapcycle.txt";
inline constexpr std::string_view kMapCycleCreate = "\\tfc\\mapcycle.txt";
inline constexpr std::string_view kMotd = "\\Tfc\\motd.txt";

// Fixed paths that do not depend on GameDir.
inline constexpr std::string_view kDefaultHldsExe = "c:\\sierra\\half-life\\hlds.exe";
inline constexpr std::string_view kDefaultGameDirStored = "C:\\Sierra\\Half-Life\\";
inline constexpr std::string_view kDefaultGameDirShown = "C:\\Sierra\\Half-Life";
inline constexpr std::string_view kFirstRunDir = "C:\\";

}  // namespace quorvane::install
