#!/usr/bin/env bash
# Builds the Debian package from the normal build (scripts/package.sh) and
# tries it as a user gets it:
#   1. lintian (no errors), desktop-file-validate, appstreamcli validate,
#   2. installs it with dpkg,
#   3. ferolith-cli --version and a simulator cycle from /usr/bin in a fresh
#      folder seeded from /usr/share/ferolith, and the installed protocol
#      decoders on a trace of the installed program (with sigrok-cli),
#   4. the menu entry's command with the simulator under Xvfb, in a fresh
#      home: the window comes up without a message, the working folder is
#      made and seeded; a screenshot goes to build/package/menu-start.png,
#   5. removes the package again, also when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/package.sh >/dev/null
debs=(build/ferolith_*.deb)
deb=${debs[0]}
work=$(mktemp -d)
installed=no
# dpkg refuses at once while another package manager holds its lock (an
# unattended upgrade, or a second build installing its packages); wait for it.
dpkg_waiting() {
  local attempt
  for attempt in $(seq 1 150); do
    if dpkg "$@" >/dev/null 2>"$work/dpkg.err"; then return 0; fi
    grep -q 'lock' "$work/dpkg.err" || break
    [ "$attempt" -eq 1 ] && echo "   waiting for the dpkg lock"
    sleep 2
  done
  cat "$work/dpkg.err" >&2
  return 1
}
cleanup() {
  if [ "$installed" = yes ]; then
    dpkg_waiting -r ferolith
    echo "-- removed: $(dpkg-query -W -f='${Status}' ferolith 2>/dev/null || echo 'not installed')"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "-- lintian $deb"
lintian --fail-on error --tag-display-limit 0 --display-info "$deb" 2>/dev/null | tee "$work/lintian.txt"
echo "lintian: $(grep -c '^E:' "$work/lintian.txt" || true) errors," \
  "$(grep -c '^W:' "$work/lintian.txt" || true) warnings," \
  "$(grep -c '^I:' "$work/lintian.txt" || true) notes"

echo "-- desktop entry and AppStream data"
dpkg-deb -x "$deb" "$work/root"
desktop=("$work"/root/usr/share/applications/*.desktop)
desktop-file-validate "${desktop[0]}"
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

echo "-- dpkg -i"
installed=yes
dpkg_waiting -i "$deb"
/usr/bin/ferolith-cli --version
# The project files' type: the desktop entry opens it, and where the
# shared MIME database is installed, dpkg's trigger has taken the glob in.
grep -q '^MimeType=application/x-ferolith-project;$' /usr/share/applications/"$(basename "${desktop[0]}")"
grep -q 'glob pattern="\*.fproj"' /usr/share/mime/packages/ferolith.xml
if command -v update-mime-database >/dev/null; then
  grep -q 'application/x-ferolith-project:\*\.fproj' /usr/share/mime/globs2
  echo "   *.fproj is application/x-ferolith-project in the MIME database"
fi

echo "-- simulator cycle with /usr/bin/ferolith-cli"
cycle="$work/cycle"
mkdir -p "$cycle"
cp /usr/share/ferolith/ACELIST.CSV /usr/share/ferolith/samples/blink.hex \
  /usr/share/ferolith/samples/blink.rex "$cycle"/
(
  cd "$cycle"
  export XDG_RUNTIME_DIR="$cycle"
  sim=(-q --simulate=chip.sim --manufacturer "Quellmark Halbleiter" --device QM1108-2KE -y)
  /usr/bin/ferolith-cli "${sim[@]}" blank
  /usr/bin/ferolith-cli "${sim[@]}" program blink.hex
  /usr/bin/ferolith-cli "${sim[@]}" verify blink.hex
  /usr/bin/ferolith-cli "${sim[@]}" --format intel8 read back.hex
  /usr/bin/ferolith-cli "${sim[@]}" --format intel8 convert blink.hex converted.hex
  cmp back.hex converted.hex
) 2>&1 | sed 's/^/   /'

echo "-- the protocol decoders from /usr/share/ferolith/decoders"
for file in kalvenor/__init__.py kalvenor/pd.py kalvenor_ace/__init__.py kalvenor_ace/pd.py; do
  test -f "/usr/share/ferolith/decoders/$file"
done
if command -v sigrok-cli >/dev/null; then
  # A detection's trace from the installed program, decoded with the
  # installed decoders: its wake-up write must be there.
  (
    cd "$cycle"
    XDG_RUNTIME_DIR="$cycle" /usr/bin/ferolith-cli -q --simulate --trace=detect.vcd detect
    SIGROKDECODE_DIR=/usr/share/ferolith/decoders PYTHONDONTWRITEBYTECODE=1 sigrok-cli -I vcd -i detect.vcd \
      -P "kalvenor:levels=register:d0=D0:d1=D1:d2=D2:d3=D3:d4=D4:d5=D5:d6=D6:d7=D7:strobe=C0_STROBE:autofd=C1_AUTOFD:init=C2_INIT:selectin=C3_SELECTIN:busy=S7_BUSY,kalvenor_ace" \
      -A kalvenor=writes >decoded.txt
    grep -q '^kalvenor-1: R12 = 0x80 ' decoded.txt
    echo "   $(grep -c '^kalvenor-1: R' decoded.txt) register writes decoded"
  )
else
  echo "   sigrok-cli is not installed: the decoders are not tried"
fi

echo "-- the menu entry's command under Xvfb"
# The simulator action of the installed desktop entry, as a menu runs it.
command=$(sed -n '/^\[Desktop Action Simulate\]/,/^\[/ s/^Exec=//p' \
  /usr/share/applications/"$(basename "${desktop[0]}")")
echo "   Exec=$command"
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
mkdir -p build/package
# A real X window (scripts/test.sh runs the GUI tests offscreen).
HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb FEROLITH_MENU_COMMAND="$command" \
  FEROLITH_SCREENSHOT="$PWD/build/package/menu-start.png" \
  timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    unset XDG_DATA_HOME
    cd /  # the menu start must not depend on the directory it is started in
    $FEROLITH_MENU_COMMAND &
    program=$!
    # Start-up messages are modal boxes shown before the main window, so a
    # visible main window means the start needed no message.
    until window=$(xdotool search --onlyvisible --name "^Ferolith V1\.02$"); do
      kill -0 "$program" 2>/dev/null || { echo "the program ended before its window" >&2; exit 1; }
      sleep 0.2
    done
    if xdotool search --onlyvisible --name "^Meldung$" >/dev/null; then
      echo "a message box is open" >&2
      exit 1
    fi
    import -window "$window" "$FEROLITH_SCREENSHOT"
    # Esc closes the main window as its close button does (the settings
    # are saved); the program ends by itself.
    xdotool windowfocus --sync "$window" key Escape
    wait "$program"
  '
folder="$home/.local/share/ferolith"
test -d "$folder"
cmp "$folder/ACELIST.CSV" /usr/share/ferolith/ACELIST.CSV
cmp "$folder/blink.hex" /usr/share/ferolith/samples/blink.hex
cmp "$folder/blink.rex" /usr/share/ferolith/samples/blink.rex
test -f "$folder/KALVENOR.INI"
echo "   $folder made and seeded, settings saved at Esc; screenshot build/package/menu-start.png"

echo "-- package step: $((SECONDS - started)) s"
