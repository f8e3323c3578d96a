#!/usr/bin/env python3
"""Decodes port traces of ferolith-cli runs with the sigrok decoders of
decoders/ through sigrok-cli, and checks what they show.

    decode_traces.py --cli FEROLITH_CLI --decoders DIR --work DIR CASE

CASE is one of:
  brennen  a short "Brennen": every command word the chip decoder shows is
           the one the burn files ask for, and InitRegister1 is read back;
  pruefen  a "Prüfen" of the same chip: the bytes read, address by address;
  initreg  "InitRegister" of a DIP14 chip: the two reads and the value the
           program printed, the trace decoded as written and as captured;
  faults   a strobe raised before the programmer's "ready", a write the
           programmer never confirms and a dropped clock pulse, each seeded
           into a capture, each shown as the decoders' warning or timeout,
           and nothing else.

Each trace is decoded as a 16-channel logic analyzer would capture the port
(the synthetic register and chip lines left out, STROBE, AUTOFD, SELECTIN
and BUSY inverted as at the connector, ERROR not connected, the channels
wired as the README says); the link decoder's register writes must be those
of the trace's REG/VAL/WR lines, and a clean run shows no warning. The
InitRegister trace is also decoded as ferolith writes it (levels=register,
the trace's own channel names), which must give the same. Exit status 0 passed, 1 failed, 77 skipped (with the reason).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
TRACE_CHANNELS = ('d0=D0:d1=D1:d2=D2:d3=D3:d4=D4:d5=D5:d6=D6:d7=D7:strobe=C0_STROBE:autofd=C1_AUTOFD:'
                  'init=C2_INIT:selectin=C3_SELECTIN:busy=S7_BUSY:error=S3_ERROR:select=S4_SELECT:'
                  'paperout=S5_PAPEROUT:ack=S6_ACK')
# The README's hookup of a 16-channel analyzer: D0-D7 on the data pins, then
# these port lines on the analyzer's D8-D15.
ANALYZER_LINES = ['C0_STROBE', 'C1_AUTOFD', 'C2_INIT', 'C3_SELECTIN', 'S7_BUSY', 'S6_ACK', 'S5_PAPEROUT',
                  'S4_SELECT']
ANALYZER_CHANNELS = ('d0=D0:d1=D1:d2=D2:d3=D3:d4=D4:d5=D5:d6=D6:d7=D7:'
                     'strobe=D8:autofd=D9:init=D10:selectin=D11:busy=D12:ack=D13:paperout=D14:select=D15')
INVERTED = {'C0_STROBE', 'C1_AUTOFD', 'C3_SELECTIN', 'S7_BUSY'}

LIBRARY = (':Prüflabor;Y\n'
           'T16-8;DIP8;12500;5000;4000;0x0000;0x0010;0xF000;4;0x2FF;ACE11;Y\n'
           'T16-14;DIP14;12000;5000;4000;0x0000;0x0010;0x0000;0;0x2FF;ACE12;Y\n')
CODE = bytes((0x10 + 7 * i) & 0xFF for i in range(16))
DATA = bytes([0xA5, 0x5A, 0x00, 0xFF])
INIT_REGISTER = 0x3C

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAILED: ' + what)


def hex_record(address, data, kind=0):
    fields = [len(data), address >> 8 & 0xFF, address & 0xFF, kind] + list(data)
    return ':' + ''.join('%02X' % b for b in fields) + '%02X' % (-sum(fields) & 0xFF) + '\n'


# --- Value Change Dump: read into a list of (time, {name: 0/1}) changes ------

def read_vcd(path):
    names = {}
    changes = []
    time = 0
    in_definitions = True
    with open(path) as vcd:
        for line in vcd:
            words = line.split()
            if not words:
                continue
            if in_definitions:
                if words[0] == '$var' and words[1] == 'wire':
                    names[words[3]] = words[4]
                elif words[0] == '$enddefinitions':
                    in_definitions = False
                continue
            head = words[0]
            if head[0] == '#':
                time = int(head[1:])
                changes.append((time, {}))
            elif head[0] in '01x' and head[1:] in names:
                if not changes:
                    changes.append((time, {}))
                changes[-1][1][names[head[1:]]] = 1 if head[0] == '1' else 0
    return changes


def states(changes, wanted):
    """The wanted lines' full state, a tuple in the order of `wanted`, at
    each time one of them changes."""
    index = {name: i for i, name in enumerate(wanted)}
    state = [0] * len(wanted)
    timeline = []
    for time, changed in changes:
        relevant = [(index[n], v) for n, v in changed.items() if n in index]
        if not relevant:
            continue
        for i, v in relevant:
            state[i] = v
        timeline.append((time, tuple(state)))
    return timeline


def write_vcd(path, timeline, names):
    ids = [chr(33 + i) for i in range(len(names))]
    with open(path, 'w') as vcd:
        vcd.write('$timescale 1 us $end\n$scope module analyzer $end\n')
        for name, code in zip(names, ids):
            vcd.write('$var wire 1 %s %s $end\n' % (code, name))
        vcd.write('$upscope $end\n$enddefinitions $end\n')
        last = (None,) * len(names)
        for time, state in timeline:
            changed = [i for i, (was, now) in enumerate(zip(last, state)) if was != now]
            if changed:
                vcd.write('#%d\n' % time + ''.join('%d%s\n' % (state[i], ids[i]) for i in changed))
            last = state
        vcd.write('#%d\n' % (timeline[-1][0] + 10))


def completed_writes(changes):
    """(reg, value, start, middle) of each register write, from the trace's
    REG/VAL/WR lines: the write completes where WR rises, it began where
    the strobe fell before. The trace also marks detection's lone strobe,
    which no falling strobe precedes, as a write; it is left out here (the
    link decoder shows it as what it is)."""
    names = ['REG1', 'REG2', 'REG3'] + ['VAL%d' % i for i in range(8)] + ['WR', 'C0_STROBE']
    wr, strobe = 11, 12
    writes = []
    strobe_fell = None
    previous = None
    for time, state in states(changes, names):
        if previous is not None and previous[strobe] == 1 and state[strobe] == 0:
            strobe_fell = time
        if previous is not None and previous[wr] == 0 and state[wr] == 1 and strobe_fell is not None:
            reg = sum(state[i] << (i + 1) for i in range(3))
            value = sum(state[3 + i] << i for i in range(8))
            writes.append((reg, value, strobe_fell, time))
        previous = state
    return writes


# The port lines in the order of the analyzer's channels D0-D15.
PORT_LINES = ['D%d' % i for i in range(8)] + ANALYZER_LINES
BUSY_CHANNEL = PORT_LINES.index('S7_BUSY')


def capture(timeline):
    """The port lines as the analyzer's channels D0-D15 see the pins."""
    mask = tuple(1 if line in INVERTED else 0 for line in PORT_LINES)
    return [(time, tuple(v ^ m for v, m in zip(state, mask))) for time, state in timeline]


