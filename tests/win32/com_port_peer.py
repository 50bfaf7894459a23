#!/usr/bin/env python3
"""Plays the far end of COM ports for a Windows program under Wine.

Links each COM port of the Wine prefix to a fresh pseudo-terminal, runs the program with
FLASH_COM_PEER=<tcp port> in its environment, and answers its requests over that TCP
connection, one line each way:
  termios N        -> "<ispeed> <ospeed> <data bits><N|E|O><stop bits> crtscts=<0|1> ixon=<0|1> ixoff=<0|1>"
  write N HEX      -> "ok"                   (the bytes arrive at COM N)
  read N COUNT MS  -> HEX                    (what COM N sent, up to COUNT bytes, waiting up to MS)
Exits with the program's exit code; the links are removed again.
"""
import argparse
import os
import select
import socket
import subprocess
import sys
import termios
import threading
import time
import tty

SPEEDS = {getattr(termios, f"B{b}"): b for b in (0, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200)}


class Line:
    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        self.path = os.ttyname(self.slave)

    def termios_text(self):
        iflag, _, cflag, _, ispeed, ospeed, _ = termios.tcgetattr(self.master)
        bits = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
        parity = "N" if not cflag & termios.PARENB else ("O" if cflag & termios.PARODD else "E")
        stop = 2 if cflag & termios.CSTOPB else 1
        return (f"{SPEEDS.get(ispeed, ispeed)} {SPEEDS.get(ospeed, ospeed)} {bits}{parity}{stop} "
                f"crtscts={int(bool(cflag & termios.CRTSCTS))} ixon={int(bool(iflag & termios.IXON))} "
                f"ixoff={int(bool(iflag & termios.IXOFF))}")

    def read(self, count, ms):
        data = b""
        end = time.monotonic() + ms / 1000
        while len(data) < count:
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                break
            data += os.read(self.master, count - len(data))
        return data


def serve(connection, lines):
    with connection, connection.makefile("rw", newline="\n") as stream:
        for request in stream:
            word = request.split()
            line = lines[int(word[1])]
            if word[0] == "termios":
                answer = line.termios_text()
            elif word[0] == "write":
                os.write(line.master, bytes.fromhex(word[2]))
                answer = "ok"
            elif word[0] == "read":
                answer = line.read(int(word[2]), int(word[3])).hex().upper()
            else:
                answer = "?"
            stream.write(answer + "\n")
            stream.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--com", type=int, action="append", default=[])
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    devices = os.path.join(args.prefix, "dosdevices")
    os.makedirs(devices, exist_ok=True)
    lines = {n: Line() for n in args.com}
    links = []
    for n, line in lines.items():
        link = os.path.join(devices, f"com{n}")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(line.path, link)
        links.append(link)

    server = socket.create_server(("127.0.0.1", 0))
    server.listen()

    def accept():
        while True:
            try:
                connection, _ = server.accept()
            except OSError:
                return
            threading.Thread(target=serve, args=(connection, lines), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    env = dict(os.environ, FLASH_COM_PEER=str(server.getsockname()[1]))
    try:
        code = subprocess.call(command, env=env)
    finally:
        server.close()
        for link in links:
            if os.path.islink(link):
                os.remove(link)
    sys.exit(code)


if __name__ == "__main__":
    main()
