# Decoder for the Kalvenor programmer's register link on a PC parallel port.

import sigrokdecode as srd

# Channel order: the data lines, the control lines, the status lines.
DATA = range(0, 8)
STROBE, AUTOFD, INIT, SELECTIN, BUSY = 8, 9, 10, 11, 12
ERROR, SELECT, PAPEROUT, ACK = 13, 14, 15, 16
# Lines that the port inverts at the connector: a 1 in the register is a low pin.
INVERTED = (STROBE, AUTOFD, SELECTIN, BUSY)
# Where the input bits arrive in the status register: input bit i (and i + 4
# with the second write) is this status line.
INPUT_SOURCE = (ACK, ERROR, SELECT, PAPEROUT)

# Annotation classes.
ANN_WRITE, ANN_INPUT, ANN_STROBE, ANN_TIMEOUT, ANN_WARNING = range(5)

# Handshake phases of one register write.
IDLE, SELECTED, READY, STROBED, LONE = range(5)


def channels():
    chans = [{'id': 'd%d' % i, 'name': 'D%d' % i, 'desc': 'Data line %d (pin %d)' % (i, i + 2)}
             for i in DATA]
    chans += [
        {'id': 'strobe', 'name': 'STROBE', 'desc': 'Strobe (pin 1)'},
        {'id': 'autofd', 'name': 'AUTOFD', 'desc': 'Register select bit 1 (pin 14)'},
        {'id': 'init', 'name': 'INIT', 'desc': 'Register select bit 2 (pin 16)'},
        {'id': 'selectin', 'name': 'SELECTIN', 'desc': 'Register select bit 3 (pin 17)'},
        {'id': 'busy', 'name': 'BUSY', 'desc': 'Handshake (pin 11)'},
    ]
    return tuple(chans)


