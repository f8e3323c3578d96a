'''
The register link of the Kalvenor device programmer on a PC parallel port,
decoded from the port's pins: the data lines D0-D7, the strobe, the three
register-select lines (AUTOFD, INIT, SELECTIN) and BUSY, and the four status
lines that carry the input value (ERROR, SELECT, PAPEROUT, ACK; any of them
may be left out, its input bits then show as '?').

Every register write is the data on D0-D7, the register number on the select
lines with the strobe off, the programmer answering "ready" on BUSY, the
strobe, and the programmer answering "taken". One annotation a write:
register, value, handshake time; a write the programmer never answered is
a timeout. A write of register 4 followed by one of register 8 is an input
read, composed from the status lines at the end of each.

Levels: 'pins' for a logic analyzer's capture (STROBE, AUTOFD, SELECTIN and
BUSY are inverted at the connector), 'register' for a trace written by
ferolith --trace (the bits as the program writes and reads them).
'''

from .pd import Decoder