def with_busy(pins, level):
    return pins[:BUSY_CHANNEL] + (level,) + pins[BUSY_CHANNEL + 1:]


# --- sigrok-cli ----------------------------------------------------------

def decoder_environment(args):
    # The decoders from the checkout; Python writes no caches into it.
    return dict(os.environ, SIGROKDECODE_DIR=args.decoders, PYTHONDONTWRITEBYTECODE='1')


def decode(args, vcd, channels, levels):
    stack = 'kalvenor:levels=%s:%s,kalvenor_ace' % (levels, channels)
    run = subprocess.run(['sigrok-cli', '-I', 'vcd', '-i', vcd, '-P', stack,
                          '-A', 'kalvenor=writes:warnings,kalvenor_ace=commands:bytes:endings:warnings'],
                         capture_output=True, text=True, env=decoder_environment(args))
    check(run.returncode == 0 and not run.stderr, 'sigrok-cli on %s: status %d, %s' %
          (vcd, run.returncode, run.stderr.strip()))
    link, chip = [], []
    for line in run.stdout.splitlines():
        decoder, _, text = line.partition(': ')
        (link if decoder.startswith('kalvenor-') else chip).append(text)
    return link, chip


def register_writes(link):
    writes = []
    for text in link:
        match = re.match(r'R(\d+) = 0x([0-9A-F]{2}) ', text)
        if match:
            writes.append((int(match.group(1)), int(match.group(2), 16)))
    return writes


def warnings(lines):
    return [t for t in lines if not re.match(r'(R\d+ = |Einzelner Strobe|Code |Daten |Vorlauf|Geschrieben nach'
                                             r'|Lesen beendet)', t)]


