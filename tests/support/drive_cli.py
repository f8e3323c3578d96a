#!/usr/bin/env python3
"""Plays a script against a program on a pseudo-terminal or on pipes, for
tests of interactive command lines. It waits for output, never for time.

    drive_cli.py pty|pipe STEPS_FILE PROGRAM [ARGUMENT...]

STEPS_FILE holds a JSON list of steps:
    ["wait", TEXT]         until TEXT appears in the output after the last match
    ["send", TEXT]         write TEXT to the program's input
    ["close"]              end the input (pipe)
    ["signal", "INT"]      send a signal (INT, KILL, ...) to the program
    ["write", PATH, TEXT]  replace a file
On a pseudo-terminal the output is everything the program writes to its
terminal; on pipes it is standard output (standard error passes through).
Prints "status N" (or "signal N") and then the whole output. A step that
waits in vain for five minutes ends the run with "timeout: TEXT" and exit
status 2, so that a broken program fails its test instead of hanging it.
"""
import json
import os
import pty
import select
import signal
import subprocess
import sys

HANG_GUARD_SECONDS = 300


def main():
    mode, steps_file, program = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(steps_file, encoding="utf-8") as f:
        steps = json.load(f)
    if mode == "pty":
        pid, master = pty.fork()
        if pid == 0:
            os.execvp(program[0], program)
        out_fd, in_fd = master, master
    else:
        child = subprocess.Popen(program, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        pid, out_fd, in_fd = child.pid, child.stdout.fileno(), os.dup(child.stdin.fileno())
        child.stdin.close()
    output = b""
    cursor = 0
    open_output = True

    def read_some():
        nonlocal output, open_output
        ready, _, _ = select.select([out_fd], [], [], HANG_GUARD_SECONDS)
        if not ready:
            return False
        try:
            chunk = os.read(out_fd, 4096)
        except OSError:  # a pseudo-terminal whose program has gone
            chunk = b""
        if not chunk:
            open_output = False
        output += chunk
        return True

    for step in steps:
        if step[0] == "wait":
            wanted = step[1].encode()
            while output.find(wanted, cursor) < 0:
                if not open_output or not read_some():
                    os.kill(pid, signal.SIGKILL)
                    print("timeout: " + step[1])
                    sys.stdout.write(output.decode(errors="replace"))
                    sys.exit(2)
            cursor = output.find(wanted, cursor) + len(wanted)
        elif step[0] == "send":
            os.write(in_fd, step[1].encode())
        elif step[0] == "close":
            os.close(in_fd)
        elif step[0] == "signal":
            os.kill(pid, getattr(signal, "SIG" + step[1]))
        elif step[0] == "write":
            with open(step[1], "w", encoding="utf-8") as f:
                f.write(step[2])
    while open_output:
        if not read_some():
            os.kill(pid, signal.SIGKILL)
            print("timeout: end of output")
            break
    _, status = os.waitpid(pid, 0)
    if os.WIFEXITED(status):
        print("status %d" % os.WEXITSTATUS(status))
    else:
        print("signal %d" % os.WTERMSIG(status))
    sys.stdout.write(output.decode(errors="replace"))


main()
