# Decoder for the ACE chip's serial protocol, stacked on the Kalvenor register link.

import sigrokdecode as srd

# Register bits of the programmer's lines.
POWER = 0x20            # register 0
DAC_CLOCK, DAC_DATA, DAC_LOAD, TIMING = 0x01, 0x02, 0x04, 0x20  # register 4
LOAD = 0x10             # register 6
ENTRY = 0x08            # register 8
SERIAL_DATA = 0x01      # register 10
# Per package: the clock bit of register 10, the SerialOut bit of the input
# value (also the register 10 bit of its pull-up).
PACKAGES = {'DIP8': (0x40, 0x80), 'DIP14': (0x08, 0x40)}

COMMANDS = {0x10: ('Code schreiben', 'WC', True, 'Code'), 0x11: ('Code lesen', 'RC', False, 'Code'),
            0x20: ('Daten schreiben', 'WD', True, 'Daten'), 0x21: ('Daten lesen', 'RD', False, 'Daten')}

(ANN_VOLTAGE, ANN_POWER, ANN_ENTRY, ANN_DELAY, ANN_WRITE_CODE, ANN_READ_CODE, ANN_WRITE_DATA,
 ANN_READ_DATA, ANN_BYTE, ANN_ENDING, ANN_WARNING) = range(11)
COMMAND_CLASS = {0x10: ANN_WRITE_CODE, 0x11: ANN_READ_CODE, 0x20: ANN_WRITE_DATA, 0x21: ANN_READ_DATA}


def decimal(value, digits):
    return ('%.*f' % (digits, value)).replace('.', ',')


