#!/usr/bin/env bash
# Takes docs/decoders-pulseview.png: the sigrok decoders of decoders/ in
# PulseView on a trace of ferolith-cli, under Xvfb.
#
#   scripts/decoder-screenshot.sh [BUILD_DIR] [OUTPUT.png]
#
# The trace is an "initreg" of a DIP14 chip on the simulator (TimeBaseKorr
# 100), cut to the part after power-up's 400 ms wait up to power-down: the
# SerialOut pull-up, LOAD, the entry pulse, the voltage codes and the two
# reads of InitRegister1. A session file beside it sets up both decoders
# (levels=register, package=DIP14) and hides the lines the picture does not
# need. Needs pulseview, xvfb-run, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
output=$(realpath -m "${2:-docs/decoders-pulseview.png}")
cli=$PWD/$build/cli/ferolith-cli
for tool in pulseview xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool fehlt" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work" 2>/dev/null || true' EXIT
cd "$work"
printf ':Prüflabor;Y\nT16-14;DIP14;12000;5000;4000;0x0000;0x0010;0x0000;0;0x2FF;ACE12;Y\n' >ACELIST.CSV
printf '[Hardware]\nTimeBaseKorr=100\n' >KALVENOR.INI
XDG_RUNTIME_DIR=$work "$cli" -q --simulate --trace=initreg.vcd --device T16-14 -y initreg >/dev/null

python3 - <<'PY'
# Cuts the trace's port lines from the write after power-up's last wait to
# power-down's first write, and writes the PulseView session for it.
lines = ['D%d' % i for i in range(8)] + ['C0_STROBE', 'C1_AUTOFD', 'C2_INIT', 'C3_SELECTIN', 'S3_ERROR',
                                          'S4_SELECT', 'S5_PAPEROUT', 'S6_ACK', 'S7_BUSY']
ids, changes, time = {}, [], 0
with open('initreg.vcd') as vcd:
    for line in vcd:
        words = line.split()
        if words[:2] == ['$var', 'wire']:
            ids[words[3]] = words[4]
        elif words and words[0].startswith('#'):
            time = int(words[0][1:])
        elif words and words[0][0] in '01' and ids.get(words[0][1:]):
            changes.append((time, ids[words[0][1:]], int(words[0][0])))
# Register writes: (time of the falling strobe, register, value) from REG/VAL at each rising WR.
state, writes, fell = {}, [], 0
for time, name, value in changes:
    if name == 'C0_STROBE' and value == 0 and state.get(name) == 1:
        fell = time
    state[name] = value
    if name == 'WR' and value == 1:
        reg = sum(state.get('REG%d' % i, 0) << i for i in (1, 2, 3))
        writes.append((fell, reg, sum(state.get('VAL%d' % i, 0) << i for i in range(8))))
power = next(i for i, w in enumerate(writes) if w[1] == 0 and w[2] & 0x20)
pull_up = next(i for i in range(power, len(writes)) if writes[i][1] == 10 and writes[i][2] == 0x40)
# Power-down begins with register 6 cleared and register 2 written after it.
down = next(i for i in range(pull_up, len(writes) - 1) if writes[i][1:] == (6, 0) and writes[i + 1][1] == 2)
start, end = writes[pull_up][0] - 20, writes[down][0]
level = dict.fromkeys(lines, 0)
ids = {name: chr(33 + i) for i, name in enumerate(lines)}
with open('screenshot.vcd', 'w') as out:
    out.write('$timescale 1 us $end\n$scope module port $end\n')
    out.write(''.join('$var wire 1 %s %s $end\n' % (ids[n], n) for n in lines))
    out.write('$upscope $end\n$enddefinitions $end\n')
    body, last = [], None
    for time, name, value in changes:
        if name not in level:
            continue
        if time < start:
            level[name] = value
            continue
        if time >= end:
            break
        if last is None:
            body.append('#0\n' + ''.join('%d%s\n' % (level[n], ids[n]) for n in lines))
            last = 0
        if time - start != last:
            body.append('#%d\n' % (time - start))
            last = time - start
        body.append('%d%s\n' % (value, ids[name]))
    out.write(''.join(body) + '#%d\n' % (end - start))

names = ['D%d' % i for i in range(8)] + ['STROBE', 'AUTOFD', 'INIT', 'SELECTIN', 'BUSY', 'ERROR', 'SELECT',
                                         'PAPEROUT', 'ACK']
signals = lines[:12] + ['S7_BUSY', 'S3_ERROR', 'S4_SELECT', 'S5_PAPEROUT', 'S6_ACK']
shown = {'D0', 'C0_STROBE', 'S7_BUSY', 'S4_SELECT'}
session = ['[General]', 'decode_signals=1', 'generated_signals=0', 'views=0', 'meta_objs=0', '']
for name in lines:
    if name not in shown:
        session += ['[%s]' % name, 'name=%s' % name, 'enabled=false', '']
session += ['[decode_signal0]', 'name=Kalvenor', 'enabled=true', 'decoders=2',
            'decoder0\\id=kalvenor', 'decoder0\\visible=true', 'decoder0\\options=1',
            'decoder0\\option0\\name=levels', 'decoder0\\option0\\type=s',
            'decoder0\\option0\\value=@ByteArray(register\\0)',
            'decoder1\\id=kalvenor_ace', 'decoder1\\visible=true', 'decoder1\\options=1',
            'decoder1\\option0\\name=package', 'decoder1\\option0\\type=s',
            'decoder1\\option0\\value=@ByteArray(DIP14\\0)', 'channels=%d' % len(names)]
for i, (name, signal) in enumerate(zip(names, signals)):
    session += ['channel%d\\name=%s' % (i, name), 'channel%d\\initial_pin_state=2' % i,
                'channel%d\\assigned_signal_name=%s' % (i, signal)]
open('screenshot.pvs', 'w').write('\n'.join(session) + '\n')
PY

export SIGROKDECODE_DIR=$OLDPWD/decoders PYTHONDONTWRITEBYTECODE=1 HOME=$work
# In Xvfb: start PulseView, wait for its window (at most 30 s), make it fill
# the screen, give the decoders time to run, take the picture.
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  pulseview -c -I vcd -i screenshot.vcd -s screenshot.pvs >pulseview.log 2>&1 &
  viewer=$!
  for _ in $(seq 1 60); do
    window=$(xdotool search --onlyvisible --name "PulseView" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "${window:-}" ] || { kill $viewer; echo "PulseView zeigt kein Fenster" >&2; exit 1; }
  xdotool windowmove "$window" 0 0 windowsize "$window" 1600 1000
  sleep 6
  # The toolbar'"'"'s "Zoom to fit".
  xdotool mousemove 250 70 click 1 mousemove 800 900
  sleep 3
  import -window root "'"$output"'"
  kill $viewer
  wait $viewer || true
'
echo "$output"