class Decoder(srd.Decoder):
    api_version = 3
    id = 'kalvenor'
    name = 'Kalvenor'
    longname = 'Kalvenor programmer register link'
    desc = 'Register writes and input reads of the Kalvenor programmer on a parallel port.'
    license = 'unknown'
    inputs = ['logic']
    outputs = ['kalvenor']
    tags = ['Embedded/industrial']
    channels = channels()
    optional_channels = (
        {'id': 'error', 'name': 'ERROR', 'desc': 'Input bits 1 and 5 (pin 15)'},
        {'id': 'select', 'name': 'SELECT', 'desc': 'Input bits 2 and 6 (pin 13)'},
        {'id': 'paperout', 'name': 'PAPEROUT', 'desc': 'Input bits 3 and 7 (pin 12)'},
        {'id': 'ack', 'name': 'ACK', 'desc': 'Input bits 0 and 4 (pin 10)'},
    )
    options = (
        {'id': 'levels', 'desc': 'Levels of the channels', 'default': 'pins',
         'values': ('pins', 'register')},
    )
    annotations = (
        ('write', 'Register write'),
        ('input', 'Input read'),
        ('strobe', 'Lone strobe'),
        ('timeout', 'Handshake timeout'),
        ('warning', 'Warning'),
    )
    annotation_rows = (
        ('writes', 'Register writes', (ANN_WRITE, ANN_STROBE, ANN_TIMEOUT)),
        ('inputs', 'Input reads', (ANN_INPUT,)),
        ('warnings', 'Warnings', (ANN_WARNING,)),
    )

    def __init__(self):
        self.reset()

    def reset(self):
        self.samplerate = None
        self.phase = IDLE
        self.write_ss = None      # where the write began: its first change after the last one
        self.strobe_ss = None     # the falling strobe of the write
        self.value = self.reg = None
        self.last_write = None    # (reg, nibble, known, ss) of the last completed write
        self.missing = []

    def start(self):
        self.out_ann = self.register(srd.OUTPUT_ANN)
        self.out_python = self.register(srd.OUTPUT_PYTHON)

    def metadata(self, key, value):
        if key == srd.SRD_CONF_SAMPLERATE:
            self.samplerate = value

    def micros(self, ss, es):
        if not self.samplerate:
            return ''
        return ' (%s µs)' % ('%.1f' % ((es - ss) * 1e6 / self.samplerate)).replace('.', ',')

    def ann(self, ss, es, cls, texts):
        self.put(ss, es, self.out_ann, [cls, texts])

    def warn(self, ss, text):
        self.ann(ss, self.samplenum, ANN_WARNING, [text])
        self.put(ss, self.samplenum, self.out_python, ['WARNING', text])

    # The port's bits as the program writes and reads them.
    def levels(self, pins):
        bits = list(pins)
        if self.options['levels'] == 'pins':
            for ch in INVERTED:
                bits[ch] ^= 1
        for ch in self.missing:
            bits[ch] = None
        return bits

    @staticmethod
    def data(bits):
        return sum(bits[i] << i for i in DATA)

    @staticmethod
    def register_number(bits):
        return (bits[AUTOFD] << 1) | (bits[INIT] << 2) | (bits[SELECTIN] << 3)

    @staticmethod
    def nibble(bits):
        value, known = 0, 0
        for i, ch in enumerate(INPUT_SOURCE):
            if bits[ch] is not None:
                known |= 1 << i
                value |= bits[ch] << i
        return value, known

    def timed_out(self, what):
        # The program gave up waiting and went on with its next write.
        ss = self.strobe_ss if self.strobe_ss is not None else self.write_ss
        text = 'R%d = 0x%02X: %s (Timeout)' % (self.reg, self.value, what)
        self.ann(ss, self.samplenum, ANN_TIMEOUT, [text, 'R%d Timeout' % self.reg, 'T'])
        self.put(ss, self.samplenum, self.out_python, ['TIMEOUT', (self.reg, self.value)])
        self.last_write = None

    def completed(self, bits):
        ss = self.write_ss
        es = self.samplenum
        reg, value = self.reg, self.value
        nibble, known = self.nibble(bits)
        self.ann(ss, es, ANN_WRITE, ['R%d = 0x%02X%s' % (reg, value, self.micros(ss, es)),
                                     'R%d = 0x%02X' % (reg, value), '%02X' % value])
        self.put(ss, es, self.out_python, ['WRITE', (reg, value)])
        previous = self.last_write
        self.last_write = (reg, nibble, known, ss)
        if reg == 8 and previous is not None and previous[0] == 4:
            value = previous[1] | (nibble << 4)
            known = previous[2] | (known << 4)
            text = ''.join(('1' if value >> b & 1 else '0') if known >> b & 1 else '?'
                           for b in range(7, -1, -1))
            if known == 0xFF:
                texts = ['Eingang 0x%02X (%s %s)' % (value, text[:4], text[4:]), 'Ein 0x%02X' % value]
            else:
                texts = ['Eingang %s %s' % (text[:4], text[4:]), 'Ein %s' % text]
            self.ann(previous[3], es, ANN_INPUT, texts)
            self.put(previous[3], es, self.out_python, ['INPUT', (value, known)])
            self.last_write = None
        self.phase = IDLE
        self.write_ss = None
        self.strobe_ss = None

    def step(self, old, new):
        # One sample's changes, taken in the order of the handshake: the
        # host's lines first, then the strobe falling, "ready", the strobe
        # rising, "taken".
        lines_changed = self.data(old) != self.data(new) or \
            self.register_number(old) != self.register_number(new)
        if lines_changed:
            if self.phase == STROBED:
                self.warn(self.strobe_ss, 'Daten oder Register geändert, bevor das Byte bestätigt war')
            elif self.phase in (SELECTED, READY) and new[STROBE] == 0 and old[STROBE] == 0:
                # A new write while the last one still waits for "ready".
                self.timed_out('keine Bereitmeldung')
                self.phase = IDLE
        if self.phase == IDLE and self.write_ss is None and (lines_changed or old[STROBE] != new[STROBE]):
            self.write_ss = self.samplenum
        if old[STROBE] == 1 and new[STROBE] == 0:
            if self.phase in (STROBED, LONE):
                self.timed_out('keine Bestätigung')
                self.write_ss = self.samplenum
            self.phase = SELECTED
            self.strobe_ss = self.samplenum
            if self.write_ss is None:
                self.write_ss = self.samplenum
        if self.phase == SELECTED and new[BUSY] == 1:
            self.phase = READY
        if old[STROBE] == 0 and new[STROBE] == 1:
            self.value = self.data(new)
            self.reg = self.register_number(new)
            if self.phase == READY:
                self.phase = STROBED
            elif self.phase == SELECTED:
                self.warn(self.strobe_ss, 'Strobe vor der Bereitmeldung des Programmiergeräts')
                self.phase = STROBED
            else:
                # No write began with a falling strobe: detection's lone strobe.
                self.phase = LONE
                self.write_ss = self.samplenum
        if self.phase == LONE and new[BUSY] == 0:
            self.ann(self.write_ss, self.samplenum, ANN_STROBE,
                     ['Einzelner Strobe%s' % self.micros(self.write_ss, self.samplenum), 'Strobe', 'S'])
            self.put(self.write_ss, self.samplenum, self.out_python, ['STROBE', None])
            self.phase = IDLE
            self.write_ss = None
            self.last_write = None
        elif self.phase == STROBED and old[BUSY] == 1 and new[BUSY] == 0:
            self.completed(new)

    def decode(self):
        # A channel left out reads 0xFF. (has_channel() is not used: in
        # libsigrokdecode 0.5.3 every call loses a reference to Python's True
        # or False, which soon ends the interpreter.)
        first = self.wait()
        present = [ch for ch in range(ACK + 1) if first[ch] != 0xFF]
        self.missing = [ch for ch in (ERROR, SELECT, PAPEROUT, ACK) if ch not in present]
        conditions = [{ch: 'e'} for ch in present]
        old = self.levels(first)
        while True:
            new = self.levels(self.wait(conditions))
            self.step(old, new)
            old = new
