#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks it with lintian and the
# desktop validators, unpacks it into a scratch folder and runs the programs
# from there as an installed copy: their versions, and brisco with its window
# and its lamps from the installed library, without LD_LIBRARY_PATH.
#
# Usage: packaging/test_package.sh BUILD_DIR VERSION LAMP_DIR
#   LAMP_DIR: the lamp library's folder under /usr, as CMake installs it
set -euo pipefail

build=$1
version=$2
lamp_dir=$3
scratch=$(mktemp -d)
pid=
cleanup() {
    if [[ -n $pid ]]; then
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make test installs it)"
done

if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack could not build the package"
fi
deb=$(find "$scratch/out" -maxdepth 1 -name "brisco_${version}_*.deb")
[[ -f $deb ]] || fail "no brisco_${version}_*.deb in $(ls "$scratch/out")"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
# Found by shlibdeps, and the two that it cannot see.
for wanted in libqt6widgets6 libqt6serialport6 qt6-qpa-plugins fonts-noto-cjk; do
    [[ ", $depends," == *", $wanted "* || ", $depends," == *", $wanted,"* ]] ||
        fail "Depends lacks $wanted"
done

# Warnings fail as errors do, so that the package stays free of both.
lintian --fail-on error,warning "$deb" ||
    fail "lintian found warnings or errors"

root=$scratch/root
dpkg-deb --extract "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/brisco.desktop" ||
    fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.brisco.Brisco.metainfo.xml" ||
    fail "the metainfo is not valid"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/brisco.svg ]] || fail "no icon"
[[ -f $root/usr/share/brisco/brisco-alerts.yml ]] || fail "no alerting rules"
for page in brisco brisco-agent brisco-sim; do
    [[ -f $root/usr/share/man/man1/$page.1.gz ]] || fail "no manual page of $page"
done

# As installed: nothing found through the loader's path, and no display needed
# for the versions.
unset LD_LIBRARY_PATH DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
said=$("$root/usr/bin/brisco" --version)
[[ $said == "brisco $version" ]] || fail "brisco --version said '$said'"
said=$("$root/usr/bin/brisco-sim" --version)
[[ $said == "brisco-sim $version" ]] || fail "brisco-sim --version said '$said'"
said=$("$root/usr/bin/brisco-agent" --version)
[[ $said == "brisco-agent $version" ]] || fail "brisco-agent --version said '$said'"

# The agent's service, checked by systemd itself against the unpacked program
# and manual page; its configuration is a conffile, and nothing enables it.
unit=$root/lib/systemd/system/brisco-agent.service
[[ -f $unit ]] || fail "no brisco-agent.service"
command -v systemd-analyze >/dev/null || fail "systemd-analyze is not installed (make test installs it)"
mkdir "$scratch/units"
sed "s#^ExecStart=/usr/bin/#ExecStart=$root/usr/bin/#" "$unit" >"$scratch/units/brisco-agent.service"
MANPATH=$root/usr/share/man systemd-analyze verify "$scratch/units/brisco-agent.service" ||
    fail "systemd-analyze verify found faults in brisco-agent.service"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/brisco/agent.conf ||
    fail "/etc/brisco/agent.conf is not a conffile"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'postinst|prerm' &&
    fail "the package runs maintainer scripts: the service must not be enabled when installed"

# The handler of SIGTERM is installed once the window with its lamps exists.
sigterm_caught() {
    local mask
    mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
    [[ -n $mask ]] && (((0x$mask >> 14) & 1))
}
lamps_from_package() {
    grep -qF " $root/usr/$lamp_dir/libLumbrel.so" "/proc/$pid/maps" 2>/dev/null
}

QT_QPA_PLATFORM=offscreen BRISCO_COM1=/nonexistent/com1 BRISCO_COM2=/nonexistent/com2 \
    BRISCO_COM3=/nonexistent/com3 "$root/usr/bin/brisco" 2>"$scratch/stderr" &
pid=$!
for ((tries = 0; tries < 400; tries++)); do
    if sigterm_caught && lamps_from_package; then
        break
    fi
    kill -0 "$pid" 2>/dev/null || fail "brisco ended early: $(cat "$scratch/stderr")"
    # Without its lamps it says so and waits in a message box.
    if grep -q "lamp library" "$scratch/stderr"; then
        fail "brisco said: $(cat "$scratch/stderr")"
    fi
    sleep 0.05
done
sigterm_caught || fail "brisco did not open its window: $(cat "$scratch/stderr")"
lamps_from_package || fail "brisco did not load the lamp library of the package"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "brisco ended with status $status on SIGTERM"
echo "package works unpacked"
