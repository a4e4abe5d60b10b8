#!/usr/bin/env python3
"""Writes the seed corpus of the parser fuzz targets: valid replies of each
protocol, framed as parse_fuzzer.cpp reads them ([step][length, 2 bytes LE][bytes])."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
F4 = b"\xff\xff\xff\xff"


def frame(step, payload):
    return bytes([step]) + struct.pack("<H", len(payload)) + payload


def compact(text):
    data = text.encode("latin-1") + b"\0"
    return bytes([len(data)]) + data


def compact_utf16(text):
    data = text.encode("utf-16-le") + b"\0\0"
    return bytes([0x80 + len(data) // 2]) + data


def u4(kind, body):
    return b"\x80\0\0\0" + bytes([kind]) + body


UT_INFO = b"\\hostname\\Deck Party\\mapname\\DM-Deck16][\\fraglimit\\30\\numplayers\\2\\maxplayers\\16\\queryid\\42.1"
UT_PLAYERS = b"\\player_0\\Bob\\frags_0\\5\\player_1\\a\\b\\frags_1\\-3\\queryid\\42.2\\final\\"
U4_INFO = u4(0, b"\0" * 13 + compact("UT2004 Arena") + compact("DM-Rankin") + compact("xDeathMatch") + struct.pack("<ii", 3, 16))
U4_RULES = u4(1, compact("MaxSpectators") + compact("2") + compact("GoalScore") + compact("25"))
U4_PLAYERS = u4(2, struct.pack("<i", 1) + compact("Bob") + struct.pack("<iii", 40, 7, 0)
                + struct.pack("<i", 2) + compact_utf16("^#\x01Z\u00f6e") + struct.pack("<iii", 60, -2, 0))
Q2_INFO = F4 + b"info\nQuake Two Arena    q2dm1    3/16\n"
Q3_STATUS = (F4 + b"statusResponse\n\\sv_hostname\\^1Red^7Server\\mapname\\q3dm17\\fraglimit\\20\\sv_maxclients\\16\n"
             b"12 50 \"^2Bob\"\n0 0 \"Zo\xc3\xab\"\n")
CS_DETAILS = (F4 + b"m127.0.0.1:27015\0CS Office\0cs_office\0cstrike\0Counter-Strike\0" + bytes([2, 20, 47]))
CS_PLAYERS = F4 + b"D" + bytes([2]) + b"\x00Bob\0" + struct.pack("<if", 12, 61.5) + b"\x01Eve\0" + struct.pack("<if", -1, 3.0)
CHALLENGE = F4 + b"A" + b"\x11\x22\x33\x44"
CSS_INFO = (F4 + b"I" + bytes([17]) + b"Source Dust\0de_dust2\0cstrike\0Counter-Strike: Source\0"
            + struct.pack("<H", 240) + bytes([2, 24, 0, ord("d"), ord("l"), 0, 1]))
CSS_PLAYERS = F4 + b"D" + bytes([2]) + b"\x00J\xc3\xb6rg\0" + struct.pack("<if", 9, 10.0) + b"\x01%s%n\0" + struct.pack("<if", 0, 1.0)

A2S_INFO = (F4 + b"I" + bytes([17]) + b"Dust Bowl\0ctf_2fort\0tf\0Team Fortress\0" + struct.pack("<H", 440)
            + bytes([2, 24, 0, ord("d"), ord("l"), 0, 1]) + b"8622567\0" + bytes([0xA0]) + struct.pack("<H", 27015)
            + b"cp,payload\0")
A2S_GOLDSRC_INFO = (F4 + b"m127.0.0.1:27015\0CS Office\0cs_office\0cstrike\0Counter-Strike\0"
                    + bytes([3, 20, 48, ord("d"), ord("l"), 0, 0, 1, 0]))
A2S_PLAYERS = (F4 + b"D" + bytes([3]) + b"\x00Bob\0" + struct.pack("<if", 12, 61.5) + b"\x01Eve\0"
               + struct.pack("<if", -1, 3.0) + b"\x02\0" + struct.pack("<if", 0, 0.5))


def source_parts(reply, ident, size):
    count = (len(reply) + size - 1) // size
    return [b"\xfe\xff\xff\xff" + struct.pack("<iBBH", ident, count, n, size) + reply[n * size:(n + 1) * size]
            for n in range(count)]


def goldsrc_parts(reply, ident, size):
    count = (len(reply) + size - 1) // size
    return [b"\xfe\xff\xff\xff" + struct.pack("<iB", ident, n << 4 | count) + reply[n * size:(n + 1) * size]
            for n in range(count)]


SEEDS = {
    "ut": {"in_order": frame(0, UT_INFO) + frame(0, UT_PLAYERS),
           "out_of_order": frame(0, UT_PLAYERS) + frame(0, UT_INFO) + frame(0xFF, b"") + frame(0, UT_INFO)},
    "u4": {"all_three": frame(0, U4_INFO) + frame(1, U4_PLAYERS) + frame(2, U4_RULES)},
    "q2": {"info": frame(0, Q2_INFO)},
    "q3": {"status": frame(0, Q3_STATUS)},
    "cs": {"details_players": frame(0, CS_DETAILS) + frame(1, CS_PLAYERS)},
    "csp": {"handshake": frame(0, CHALLENGE) + frame(1, CS_DETAILS) + frame(2, CS_PLAYERS)},
    "css": {"handshake": frame(0, CHALLENGE) + frame(1, CSS_INFO) + frame(2, CSS_PLAYERS)},
    "a2s": {"challenges": frame(0, CHALLENGE) + frame(1, A2S_INFO) + frame(2, CHALLENGE) + frame(3, A2S_PLAYERS),
            "split_players": frame(0, A2S_INFO) + b"".join(frame(3, part) for part in reversed(source_parts(A2S_PLAYERS, 7, 16)))
            + frame(0xFF, b"") + b"".join(frame(3, part) for part in source_parts(A2S_PLAYERS, 8, 20)),
            "goldsrc": frame(0, A2S_GOLDSRC_INFO) + frame(2, CHALLENGE)
            + b"".join(frame(3, part) for part in goldsrc_parts(A2S_PLAYERS, 9, 12))},
}

for protocol, seeds in SEEDS.items():
    folder = os.path.join(HERE, "corpus", protocol)
    os.makedirs(folder, exist_ok=True)
    os.makedirs(os.path.join(HERE, "regressions", protocol), exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
