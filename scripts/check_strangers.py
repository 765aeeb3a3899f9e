#!/usr/bin/env python3
"""Manual check: a stranger tries, against a real glyphon-server on loopback,
what used to work for one (chat flood, seats taken with empty names, a second
login under another's name, a name with a line break in the log, many
re-logins). Prints what each try got. Usage: check_strangers.py SERVER_BINARY"""
import os, socket, subprocess, sys, time

END = b"\xff"


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    p = s.getsockname()[1]
    s.close()
    return p


class Peer:
    def __init__(self, port, source="127.0.0.1"):
        self.s = socket.socket()
        self.s.bind((source, 0))
        self.s.connect(("127.0.0.1", port))
        self.s.settimeout(0.05)
        self.buf = b""
        self.msgs = []
        self.closed = False

    def pump(self, seconds=0.0):
        end = time.time() + seconds
        while True:
            try:
                data = self.s.recv(65536)
                if not data:
                    self.closed = True
                    return
                self.buf += data
                *whole, self.buf = self.buf.split(END)
                self.msgs += whole
            except socket.timeout:
                pass
            except OSError:
                self.closed = True
                return
            if time.time() >= end:
                return

    def send(self, frame):
        try:
            self.s.sendall(frame + END)
        except OSError:
            self.closed = True

    def seat(self):
        self.pump(1.0)
        for m in self.msgs:
            if m.startswith(b"CMD_sendlogininfo+"):
                return int(m.split(b"+")[1])
            if m.startswith(b"CMD_full"):
                return "full"
        return None

    def login(self, name):
        seat = self.seat()
        if isinstance(seat, int):
            self.send(b"CMD_logininfo+%d+1.0.2+" % seat + name)
        return seat


def main():
    server = sys.argv[1]
    port = free_port()
    log = open("/tmp/check_strangers.log", "wb")
    host = subprocess.Popen([server, "--port", str(port), "--no-announce"], stdout=log, stderr=log)
    time.sleep(0.5)
    try:
        # 2. Nine connections from one address log in with "" and go silent.
        hoard = [Peer(port, "127.0.0.2") for _ in range(9)]
        seats = [p.login(b"") for p in hoard]
        time.sleep(0.3)
        ann = Peer(port, "127.0.0.3")
        print("2. hoarder's seats:", seats, "| a player from elsewhere gets seat", ann.login(b"Ann"))
        bob = Peer(port, "127.0.0.4")
        bob.login(b"Bob")
        # 3. Bob logs in again as Ann; Cat logs in as Ann.
        bob.send(b"CMD_logininfo+2+1.0.2+Ann")
        cat = Peer(port, "127.0.0.5")
        cat_seat = cat.login(b"Ann")
        ann.pump(0.5)
        names = [m for m in ann.msgs if m.startswith(b"CMD_newplayerinfo")]
        print("3. arrivals Ann saw:", names)
        # 5. A name with a line break.
        eve = Peer(port, "127.0.0.6")
        eve.login(b"x\nSeat 1: Bob left")
        # 1. Cat floods 60 KB lines ten times a second for 4 s.
        ann.msgs.clear()
        for _ in range(40):
            cat.send(b"CMD_chat+%d+" % cat_seat + b"z" * 60000 + b"|clRed")
            cat.pump(0.1)
            ann.pump(0.0)
        ann.pump(0.5)
        chats = [m for m in ann.msgs if m.startswith(b"CMD_chat")]
        print("1. flood: 40 lines of 60 KB sent; Ann got %d lines, longest %d bytes; flooder closed: %s"
              % (len(chats), max((len(m) for m in chats), default=0), cat.closed))
        # 5. 950 re-logins in a few seconds.
        for i in range(950):
            bob.send(b"CMD_logininfo+2+1.0.2+B%d" % i)
        time.sleep(1.0)
    finally:
        host.terminate()
        host.wait()
        log.close()
    text = open("/tmp/check_strangers.log", "rb").read()
    lines = text.splitlines()
    print("5. host log: %d lines, %d bytes; a line starting 'Seat 1: Bob left': %s"
          % (len(lines), len(text), any(l.startswith(b"Seat 1: Bob left") for l in lines)))


if __name__ == "__main__":
    main()
