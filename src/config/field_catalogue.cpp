#include "config/field_catalogue.h"

#include <algorithm>
#include <array>

namespace quorvane::config {
namespace {

constexpr std::array<ConfigField, kFieldCount> kFields{{
    {"brightness", FieldKind::Text, 0, kFileAutoexec, "2.5", true, kResetAutoexec, FieldTab::Autoexec,
     "Brightness (normal range is 0.0-4.0) Slider maxes out at 3.", "brightness:"},
    {"gamma", FieldKind::Text, 0, kFileAutoexec, "2.5", true, kResetAutoexec, FieldTab::Autoexec,
     "Gamma correction (normal range is 0.0-10.0). Multi-player allows max setting of 2.5", "gamma:"},
    {"cl_nodelta", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "1 will turn off delta compresion. Default is 0 for on.", "cl_nodelta:"},
    {"cl_nopred", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "1 will turn off your player prediction. Always leave on 0", "cl_nopred:"},
    {"cl_predict_players", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, kResetAutoexec, FieldTab::Autoexec,
     "0 will turn off prediction of other players. Always leave on 1", "cl_predict_players:"},
    {"fps_lan", FieldKind::Text, 0, kFileAutoexec, "60", true, kResetAutoexec, FieldTab::Autoexec, "", "fps_lan:"},
    {"fps_modem", FieldKind::Text, 0, kFileAutoexec, "40", true, kResetAutoexec, FieldTab::Autoexec,
     "caps frame rate at 31 fps for modem play - adjust between 20-40 for best play.", "fps_modem:"},
    {"fps_single", FieldKind::Text, 0, kFileAutoexec, "40", true, kResetAutoexec, FieldTab::Autoexec,
     "singleplayer frame rate cap. 72 is max", "fps_single:"},
    {"gl_keeptjunction", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, kResetAutoexec, FieldTab::Autoexec, "",
     "gl_keeptjunctions:"},
    {"gl_overbright", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, kResetAutoexec, FieldTab::Autoexec,
     "Use overbright colored lighting (on/off) 1 is default", "gl_overbright:"},
    {"gl_picmip", FieldKind::Text, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "highest quality texture mode (0-4) 0 is default", "gl_picmip:"},
    {"gl_playermip", FieldKind::Text, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "multiplayer skin texture mode (0-4). 0 is the best quality", "gl_playermip:"},
    {"gl_round_down", FieldKind::Text, 0, kFileAutoexec, "2", true, kResetAutoexec, FieldTab::Autoexec,
     "(range 0-3) rounds texture sizes down to save video memory (default is 3)", "gl_round_down:"},
    {"gl_texsort", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec, "",
     "gl_texsort:"},
    {"gl_texturemode", FieldKind::Text, 0, kFileAutoexec, "gl_texturemode", true, kResetAutoexec, FieldTab::Autoexec,
     "highest texture mode. Default is gl_texturemode ", "gl_texturemode:"},
    {"gl_ztrick", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, kResetAutoexec, FieldTab::Autoexec,
     "Speeds up drawing on some video cards (1 is default).", "gl_ztrick:"},
    {"joystick", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "Joystick use - Default is Off", "joystick:"},
    {"m_filter", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec,
     "1 is filter for mouse (smoother mouse movement). 0 is filter off", "m_filter:"},
    {"cl_himodels", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, 0u, FieldTab::Autoexec, "", "cl_himodels:"},
    {"r_decals", FieldKind::Text, 0, kFileAutoexec, "200", true, kResetAutoexec, FieldTab::Autoexec,
     "How many decals stay on the walls - 250 is a pretty good setting", "r_decals:"},
    {"r_drawviewmodel", FieldKind::CheckBox, 0, kFileAutoexec, "1", true, kResetAutoexec, FieldTab::Autoexec,
     "0 turns off weapon model. ", "r_drawviewmodel:"},
    {"r_shadows", FieldKind::CheckBox, 0, kFileAutoexec, "0", true, kResetAutoexec, FieldTab::Autoexec, "",
     "r_shadows:"},
    {"rate", FieldKind::Text, 0, kFileAutoexec, "3500", true, kResetAutoexec, FieldTab::Autoexec,
     "Bytes per second the server may send you (set from 2000-25000) - 3500 for modems", "rate:"},
    {"scr_conspeed", FieldKind::Text, 0, kFileAutoexec, "25000", true, kResetAutoexec, FieldTab::Autoexec, "",
     "scr_conspeed:"},
    {"sv_cheats", FieldKind::CheckBox, 0, kFileAutoexec | kFileServer | kFileListen, "0", true,
     kResetAutoexec | kResetServer, FieldTab::Autoexec, "Do you want to cheat ??  - Default is Off", "sv_cheats:"},
    {"maxplayers", FieldKind::Text, 0, kFileAutoexec, "8", true, kResetAutoexec, FieldTab::Autoexec, "", "maxplayers:"},
    {"cmdline", FieldKind::Text, 0, kFileServer | kFileListen, "", true, kResetServer, FieldTab::Server,
     "enter command line - optional", "cmdline:"},
    {"hostname", FieldKind::Text, 0, kFileServer | kFileListen, "TFC Battle", true, kResetServer, FieldTab::Server, "",
     "hostname:"},
    {"port", FieldKind::Text, 5, kFileServer, "", false, 0u, FieldTab::Server,
     "You must run on port 27016 if you want to join your own game", "port:"},
    {"deathmatch", FieldKind::CheckBox, 0, kFileServer, "1", true, kResetServer, FieldTab::Server, "", "deathmatch:"},
    {"coop", FieldKind::CheckBox, 0, kFileServer, "0", true, kResetServer, FieldTab::Server, "", "coop:"},
    {"mp_teamplay", FieldKind::Text, 4, kFileServer | kFileListen, "21", true, kResetServer, FieldTab::Server,
     "This must be set to 21 or 321 for a regular TFC game", "mp_teamplay:"},
    {"tfc_autoteam", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server, "",
     "tfc_autoteam:"},
    {"tfc_clanbattle", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server, "",
     "tfc_clanbattle:"},
    {"tfc_clanbattle_locked", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer,
     FieldTab::Server, "", "tfc_clanbattle_locked:"},
    {"tfc_balance_teams", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Balance the number of players on each team - Default is Off", "tfc_balance_teams:"},
    {"tfc_respawndelay", FieldKind::Text, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server, "",
     "tfc_respawndelay:"},
    {"tfc_balance_scores", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Balance both teams scores - Default is Off", "tfc_balance_scores:"},
    {"tfc_fragscoring", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "", "tfc_fragscoring:"},
    {"rcon_password", FieldKind::Text, 0, kFileServer | kFileListen, "", true, kResetServer, FieldTab::Server, "",
     "rcon_password:"},
    {"sv_airmove", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server, "",
     "sv_airmove:"},
    {"sv_allowdownload", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server,
     "", "sv_allowdownload:"},
    {"sv_allowupload", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server, "",
     "sv_allowupload:"},
    {"sv_aim", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Automatically aims when you are near a target - Deafault is Off", "sv_aim:"},
    {"mp_autocrosshair", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server,
     "", "mp_autocrosshair:"},
    {"sv_bounce", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server, "",
     "sv_bounce:"},
    {"sv_clipmode", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Kind of cheating - you can walk through walls - Default is Off", "sv_clipmode:"},
    {"mp_falldamage", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server, "",
     "mp_falldamage:"},
    {"mp_flashlight", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server, "",
     "mp_flashlight:"},
    {"mp_footsteps", FieldKind::CheckBox, 0, kFileServer | kFileListen, "1", true, kResetServer, FieldTab::Server, "",
     "mp_footsteps:"},
    {"mp_forcerespawn", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "", "mp_forcerespawn:"},
    {"mp_friendlyfire", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "", "mp_friendlyfire:"},
    {"sv_password", FieldKind::Text, 0, kFileServer | kFileListen, "", true, kResetServer, FieldTab::Server,
     "This is the password that users will have to have in order to jion your game - Default is Blank", "sv_password:"},
    {"pausable", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Means any player can pause your game - Default is Off", "pausable:"},
    {"motd_display_time", FieldKind::Text, 0, kFileServer | kFileListen, "10", true, kResetServer, FieldTab::Server, "",
     "motd_display_time:"},
    {"sv_spectalk", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server, "",
     "sv_spectalk:"},
    {"sv_waterfriction", FieldKind::Text, 3, kFileServer | kFileListen, "4", true, kResetServer, FieldTab::Server, "",
     "sv_waterfriction:"},
    {"mp_weaponstay", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "When you are reborn, you still have the same weapons - Off is default", "mp_weaponstay:"},
    {"mp_fraglimit", FieldKind::Text, 4, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Frag Limit for each map.. 0 = No frag limit", "mp_fraglimit:"},
    {"mp_timelimit", FieldKind::Text, 4, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Time Limit for each map... Zero (0) stays on the same map", "mp_timelimit:"},
    {"decalfrequency", FieldKind::Text, 3, kFileServer | kFileListen, "30", true, kResetServer, FieldTab::Server, "",
     "decalfrequency:"},
    {"edgefriction", FieldKind::Text, 3, kFileServer | kFileListen, "4", true, kResetServer, FieldTab::Server, "",
     "edgefriction:"},
    {"sv_lan", FieldKind::CheckBox, 0, kFileServer | kFileListen, "0", true, kResetServer, FieldTab::Server,
     "Set to 1 if you are playing a game on a lan.", "sv_lan:"},
    {"sv_gravity", FieldKind::Text, 3, kFileServer | kFileListen, "800", true, kResetServer, FieldTab::Server,
     "How Much Gravity - Default is 800", "sv_gravity:"},
    {"sv_friction", FieldKind::Text, 3, kFileServer | kFileListen, "4", true, kResetServer, FieldTab::Server, "",
     "sv_friction:"},
    {"sv_stopspeed", FieldKind::Text, 3, kFileServer | kFileListen, "100", true, kResetServer, FieldTab::Server,
     "This is how fast you will stop - 150 is standard", "sv_stopspeed:"},
    {"sv_maxspeed", FieldKind::Text, 3, kFileServer | kFileListen, "325", true, kResetServer, FieldTab::Server,
     "Maximum speed at which a player runs - Default is 320", "sv_maxspeed:"},
    {"sv_accelerate", FieldKind::Text, 3, kFileServer | kFileListen, "12", true, kResetServer, FieldTab::Server, "",
     "sv_accelerate:"},
    {"sv_stepsize", FieldKind::Text, 3, kFileServer | kFileListen, "18", true, kResetServer, FieldTab::Server,
     "The size of each step while you are moving - 15 is standard", "sv_stepsize:"},
    {"sv_wateraccelerate", FieldKind::Text, 3, kFileServer | kFileListen, "10", true, kResetServer, FieldTab::Server,
     "", "sv_wateraccelerate:"},
    {"sv_airaccelerate", FieldKind::Text, 3, kFileServer | kFileListen, "12", true, kResetServer, FieldTab::Server, "",
     "sv_airaccelerate:"},
    {"exec", FieldKind::Text, 0, kFileServer | kFileListen, "listip.cfg", true, kResetServer, FieldTab::Server,
     "executes a command file, default is 'listip.cfg'", "exec:"},
    {"sv_maxspectators", FieldKind::Text, 2, 0u, "", false, 0u, FieldTab::Server, "", "sv_maxspectators:"},
    {"sv_spectator_password", FieldKind::Text, 0, 0u, "", false, 0u, FieldTab::Server, "", "sv_spectator_password:"},
    {"sv_spectatormaxspeed", FieldKind::Text, 3, 0u, "", false, 0u, FieldTab::Server, "", "sv_spectatormaxspeed:"},
    {"tfc_clanbattle_prematch", FieldKind::Text, 4, 0u, "", false, 0u, FieldTab::Server, "",
     "tfc_clanbattle_prematch:"},
    {"tfc_spam_limit", FieldKind::Text, 4, 0u, "", false, 0u, FieldTab::Server, "", "tfc_spam_limit:"},
    {"tfc_spam_penalty1", FieldKind::Text, 4, 0u, "", false, 0u, FieldTab::Server, "", "tfc_spam_penalty1:"},
    {"tfc_spam_penalty2", FieldKind::Text, 4, 0u, "", false, 0u, FieldTab::Server, "", "tfc_spam_penalty2:"},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

template <typename Pred>
std::vector<const ConfigField*> Filter(Pred pred) {
  std::vector<const ConfigField*> result;
  for (const ConfigField& f : kFields)
    if (pred(f)) result.push_back(&f);
  return result;
}

}  // namespace

std::span<const ConfigField> FieldCatalogue::All() { return kFields; }

const ConfigField* FieldCatalogue::Find(std::string_view name) {
  auto it = std::find_if(kFields.begin(), kFields.end(),
                         [&](const ConfigField& f) { return EqualsIgnoringCase(f.name, name); });
  return it == kFields.end() ? nullptr : &*it;
}

std::vector<const ConfigField*> FieldCatalogue::InFile(unsigned fileBit) {
  return Filter([&](const ConfigField& f) { return (f.files & fileBit) != 0; });
}

std::vector<const ConfigField*> FieldCatalogue::InReset(unsigned resetBit) {
  return Filter([&](const ConfigField& f) { return (f.resets & resetBit) != 0; });
}

std::vector<const ConfigField*> FieldCatalogue::OnTab(FieldTab tab) {
  return Filter([&](const ConfigField& f) { return f.tab == tab; });
}

}  // namespace quorvane::config
