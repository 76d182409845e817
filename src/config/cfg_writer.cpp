#include "config/cfg_writer.h"

#include <array>
#include <string_view>

#include "config/field_catalogue.h"
#include "install/build_info.h"
#include "install/game_paths.h"
#include "install/keep_previous.h"

namespace quorvane::config {
namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kExecValue = "listip.cfg";

// Lines of server.cfg, in file order; listenserver.cfg is the same less the
// three marked server-only.
constexpr std::array<std::string_view, 47> kServerLines{"cmdline",
                                                        "hostname",
                                                        "port",
                                                        "deathmatch",
                                                        "coop",
                                                        "mp_teamplay",
                                                        "tfc_autoteam",
                                                        "tfc_clanbattle",
                                                        "tfc_clanbattle_locked",
                                                        "tfc_balance_teams",
                                                        "tfc_respawndelay",
                                                        "tfc_balance_scores",
                                                        "tfc_fragscoring",
                                                        "rcon_password",
                                                        "sv_airmove",
                                                        "sv_allowdownload",
                                                        "sv_allowupload",
                                                        "sv_aim",
                                                        "mp_autocrosshair",
                                                        "sv_bounce",
                                                        "sv_cheats",
                                                        "sv_clipmode",
                                                        "mp_falldamage",
                                                        "mp_flashlight",
                                                        "mp_footsteps",
                                                        "mp_forcerespawn",
                                                        "mp_friendlyfire",
                                                        "sv_password",
                                                        "pausable",
                                                        "motd_display_time",
                                                        "sv_spectalk",
                                                        "sv_waterfriction",
                                                        "mp_weaponstay",
                                                        "mp_fraglimit",
                                                        "mp_timelimit",
                                                        "decalfrequency",
                                                        "edgefriction",
                                                        "sv_lan",
                                                        "sv_gravity",
                                                        "sv_friction",
                                                        "sv_stopspeed",
                                                        "sv_maxspeed",
                                                        "sv_accelerate",
                                                        "sv_stepsize",
                                                        "sv_wateraccelerate",
                                                        "sv_airaccelerate",
                                                        "exec"};

constexpr std::array<std::string_view, 26> kAutoexecLines{
    "brightness",      "gamma",        "cl_nodelta",    "cl_nopred",        "cl_predict_players",
    "fps_lan",         "fps_modem",    "fps_single",    "gl_keeptjunction", "gl_overbright",
    "gl_picmip",       "gl_playermip", "gl_round_down", "gl_texsort",       "gl_texturemode",
    "gl_ztrick",       "joystick",     "m_filter",      "cl_himodels",      "r_decals",
    "r_drawviewmodel", "r_shadows",    "rate",          "scr_conspeed",     "sv_cheats",
    "maxplayers"};

bool ServerOnly(std::string_view name) { return name == "port" || name == "deathmatch" || name == "coop"; }

// The basic server file spells these two with a capital, which the reader
// accepts because it ignores case.
std::string_view BasicServerSpelling(std::string_view name) {
  if (name == "decalfrequency") return "Decalfrequency";
  if (name == "edgefriction") return "Edgefriction";
  return name;
}

enum class Align { ToColumn24, OneTab };

void AppendLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append(kEol);
}

void AppendHeader(std::string& out, std::string_view fileTitle, bool withEcho) {
  out.append("// ").append(fileTitle).append(" file genertated by Quorvane ").append(kEol);
  out.append("//Visit out website at ").append(install::kDownloadPage).append(kEol);
  AppendLine(out, " ");
  if (withEcho) {
    out.append("echo ").append(fileTitle).append(" file by Quorvane").append(kEol);
    AppendLine(out, " ");
  }
}

std::string FieldValue(const FieldValues& fields, std::string_view name) {
  if (name == "exec") return std::string(kExecValue);
  const ConfigField* field = FieldCatalogue::Find(name);
  if (field != nullptr && field->kind == FieldKind::CheckBox) return std::to_string(fields.GetCheck(name));
  return fields.GetText(name);
}

void AppendField(std::string& out, std::string_view writtenName, const std::string& value, Align align) {
  out.append(writtenName);
  std::size_t tabs = 1;
  if (align == Align::ToColumn24) {
    std::size_t blocks = writtenName.size() / 8;
    tabs = blocks < 3 ? 3 - blocks : 1;
  }
  out.append(tabs, '\t');
  out.push_back('"');
  out.append(value);
  out.push_back('"');
  out.append(kEol);
}

}  // namespace

BackupOutcome BackupCfgFile(install::FileSystem& fs, const std::string& cfgPath, const std::string& bakPath) {
  BackupOutcome outcome;
  if (fs.IsPresent(bakPath)) {
    install::IoResult removed = fs.Remove(bakPath);
    // With the old backup still there a rename could only fail (or, on some
    // systems, silently replace it), so the file is left where it is.
    if (!removed) {
      outcome.result = removed;
      return outcome;
    }
  }
  if (fs.IsPresent(cfgPath)) {
    install::IoResult renamed = fs.Rename(cfgPath, bakPath);
    if (renamed)
      outcome.renamed = true;
    else
      outcome.result = renamed;
  }
  return outcome;
}

