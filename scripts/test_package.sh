#!/usr/bin/env bash
# The Debian package and its desktop files, checked by the desktop's own
# tools, then installed into a throw-away root and started as a new user.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
source scripts/packages.sh
bash scripts/setup.sh "${PACKAGE_PACKAGES[@]}"
deb=$(bash scripts/package.sh)
build=$(dirname "$deb")
echo "Package build: $((SECONDS - start)) s"

echo "--- desktop-file-validate"
desktop-file-validate "$build"/packaging/*.desktop
echo "--- appstreamcli validate --no-net"
# Errors and warnings fail; pedantic notes and hints are shown but do not.
appstream=$(appstreamcli validate --no-net --pedantic "$build"/packaging/*.metainfo.xml 2>&1) || true
echo "$appstream"
if grep -Eq '^(E|W):' <<<"$appstream"; then echo "appstreamcli found errors or warnings"; exit 1; fi
echo "--- lintian"
# Errors and warnings fail; overridden warnings carry their reason in the
# package's overrides file and are shown with it. (--fail-on would count
# overridden tags as failures once --show-overrides is given, so lintian
# fails here only when it cannot check the package at all.)
lintian_out=$(lintian --fail-on none --display-info --show-overrides "$deb" 2>&1) || {
  echo "$lintian_out"
  echo "lintian could not check the package"
  exit 1
}
echo "$lintian_out"
if grep -Eq '^(E|W):' <<<"$lintian_out"; then echo "lintian found errors or warnings"; exit 1; fi
echo "--- systemd-analyze --user verify"
# The user unit as packaged, its ExecStart pointed at the staged program, so that the check finds it.
staged=$(mktemp -d)
dpkg-deb -x "$deb" "$staged/root"
unit=$staged/root/usr/lib/systemd/user/quorvane-server.service
[[ -f $unit ]] || { echo "the package has no quorvane-server.service user unit"; exit 1; }
grep -q '^RestartPreventExitStatus=3$' "$unit" || { echo "the unit does not keep a crash loop stopped"; exit 1; }
sed "s|^ExecStart=/usr/bin/quorvane |ExecStart=$staged/root/usr/bin/quorvane |" "$unit" >"$staged/quorvane-server.service"
XDG_RUNTIME_DIR=$(mktemp -d) systemd-analyze --user verify "$staged/quorvane-server.service"
rm -rf "$staged"
echo "--- contents"
dpkg-deb --contents "$deb" | awk '{print $1, $6}'

echo "--- install"
# -noreset: between the two runs no client is left, and a server that resets then can
# refuse the second run's program while it starts again.
xvfb-run -a -s "-ac -noreset -screen 0 1280x1024x24" bash tests/package/install_test.sh "$deb"
echo "Package stage: $((SECONDS - start)) s"
