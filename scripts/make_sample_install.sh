#!/usr/bin/env bash
# Creates a small game installation to try the program on: the game's tfc/
# and valve/ directories with configuration files, a dozen maps with their
# briefings, a map cycle and a message of the day.
# With a stand-in server program given, it also stands in as hlds.exe and
# hl.exe, so every launch button can be tried without the game.
#
# This is not the game's server. To get the real dedicated server, press
# "Install with SteamCMD…" in the window that asks for the server's location
# (or run `quorvane --install-server ~/hlds`). It needs SteamCMD:
#   Debian: the package `steamcmd` is in the non-free section and needs the
#     i386 architecture: `sudo dpkg --add-architecture i386`, add `non-free`
#     to the components in /etc/apt/sources.list, then
#     `sudo apt update && sudo apt install steamcmd` (it lands in /usr/games).
#   Windows: steamcmd.exe comes as steamcmd.zip from Valve's developer site;
#     unpack it into a folder such as C:\steamcmd and choose it in the window.
# Usage: scripts/make_sample_install.sh DIRECTORY [STAND-IN PROGRAM]
set -euo pipefail
dir=${1:?usage: make_sample_install.sh DIRECTORY [STAND-IN PROGRAM]}
standin=${2:-}
mkdir -p "$dir/tfc/maps" "$dir/valve"

# A hand-kept server.cfg: LF line ends, comments, quoted and bare values.
cat > "$dir/tfc/server.cfg" <<'CFG'
// server.cfg for the LAN party box
// // keep this list short

hostname "Friday Night TFC"
rcon_password "changeme"
sv_password ""
mp_teamplay 21
mp_timelimit "30"
mp_fraglimit	"0"
mp_friendlyfire "0"
mp_autocrosshair "1"
mp_flashlight "1"
mp_footsteps "1"
sv_gravity "800"
sv_maxspeed "320"
sv_lan "1"
sv_allowdownload "1"
sv_allowupload "1"
tfc_autoteam "1"
tfc_balance_teams "1"
motd_display_time "12"
decalfrequency "30"
heartbeat
exec listip.cfg
CFG

# The client's autoexec.cfg, CR LF as the game's own tools write it.
{
  printf '// autoexec.cfg\r\n'
  printf 'brightness\t"3"\r\n'
  printf 'gamma\t"2.5"\r\n'
  printf 'cl_himodels\t"1"\r\n'
  printf 'fps_modem\t"40"\r\n'
  printf 'gl_texturemode\t"GL_LINEAR_MIPMAP_LINEAR"\r\n'
  printf 'rate\t"9999"\r\n'
  printf 'maxplayers\t"12"\r\n'
} > "$dir/valve/autoexec.cfg"

maps=(2fort avanti badlands casbah crossover2 cz2 dustbowl epicenter flagrun hunted rock2 well)
for m in "${maps[@]}"; do
  # A BSP version 30 header and an empty lump table are enough for a listing.
  { printf '\x1e\x00\x00\x00'; head -c 120 /dev/zero; } > "$dir/tfc/maps/$m.bsp"
  printf 'Map: %s\r\nCapture the enemy flag and bring it back to your base.\r\n' "$m" > "$dir/tfc/maps/$m.txt"
done

printf '2fort\r\nwell\r\ncasbah\r\nrock2\r\navanti\r\ndustbowl' > "$dir/tfc/mapcycle.txt"
printf 'Welcome to Friday Night TFC!\r\n\r\nNo spawn camping. Be nice to new players.\r\n' > "$dir/tfc/motd.txt"

if [[ -n "$standin" ]]; then
  install -m 755 "$standin" "$dir/hlds.exe"
  install -m 755 "$standin" "$dir/hl.exe"
fi
