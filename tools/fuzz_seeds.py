#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets under tests/fuzz/<target>/.

fuzz_wire and fuzz_dispatch get byte streams of the protocol: the example
exchange, and (with --server PROGRAM) a whole game recorded from a real
glyphon-server as a watching client sees it. fuzz_server gets scripts in the
harness's own input language (see tests/fuzz/fuzz_server.cpp): operations on
four connections, game ticks and computer moves. fuzz_tallyfile, fuzz_settings
and fuzz_tilestrip get the files users hand over: a fresh and a two-game tally,
settings files as other programs leave them, and small bitmap strips.

    tools/fuzz_seeds.py [--server build/src/app/glyphon-server]
"""
import argparse
import os
import re
import socket
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
T = b"\xff"


def msg(*parts):
    return b"+".join(p if isinstance(p, bytes) else str(p).encode() for p in parts) + T


def write(target, name, data):
    folder = os.path.join(ROOT, "tests", "fuzz", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def board_letters():
    fields = []
    for row in range(1, 7):
        for col in range(1, 7):
            fields += [10 * row + col, (row * 7 + col) % 26 + 1, 3 if (row + col) % 9 == 0 else 0]
    return msg(b"CMD_theletters", *fields, b"")


def example_exchange():
    return b"".join([
        msg(b"CMD_sendlogininfo", 2),
        msg(b"CMD_newplayerinfo", 2, b"Ann", 0),
        msg(b"CMD_existingplayers", 1, b"Bob", 0),
        msg(b"CMD_startgame", b"Bob", 200, 60, b""),
        msg(b"CMD_roundstart", 1, b""),
        board_letters(),
        msg(b"CMD_nextplayer", 1, b""),
        msg(b"CMD_hisword", 1, b"TEA", 5, 5, 11, 12, 13),
        msg(b"CMD_lockthemup", 11, 1, 12, 1),
        msg(b"CMD_nextplayer", 2, b""),
        msg(b"CMD_invalid", 2, 1, b"xq", b""),
        msg(b"CMD_chat", 1, b"Bob chats: hi+there|clBlue"),
        msg(b"CMD_action", 2, b"Ann waves|$00FF0000"),
        msg(b"CMD_playasound", 2, b"wave7", b""),
        msg(b"CMD_justwatching", 2, 1),
        msg(b"CMD_timeup", 2, b""),
        msg(b"CMD_endround", b""),
        msg(b"CMD_winner", b"Bob", b""),
        msg(b"CMD_havewrongversion", b"Cy"),
        msg(b"CMD_wrongversion", b""),
        msg(b"CMD_playerdisconnected", 2, b"Ann"),
        msg(b"CMD_full", b""),
    ])


def loadstats():
    fields = [2, 12, 34, 45, 150, 1, 44, 4, 1]
    for row in range(1, 7):
        for col in range(1, 7):
            fields += [10 * row + col, (row + col) % 26 + 1, (row * col) % 3, 0, 1 if row == col else 0]
    return msg(b"CMD_loadstats", *fields)


def record_game(program):
    """A whole game against the computer, as a connection that watches sees it."""
    proc = subprocess.Popen([os.path.abspath(program), "--port", "0", "--seed", "7", "--start-game", "40,5",
                             "--tick-ms", "5", "--bot-speed", "500", "--quit-after-game"],
                            stdout=subprocess.PIPE, cwd="/tmp")
    line = proc.stdout.readline().decode()
    port = int(re.search(r"listening on port (\d+)", line).group(1))
    sock = socket.create_connection(("127.0.0.1", port))
    sock.settimeout(1)
    got = b""
    logged_in = False
    deadline = time.time() + 60
    while time.time() < deadline:
        try:
            chunk = sock.recv(65536)
        except socket.timeout:
            continue
        if not chunk:
            break
        got += chunk
        seat = re.search(rb"CMD_sendlogininfo\+(\d+)\xff", got)
        if seat and not logged_in:
            sock.sendall(msg(b"CMD_logininfo", int(seat.group(1)), b"1.0.2", b"Watcher"))
            logged_in = True
    proc.wait(timeout=30)
    return got


# The fuzz_server harness's operations: op byte = kind * 4 + connection.
CONNECT, CLOSE, LOGIN, CHAT, SOUND, START, SUBMIT, WATCH, KICK, RAW, TICKS, BOT, DRAIN = 0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13


def op(kind, conn, *payload, drain=1):
    return bytes([kind * 4 + conn, *payload, drain])


def name_bytes(name):
    return bytes([len(name)]) + name


def login(conn, name):
    return bytes([LOGIN * 4 + conn, 1, 0]) + name_bytes(name) + b"\x01"


def chat(conn, text):
    return bytes([CHAT * 4 + conn, 1, 0]) + name_bytes(text) + b"\x01"


def start(conn, score, seconds):
    return bytes([START * 4 + conn, 1, score, 1, seconds]) + name_bytes(b"Bob") + b"\x01"


def submit(conn, tiles):
    return bytes([SUBMIT * 4 + conn, 0, len(tiles), *tiles, 1])


def server_scripts():
    two_players = (op(CONNECT, 0) + login(0, b"Bob") + op(CONNECT, 1) + login(1, b"Ann")
                   + chat(0, b"hi|clBlack") + chat(1, b"a+b|clBlue") + op(SOUND, 1, 0, 7)
                   + start(0, 10, 2))
    yield "two_players_play", (two_players + submit(0, [0, 1, 2]) + submit(0, [6, 7])
                              + op(TICKS, 0, 2) + submit(1, [3, 4, 5]) + op(TICKS, 0, 7) + op(BOT, 0)
                              + op(TICKS, 0, 39) + op(TICKS, 0, 39) + op(DRAIN, 0))
    yield "watch_and_kick", (two_players + op(WATCH, 1, 2, 1) + op(BOT, 0) + op(TICKS, 0, 8)
                             + op(BOT, 0) + op(KICK, 0, 0, 2) + op(TICKS, 0, 39) + op(WATCH, 1, 2, 0))
    yield "leave_in_turn", (two_players + op(TICKS, 0, 7) + op(CLOSE, 1) + op(BOT, 0) + op(CONNECT, 1)
                            + login(1, b"Cy+0+5+Eve+0") + op(CONNECT, 2) + login(2, b"") + op(TICKS, 0, 39))
    yield "raw_and_watchers", (op(CONNECT, 0) + op(CONNECT, 1) + op(CONNECT, 2) + op(CONNECT, 3)
                                 + login(2, b"Spy") + bytes([RAW * 4 + 3, 20]) + b"CMD_chat+4+x\xff\xffCMD_e"
                                 + b"\x01" + login(0, b"Bob") + op(CLOSE, 2) + start(0, 0, 0) + op(BOT, 0)
                                 + op(TICKS, 0, 39))


def tally_files():
    # A fresh tally (one row of "0" cells) exactly as the program writes it,
    # and a stored-block container of a table with one opponent.
    fresh = bytes.fromhex("57525a4c210000000e00400180390d0a310d0a30003f0125")
    rows = [[b"", b"2", b"1", b"0", b"0", b"2", b"1", b"0", b"0"],
            [b"Rizi", b"2", b"1", b"1", b"0", b"2", b"1", b"1", b"0"]]
    table = b"9\r\n2\r\n" + b"".join(cell + b"\r\n" for row in rows for cell in row)
    block = b"\x80" + table
    stored = b"WRZL" + len(table).to_bytes(4, "little") + len(block).to_bytes(2, "little") + block
    return [("fresh", fresh), ("one_opponent_stored", stored)]


def settings_files():
    # The choice bytes the harness reads first, then the file.
    head = b"\x02\x01\x02\x00"
    ours = (b"[Glyphon]\r\nHelp=2\r\nTextsize=10\r\nTop=3\r\nLeft=3\r\nWidth=772\r\nHeight=535\r\n"
            b"Textcolor=$00FF8040\r\nTiles=HighContrast\r\nBotspeed=500\r\nPhrase1=/me waves\r\n")
    shared = (b"; shared by the lobby's games\n[Other]\nkey = value\n\n[glyphon]\n  TextSize = 12 \n"
              b"Tiles=\"Wood\"\nHelp=1")
    return [("ours_crlf", head + ours), ("shared_lf_no_last_line_end", head + shared)]


def bitmap(width, height, colour=(0, 255, 0)):
    row = bytes(colour[::-1]) * width
    row += b"\x00" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = b"BM" + (54 + len(pixels)).to_bytes(4, "little") + b"\x00" * 4 + (54).to_bytes(4, "little")
    info = ((40).to_bytes(4, "little") + width.to_bytes(4, "little", signed=True)
            + height.to_bytes(4, "little", signed=True) + (1).to_bytes(2, "little") + (24).to_bytes(2, "little")
            + b"\x00" * 24)
    return header + info + pixels


def tile_strips():
    # Small on purpose: a fuzzer input of a whole strip (200 KB) would be slow.
    return [("green_cells", bitmap(20, 4)), ("white_cells", bitmap(12, 3, (255, 255, 255)))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", help="glyphon-server program to record a game from")
    args = parser.parse_args()
    exchange = example_exchange()
    write("fuzz_wire", "example_exchange", exchange)
    write("fuzz_wire", "split_and_empty", b"\x00CMD_chat+1+a" + T + T + b"CMD_endround" + T + b"CMD_ne")
    write("fuzz_dispatch", "example_exchange", exchange)
    write("fuzz_dispatch", "loadstats", msg(b"CMD_sendlogininfo", 2) + loadstats())
    if args.server:
        game = record_game(args.server)
        write("fuzz_dispatch", "recorded_game", game)
        write("fuzz_wire", "recorded_game", game[:4096])
    for name, script in server_scripts():
        write("fuzz_server", name, script)
    for name, data in tally_files():
        write("fuzz_tallyfile", name, data)
    for name, data in settings_files():
        write("fuzz_settings", name, data)
    for name, data in tile_strips():
        write("fuzz_tilestrip", name, data)


if __name__ == "__main__":
    main()