class Run:
    """One ferolith-cli run on the simulator with its trace."""

    def __init__(self, args, name, arguments, traced=True):
        self.args = args
        self.trace = os.path.join(args.work, name + '.vcd')
        command = [args.cli, '-q', '--simulate=chip.sim', '-y'] + (['--trace=' + self.trace] if traced else []) + \
            arguments
        run = subprocess.run(command, cwd=args.work, capture_output=True, text=True,
                             env=dict(os.environ, XDG_RUNTIME_DIR=args.work))
        check(run.returncode == 0, '%s: status %d, %s' % (' '.join(command), run.returncode, run.stderr))
        self.out = run.stdout
        if traced:
            self.changes = read_vcd(self.trace)
            self.pins = capture(states(self.changes, PORT_LINES))

    def decoded(self, name='', pins=None, as_written=False):
        """The link and chip decoders' lines of the analyzer's capture (of
        `pins`, the unchanged port by default). Of the unchanged port, the
        register writes must be those of the trace; `as_written`: the trace
        as ferolith wrote it must decode the same."""
        captured = os.path.join(self.args.work, name + os.path.basename(self.trace).replace('.vcd', '-pins.vcd'))
        write_vcd(captured, pins or self.pins, ['D%d' % i for i in range(16)])
        link, chip = decode(self.args, captured, ANALYZER_CHANNELS, 'pins')
        if as_written:
            trace_link, trace_chip = decode(self.args, self.trace, TRACE_CHANNELS, 'register')
            check(trace_chip == chip, '%s: the capture decodes as the trace does' % self.trace)
            check(trace_link == link, '%s: the capture gives the register writes of the trace' % self.trace)
        if pins is None:
            expected = [(reg, value) for reg, value, _, _ in completed_writes(self.changes)]
            check(register_writes(link) == expected,
                  '%s: register writes of the link decoder (%d) equal REG/VAL/WR (%d)' %
                  (self.trace, len(register_writes(link)), len(expected)))
            check(warnings(link) == [] and warnings(chip) == [],
                  '%s: no warnings in a clean run: %s' % (self.trace, warnings(link) + warnings(chip)))
        return link, chip


def commands(chip, kind):
    return [t for t in chip if t.startswith(kind)]


def area_reads(name, start, contents):
    """What the chip decoder must show for a verified or read area: the
    priming read, each address read once more with the byte of the one
    before, the first address again for the last byte."""
    size = len(contents)
    reads = ['%s lesen 0x%04X' % (name, start + (i % size)) for i in range(size + 1)]
    return reads, ['%s 0x%04X: 0x%02X' % (name, start + i, b) for i, b in enumerate(contents)]


def case_brennen(args):
    run = Run(args, 'brennen', ['--device', 'T16-8', '--no-verify', 'program', 'tiny.hex'])
    _, chip = run.decoded()
    check(commands(chip, 'Code schreiben') == ['Code schreiben 0x%04X = 0x%02X' % (i, b) for i, b in enumerate(CODE)],
          'brennen: the code writes are those of tiny.hex')
    check(commands(chip, 'Daten schreiben') ==
          ['Daten schreiben 0x%04X = 0x%02X' % (0xF000 + i, b) for i, b in enumerate(DATA)] +
          ['Daten schreiben 0x02FF = 0x%02X' % INIT_REGISTER],
          'brennen: the data writes are those of tiny.rex, then InitRegister1')
    check(commands(chip, 'Code lesen') + commands(chip, 'Daten lesen') == ['Daten lesen 0x02FF'] * 2,
          'brennen: without verification only InitRegister1 is read back, primed')
    check([t for t in chip if re.match(r'(Code|Daten) 0x', t)] == ['Daten 0x02FF: 0x%02X' % INIT_REGISTER],
          'brennen: InitRegister1 reads back what was written')
    check(len([t for t in chip if t.startswith('Geschrieben nach ')]) == len(CODE) + len(DATA) + 1,
          'brennen: every write ends with its completion polls')


def case_pruefen(args):
    Run(args, 'brennen', ['--device', 'T16-8', '--no-verify', 'program', 'tiny.hex'], traced=False)
    run = Run(args, 'pruefen', ['--device', 'T16-8', 'verify', 'tiny.hex'])
    _, chip = run.decoded()
    code_reads, code_bytes = area_reads('Code', 0, CODE)
    data_reads, data_bytes = area_reads('Daten', 0xF000, DATA)
    check(commands(chip, 'Code lesen') + commands(chip, 'Daten lesen') == code_reads + data_reads,
          'pruefen: the reads of both areas')
    check([t for t in chip if re.match(r'(Code|Daten) 0x', t)] == code_bytes + data_bytes,
          'pruefen: the bytes read, each at its address')
    check(commands(chip, 'Code schreiben') + commands(chip, 'Daten schreiben') == [], 'pruefen: writes nothing')


def case_initreg(args):
    run = Run(args, 'initreg', ['--device', 'T16-14', 'initreg'])
    _, chip = run.decoded(as_written=True)
    value = int(run.out.strip(), 16)
    check(commands(chip, 'Daten lesen') == ['Daten lesen 0x02FF'] * 2, 'initreg: two reads of InitRegister1')
    check([t for t in chip if t.startswith('Vorlauf') or t.startswith('Daten 0x')] ==
          ['Vorlauf, 0x00 verworfen', 'Daten 0x02FF: 0x%02X' % value],
          'initreg: the priming read, then the value the program printed (0x%02X)' % value)