namespace {

// Rewrites a file where it stands, putting the old bytes back if the write fails.
WriteResult WriteInPlace(install::FileSystem& fs, const std::string& path, const std::string& text,
                         const install::ModeSource& mode = {}) {
  install::IoResult written = install::WriteKeepingPrevious(fs, path, text, mode);
  if (written) return {};
  return WriteResult::Failure(path, std::move(written.reason));
}

// The new file is as private as the one it replaces, and no more open than
// `noMoreOpenThan` when that names a file.
WriteResult WriteWithBackup(install::FileSystem& fs, const std::string& cfgPath, const std::string& bakPath,
                            const std::string& text, const std::string& noMoreOpenThan = {}) {
  BackupOutcome backup = BackupCfgFile(fs, cfgPath, bakPath);
  if (!backup.renamed) return WriteInPlace(fs, cfgPath, text, {{}, noMoreOpenThan});

  install::IoResult written = fs.WriteFileLike(cfgPath, text, {bakPath, noMoreOpenThan});
  if (written) return {};
  std::string reason = written.reason;
  // A partly written file left in the way makes the rename below fail, which says so.
  if (fs.IsPresent(cfgPath)) (void)fs.Remove(cfgPath);
  if (!fs.Rename(bakPath, cfgPath)) reason += " (the previous file is kept as " + bakPath + ")";
  return WriteResult::Failure(cfgPath, std::move(reason));
}

}  // namespace

std::string ServerCfgText(const FieldValues& fields) {
  std::string out;
  out.reserve(2048);
  AppendHeader(out, "Server.cfg", true);
  for (std::string_view name : kServerLines) AppendField(out, name, FieldValue(fields, name), Align::ToColumn24);
  return out;
}

std::string ListenServerCfgText(const FieldValues& fields) {
  std::string out;
  out.reserve(2048);
  AppendHeader(out, "Listenserver.cfg", true);
  for (std::string_view name : kServerLines)
    if (!ServerOnly(name)) AppendField(out, name, FieldValue(fields, name), Align::ToColumn24);
  return out;
}

std::string AutoexecCfgText(const FieldValues& fields) {
  std::string out;
  out.reserve(1024);
  AppendHeader(out, "Autoexec.cfg", true);
  for (std::string_view name : kAutoexecLines) AppendField(out, name, FieldValue(fields, name), Align::ToColumn24);
  return out;
}

std::string BasicServerCfgText(const FieldValues& fields) {
  std::string out;
  out.reserve(2048);
  AppendHeader(out, "Server.cfg", false);
  for (std::string_view name : kServerLines)
    AppendField(out, BasicServerSpelling(name), FieldValue(fields, name), Align::OneTab);
  return out;
}

std::string BasicAutoexecCfgText(const FieldValues& fields) {
  std::string out;
  out.reserve(1024);
  AppendHeader(out, "Autoexec.cfg", false);
  for (std::string_view name : kAutoexecLines)
    if (name != "cl_himodels") AppendField(out, name, FieldValue(fields, name), Align::OneTab);
  return out;
}

WriteResult WriteServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields) {
  const std::string serverCfg = install::GamePath(gameDir, install::kServerCfg);
  WriteResult server =
      WriteWithBackup(fs, serverCfg, install::GamePath(gameDir, install::kServerBak), ServerCfgText(fields));
  // The listen file is still attempted: it does not depend on server.cfg. It
  // carries the same passwords, so whoever may not read server.cfg may not read it either.
  WriteResult listen =
      WriteWithBackup(fs, install::GamePath(gameDir, install::kListenServerCfg),
                      install::GamePath(gameDir, install::kListenServerBak), ListenServerCfgText(fields), serverCfg);
  return server ? listen : server;
}

WriteResult WriteListenServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields) {
  return WriteInPlace(fs, install::GamePath(gameDir, install::kListenServerCfg), ListenServerCfgText(fields),
                      {{}, install::GamePath(gameDir, install::kServerCfg)});
}

void FillTextureMode(FieldValues& fields) {
  if (fields.GetText("gl_texturemode").empty()) fields.SetText("gl_texturemode", "gl_texturemode");
}

WriteResult WriteAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields) {
  FieldValues filled = fields;
  FillTextureMode(filled);
  return WriteWithBackup(fs, install::GamePath(gameDir, install::kAutoexecCfg),
                         install::GamePath(gameDir, install::kAutoexecBak), AutoexecCfgText(filled));
}

WriteResult WriteBasicServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields) {
  return WriteInPlace(fs, install::GamePath(gameDir, install::kServerCfg), BasicServerCfgText(fields));
}

WriteResult WriteBasicAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields) {
  return WriteInPlace(fs, install::GamePath(gameDir, install::kAutoexecCfg), BasicAutoexecCfgText(fields));
}

}  // namespace quorvane::config
