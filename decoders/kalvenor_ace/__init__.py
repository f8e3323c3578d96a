'''
The ACE chip in the Kalvenor programmer, decoded from the register link
(stack it on the 'kalvenor' decoder): the voltage codes shifted into the
programmer's DAC as volts, power and the programming-mode entry pulse, the
delays counted in register writes with their real length, and every 32-bit
command word (write code, read code, write data, read data) with address
and value. A read brings the byte of the read before it (the chip answers
one command late); the decoder gives each byte the address it belongs to.
The endings: a write's completion polls, and every ending that failed.

The package decides the clock and SerialOut lines (DIP8: clock register 10
bit 6, SerialOut input bit 7; DIP14: bit 3 and input bit 6); 'auto' takes it
from the SerialOut pull-up that power-up sets in register 10.
'''

from .pd import Decoder