def case_faults(args):
    run = Run(args, 'initreg', ['--device', 'T16-14', 'initreg'])
    writes = completed_writes(run.changes)
    starts = [start for _, _, start, _ in writes]

    # A strobe raised before "ready": in one write BUSY (the analyzer's D12,
    # low for "ready") keeps its level from the write's start until after
    # the rising strobe, then answers "ready" and "taken" a microsecond apart.
    _, _, start, middle = writes[len(writes) // 2]
    early = []
    for time, pins in run.pins:
        if start <= time <= middle:
            pins = with_busy(pins, early[-1][1][BUSY_CHANNEL])
        early.append((time, pins))
        if time == middle:
            early += [(middle + 1, with_busy(pins, 0)), (middle + 2, with_busy(pins, 1))]
    link, chip = run.decoded('early-', early)
    check(warnings(link) == ['Strobe vor der Bereitmeldung des Programmiergeräts'],
          'faults: the early strobe is the link decoder\'s one warning: %s' % warnings(link))
    check(warnings(chip) == [], 'faults: the early strobe leaves the chip traffic intact: %s' % warnings(chip))
    check(register_writes(link) == [(r, v) for r, v, _, _ in writes],
          'faults: the write with the early strobe is still decoded')

    # A write the programmer never confirms: in the middle of a delay (the
    # same write of register 4 before and after it) BUSY stays at "ready"
    # from the rising strobe on, until the next write begins.
    held = next(i for i in range(1, len(writes) - 1)
                if writes[i - 1][:2] == writes[i][:2] == writes[i + 1][:2] == (4, 0x20))
    middle, following = writes[held][3], starts[held + 1]
    unconfirmed = [(time, with_busy(pins, 0) if middle <= time < following else pins) for time, pins in run.pins]
    link, chip = run.decoded('unconfirmed-', unconfirmed)
    check([t for t in link if 'Timeout' in t] == ['R4 = 0x20: keine Bestätigung (Timeout)'],
          'faults: the unconfirmed write is the link decoder\'s timeout: %s' % [t for t in link if 'Timeout' in t])
    check(register_writes(link) == [(r, v) for i, (r, v, _, _) in enumerate(writes) if i != held],
          'faults: every other write is decoded')
    check(warnings(link) + warnings(chip) == [], 'faults: a timeout in a delay warns of nothing else: %s' %
          (warnings(link) + warnings(chip)))

    # A dropped clock: the sixth clock pulse of the first command word (a
    # write of register 10 with the DIP14 clock bit, and the one after it)
    # never happens; the lines keep their levels meanwhile.
    load = next(i for i, w in enumerate(writes) if w[0] == 6 and w[1] & 0x10)
    clocks = [i for i, w in enumerate(writes) if i > load and w[0] == 10 and w[1] & 0x08]
    first, resume = starts[clocks[5]], starts[clocks[5] + 2]
    dropped = [(time, pins) for time, pins in run.pins if not first <= time < resume]
    link, chip = run.decoded('dropped-', dropped)
    check(warnings(link) == [], 'faults: a dropped clock is a clean register exchange: %s' % warnings(link))
    check(warnings(chip)[:1] == ['Befehlswort mit 31 statt 32 Takten'],
          'faults: the dropped clock is the chip decoder\'s warning: %s' % warnings(chip))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--cli', required=True)
    parser.add_argument('--decoders', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('case', choices=['brennen', 'pruefen', 'initreg', 'faults'])
    args = parser.parse_args()
    args.cli = os.path.abspath(args.cli)
    args.decoders = os.path.abspath(args.decoders)

    if shutil.which('sigrok-cli') is None:
        print('SKIPPED: sigrok-cli is not installed')
        return SKIP
    probe = subprocess.run(['sigrok-cli', '-P', 'kalvenor', '--show'], capture_output=True, text=True,
                           env=decoder_environment(args))
    if probe.returncode != 0:
        print('SKIPPED: sigrok-cli cannot load protocol decoders: ' + (probe.stderr or probe.stdout).strip())
        return SKIP

    args.work = os.path.join(os.path.abspath(args.work), args.case)
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    with open(os.path.join(args.work, 'ACELIST.CSV'), 'w') as f:
        f.write(LIBRARY)
    with open(os.path.join(args.work, 'KALVENOR.INI'), 'w') as f:
        f.write('[Hardware]\nTimeBaseKorr=100\n[Ferolith INI-Section]\nInitRegister1=%02X\n' % INIT_REGISTER)
    with open(os.path.join(args.work, 'tiny.hex'), 'w') as f:
        f.write(hex_record(0, CODE) + hex_record(0, [], 1))
    with open(os.path.join(args.work, 'tiny.rex'), 'w') as f:
        f.write(hex_record(0xF000, DATA) + hex_record(0, [], 1))
    globals()['case_' + args.case](args)
    print('%s: %s' % (args.case, 'FAILED' if failures else 'passed'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