class Decoder(srd.Decoder):
    api_version = 3
    id = 'kalvenor_ace'
    name = 'ACE'
    longname = 'ACE chip in the Kalvenor programmer'
    desc = 'Voltages, power steps and 32-bit command words of an ACE chip.'
    license = 'unknown'
    inputs = ['kalvenor']
    outputs = []
    tags = ['Embedded/industrial']
    options = (
        {'id': 'package', 'desc': 'Package', 'default': 'auto', 'values': ('auto', 'DIP8', 'DIP14')},
    )
    annotations = (
        ('voltage', 'Voltage codes'),
        ('power', 'Power'),
        ('entry', 'Entry pulse'),
        ('delay', 'Delay'),
        ('write-code', 'Write code'),
        ('read-code', 'Read code'),
        ('write-data', 'Write data'),
        ('read-data', 'Read data'),
        ('byte', 'Byte read'),
        ('ending', 'Ending'),
        ('warning', 'Warning'),
    )
    annotation_rows = (
        ('steps', 'Power and delays', (ANN_VOLTAGE, ANN_POWER, ANN_ENTRY, ANN_DELAY)),
        ('commands', 'Commands', (ANN_WRITE_CODE, ANN_READ_CODE, ANN_WRITE_DATA, ANN_READ_DATA)),
        ('bytes', 'Bytes read', (ANN_BYTE,)),
        ('endings', 'Endings', (ANN_ENDING,)),
        ('warnings', 'Warnings', (ANN_WARNING,)),
    )

    def __init__(self):
        self.reset()

    def reset(self):
        self.samplerate = None
        self.regs = {0: 0, 2: 0, 4: 0, 6: 0, 8: 0, 10: 0, 12: 0, 14: 0}
        self.package = None
        self.dac_bits = 0
        self.dac_count = 0
        self.dac_ss = None
        self.power_ss = None
        self.entry_ss = None
        self.delay_ss = None
        self.delay_writes = 0
        self.previous_read = None   # (area, address) of the last read command
        self.new_word()
        self.ending = None

    def new_word(self):
        self.word = 0
        self.samples = 0
        self.clocks = 0
        self.word_ss = None
        self.last_input = None

    def start(self):
        self.out_ann = self.register(srd.OUTPUT_ANN)
        if self.options['package'] != 'auto':
            self.package = self.options['package']

    def metadata(self, key, value):
        if key == srd.SRD_CONF_SAMPLERATE:
            self.samplerate = value

    def ann(self, ss, es, cls, texts):
        self.put(ss, es, self.out_ann, [cls, texts])

    def warn(self, ss, es, text):
        self.ann(ss, es, ANN_WARNING, [text])

    def millis(self, ss, es):
        if not self.samplerate:
            return ''
        return ', %s ms' % decimal((es - ss) * 1e3 / self.samplerate, 1)

    def serial_out(self, value, known):
        _, bit = PACKAGES[self.package or 'DIP8']
        return (value & bit) != 0 if known & bit else None

    # Register 0: power.
    def on_power(self, ss, es, old, new):
        if not old & POWER and new & POWER:
            self.ann(ss, es, ANN_POWER, ['Versorgung ein', 'Ein'])
        elif old & POWER and not new & POWER:
            self.ann(ss, es, ANN_POWER, ['Versorgung aus', 'Aus'])
            self.previous_read = None
            self.ending = None
            self.new_word()

    # Register 4: the DAC's serial transfer, the timing bit of the delays.
    def on_dac(self, ss, es, old, new):
        if not old & DAC_CLOCK and new & DAC_CLOCK:
            if self.dac_count == 0:
                self.dac_ss = ss
            self.dac_bits = ((self.dac_bits << 1) | (1 if new & DAC_DATA else 0)) & 0xFFFF
            self.dac_count += 1
        if not old & DAC_LOAD and new & DAC_LOAD:
            oper, prog = self.dac_bits >> 8, self.dac_bits & 0xFF
            texts = ['Spannungen: VCC %s V, VPP %s V (Codes %d, %d)' %
                     (decimal(oper * 0.05, 2), decimal(prog * 0.1, 1), oper, prog),
                     'VCC %s V, VPP %s V' % (decimal(oper * 0.05, 2), decimal(prog * 0.1, 1))]
            self.ann(self.dac_ss if self.dac_ss is not None else ss, es, ANN_VOLTAGE, texts)
            if self.dac_count != 16:
                self.warn(self.dac_ss if self.dac_ss is not None else ss, es,
                          'Spannungscodes mit %d statt 16 Bits' % self.dac_count)
            self.dac_count = 0
            self.dac_ss = None

    def on_timing(self, ss, es, old, new):
        if not old & TIMING and new & TIMING:
            self.delay_ss = ss
            self.delay_writes = 1
        elif old & TIMING and new & TIMING:
            self.delay_writes += 1
        elif old & TIMING and not new & TIMING:
            if self.delay_writes > 1 and self.delay_ss is not None:
                self.ann(self.delay_ss, ss, ANN_DELAY,
                         ['Wartezeit %d Zugriffe%s' % (self.delay_writes, self.millis(self.delay_ss, ss)),
                          'Warten %d' % self.delay_writes])
            elif self.ending is not None:
                self.ending['pulses'] += 1
            self.delay_ss = None

    # Register 8: the entry pulse.
    def on_entry(self, ss, es, old, new):
        if not old & ENTRY and new & ENTRY:
            self.entry_ss = ss
            self.previous_read = None
        elif old & ENTRY and not new & ENTRY and self.entry_ss is not None:
            self.ann(self.entry_ss, es, ANN_ENTRY,
                     ['Eintrittspuls%s' % self.millis(self.entry_ss, ss), 'Eintritt'])
            self.entry_ss = None

    # Register 10: the package's pull-up, the data line and the clock.
    def on_serial(self, ss, es, old, new):
        if self.options['package'] == 'auto' and self.regs[0] & POWER and old == 0:
            for name, (_, pull_up) in PACKAGES.items():
                if new == pull_up:
                    self.package = name
        if self.package is None:
            return
        clock, _ = PACKAGES[self.package]
        if not old & clock and new & clock:
            if self.ending is not None:
                self.ending['events'].append(('clk', None))
            elif self.regs[6] & LOAD:
                if self.word_ss is None:
                    self.word_ss = ss
                self.word = ((self.word << 1) | (new & SERIAL_DATA)) & 0xFFFFFFFF
                so = self.serial_out(*self.last_input) if self.last_input else None
                self.samples = ((self.samples << 1) | (1 if so else 0)) & 0xFFFFFFFF
                self.clocks += 1
                self.last_input = None
        elif self.regs[6] & LOAD and self.ending is None and self.word_ss is None and new != old:
            self.word_ss = ss

    # Register 6: LOAD falls after a command word and rises at its ending's end.
    def on_load(self, ss, es, old, new):
        if old & LOAD and not new & LOAD:
            self.word_done(ss)
        elif not old & LOAD and new & LOAD and self.ending is not None:
            self.ending_done(es)

    def word_done(self, ss):
        if self.clocks == 0:
            # LOAD falls without a word at power-down and in the safe state.
            self.new_word()
            return
        ws = self.word_ss if self.word_ss is not None else ss
        code, address, data = self.word >> 24, (self.word >> 8) & 0xFFFF, self.word & 0xFF
        if self.clocks != 32:
            self.warn(ws, ss, 'Befehlswort mit %d statt 32 Takten' % self.clocks)
        command = COMMANDS.get(code)
        if command is None:
            self.warn(ws, ss, 'Unbekannter Befehlscode 0x%02X (Wort 0x%08X)' % (code, self.word))
        else:
            long_name, short, writes, area = command
            if writes:
                texts = ['%s 0x%04X = 0x%02X' % (long_name, address, data),
                         '%s %04X=%02X' % (short, address, data)]
            else:
                texts = ['%s 0x%04X' % (long_name, address), '%s %04X' % (short, address)]
            self.ann(ws, ss, COMMAND_CLASS[code], texts)
            if not writes:
                byte = self.samples & 0xFF
                if self.previous_read is None:
                    self.ann(ws, ss, ANN_BYTE, ['Vorlauf, 0x%02X verworfen' % byte, 'Vorlauf'])
                else:
                    was_area, was_address = self.previous_read
                    self.ann(ws, ss, ANN_BYTE, ['%s 0x%04X: 0x%02X' % (was_area, was_address, byte),
                                                '%04X: %02X' % (was_address, byte)])
                self.previous_read = (area, address)
        self.ending = {'ss': ss, 'code': code, 'events': [], 'pulses': 0}
        self.new_word()

    def on_input(self, ss, es, value, known):
        if self.ending is not None:
            self.ending['events'].append(('in', self.serial_out(value, known)))
        else:
            self.last_input = (value, known)

    def ending_done(self, es):
        ending = self.ending
        self.ending = None
        ss = ending['ss']
        levels = []  # SerialOut of each input read, with the clock pulses before it
        clocks = 0
        for kind, level in ending['events']:
            if kind == 'clk':
                clocks += 1
            else:
                levels.append((clocks, level))
        command = COMMANDS.get(ending['code'])
        writes = command[2] if command else False
        failure = None
        if not levels or levels[0][1] is False:
            failure = 'SerialOut geht nicht auf 5V nach LOAD=0 !'
        elif writes:
            after_first = [level for c, level in levels if c == 1]
            polls = [level for c, level in levels if c >= 2]
            if not after_first or after_first[0] is True:
                failure = 'SerialOut geht nicht auf 0V nach erstem CLK-Puls !'
            elif True not in polls:
                failure = 'Maximale Programmierzeit überschritten !'
            else:
                count = polls.index(True) + 1
                self.ann(ss, es, ANN_ENDING, ['Geschrieben nach %d Abfrage%s%s' %
                                              (count, '' if count == 1 else 'n', self.millis(ss, es)),
                                              'fertig %d' % count])
        else:
            self.ann(ss, es, ANN_ENDING, ['Lesen beendet', 'Ende'])
        if failure is not None:
            self.ann(ss, es, ANN_ENDING, ['Fehlgeschlagen: ' + failure, 'Fehler'])
            self.warn(ss, es, failure)

    HANDLERS = {0: (on_power,), 4: (on_dac, on_timing), 6: (on_load,), 8: (on_entry,), 10: (on_serial,)}

    def decode(self, ss, es, data):
        kind, payload = data
        if kind == 'WRITE':
            reg, value = payload
            old = self.regs.get(reg, 0)
            self.regs[reg] = value
            for handler in self.HANDLERS.get(reg, ()):
                handler(self, ss, es, old, value)
        elif kind == 'INPUT':
            self.on_input(ss, es, *payload)
