#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Wireshark dissector against the codec: for every frame, the command, the MAC and each
item's identifier, type and value that tshark shows must equal what `cardwise-cli decode`
prints for the same bytes, and tshark must never raise a Lua error.

  check_dissector.py --cli CARDWISE_CLI --lua DISSECTOR capture PCAP [--mutants N]
  check_dissector.py --cli CARDWISE_CLI --lua DISSECTOR hostile

`capture` checks the frames of a capture and N mutants of them (fixed seed); `hostile`
checks a table of malformed frames, each also against the expert information it must raise.
Exit status: 0 passed, 1 failed, 77 skipped (no tshark, except under CI=true).
"""

import argparse
import json
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unicodedata
import xml.etree.ElementTree as ET

MAC = bytes.fromhex("001a2b3c4d5e")
# Expert information that says the codec refuses the frame or stops early.
REFUSED = {"cardwise.bad_sync", "cardwise.short_header"}
CUT = "cardwise.cut"
# Types as the codec keeps them after decoding: every integer but short becomes a DWORD.
KEPT_TYPE = {1: "DWORD", 2: "DWORD", 3: "short", 4: "DWORD", 5: "DWORD", 6: "DWORD",
             7: "DWORD", 8: "DWORD", 9: "float", 10: "double", 11: "string"}
ADDRESS_FIELDS = {"cardwise.ip", "cardwise.mask", "cardwise.gateway"}
VALUE_FIELDS = ADDRESS_FIELDS | {
    "cardwise.item.uint", "cardwise.item.int", "cardwise.item.float", "cardwise.item.double",
    "cardwise.item.text", "cardwise.item.bytes", "cardwise.item.mac", "cardwise.item.device_id"}


def header(command, data_len, head_len=37):
    """A received frame's header as the codec's tests build it: MAC 00-1A-2B-3C-4D-5E."""
    return (b"\xd7\x09\xd7\x09" + struct.pack("<HH", head_len, data_len) + bytes(5)
            + struct.pack("<H", command) + bytes(20) + MAC)


def frame(command, items):
    """A whole frame whose DataLen matches its items."""
    return header(command, len(items) + 2) + items + b"\xff\xff\x00\x00"


TWO_ITEMS = bytes.fromhex("02000804 0a000005 03000804 ffffff00")
COMPLETE_INFO = bytes.fromhex("0100 0c06 001a2b3c4d5e 0200 0804 0a000005 0300 0804 ffffff00"
                              "0400 0804 0a000001 0500 0201 02 0600 0402 c900")

# name, frame, the cardwise.* expert fields it raises (besides none other).
HOSTILE = [
    ("empty", b"", set()),
    ("partial sync", bytes.fromhex("d709d7"), {"cardwise.bad_sync"}),
    ("wrong sync", bytes.fromhex("d709d70a"), {"cardwise.bad_sync"}),
    ("sync only", bytes.fromhex("d709d709"), {"cardwise.short_header"}),
    ("header cut", header(0x1005, 2)[:-1], {"cardwise.short_header"}),
    ("header without payload", header(0x1005, 2), {CUT}),
    ("HeadLen past end", frame(0x1005, TWO_ITEMS)[:4] + b"\xe8\x03"
     + frame(0x1005, TWO_ITEMS)[6:], {"cardwise.headlen.unusual", CUT}),
    # Device information cut off before items 1 to 6 is also one that the assistant ignores.
    ("DataLen past end", header(0x1005, 0xFFFF) + TWO_ITEMS, {CUT, "cardwise.incomplete"}),
    ("second item cut", header(0x1005, 0x20) + TWO_ITEMS[:-1], {CUT, "cardwise.incomplete"}),
    ("item header cut", header(0x1005, 0x20) + TWO_ITEMS[:10], {CUT, "cardwise.incomplete"}),
    ("one byte left", header(0x1005, 0x20) + TWO_ITEMS[:9], {CUT, "cardwise.incomplete"}),
    ("text without zero", header(0x1005, 0x20) + bytes.fromhex("0d000b03") + b"abc",
     {"cardwise.item.no_zero", CUT, "cardwise.incomplete"}),
    ("Length 0 items", header(0x1005, 0x40) + b"".join(bytes([i, 0, 12, 0]) for i in range(1, 9)),
     {CUT, "cardwise.item.mac.bad"}),
    ("DataLen 0", header(0x1005, 0) + bytes.fromhex("02000201 09ffff0000"),
     {"cardwise.datalen.zero", "cardwise.after_frame"}),
    ("end mark first", header(0x1005, 7) + bytes.fromhex("ffff 0200 0201 09"),
     {"cardwise.trailer.unusual", "cardwise.after_frame"}),
    ("DataLen spent", header(0x1005, 5) + bytes.fromhex("02000201 09 03000201 08"),
     {"cardwise.end_mark.missing", "cardwise.after_frame", "cardwise.incomplete"}),
    ("item past DataLen", header(0x2007, 3) + bytes.fromhex("01000804 0a000005 ffff0000"),
     {"cardwise.item.past_datalen", "cardwise.end_mark.missing", "cardwise.after_frame",
      "cardwise.incomplete"}),
    ("HeadLen 40", header(0x1005, 7, 40) + bytes.fromhex("aabbcc 02000201 09 ffff0000"),
     {"cardwise.headlen.unusual", "cardwise.incomplete"}),
    ("HeadLen 30", header(0x2007, 2, 30) + bytes.fromhex("ffff0000"),
     {"cardwise.headlen.unusual", CUT}),
    ("repeated identifier", frame(0x2005, COMPLETE_INFO + bytes.fromhex("0300 0804 ffff0000")),
     {"cardwise.item.repeated"}),
    ("short and long numbers", frame(0x1005, COMPLETE_INFO + bytes.fromhex(
        "1100 0802 3412 1600 0203 05eeee 0700 0800")), {"cardwise.item.width"}),
    ("odd type codes", frame(0x1005, COMPLETE_INFO + bytes.fromhex(
        "0700 0002 0908 0800 0d01 07 0900 c802 0506")), {"cardwise.item.odd_type"}),
    ("every type", frame(0x1005, COMPLETE_INFO + bytes.fromhex(
        "0701 0101 ff 0702 0302 feff 0703 0504 feffffff 0704 0604 04030201 0705 0704 010000 80"
        "0706 0904 00002041 0707 0a08 0000000000002440 0708 0b04 61626300 0709 0b05 6100636400"
        "070a 0c03 010203")), set()),
    ("MAC item of 5 bytes", frame(0x1005, bytes.fromhex("0100 0c05 001a2b3c4d")
                                  + COMPLETE_INFO[10:]), {"cardwise.item.mac.bad"}),
    ("DeviceID of 47 bytes", frame(0x1005, COMPLETE_INFO + bytes.fromhex("1700 0c2f") + b"u" * 47),
     {"cardwise.item.device_id.bad"}),
    ("device information without Fw Ver", frame(0x2005, COMPLETE_INFO[:-6]),
     {"cardwise.incomplete"}),
    ("error reply without 0xF002", frame(0x0008, bytes.fromhex("01f0 0101 01")),
     {"cardwise.error.no_password"}),
    ("unknown command", frame(0x3003, bytes.fromhex("0100 0101 01")), {"cardwise.cmd.unknown"}),
    ("search key of another header", header(0x2001, 2)[:19] + b"\x82\x00KOVAL-WERK\x65\x03\x00\xaa"
     + bytes(6) + bytes.fromhex("ffff0000"), {"cardwise.key.bad"}),
    ("end mark without trailer", frame(0x0008, bytes.fromhex("02f0 0101 01"))[:-2],
     {"cardwise.trailer.unusual"}),
    ("bytes after the trailer", frame(0x2007, bytes.fromhex(
        "01000804 0a000005 02000804 ffffff00 03000804 0a000001")) + b"\x01\x02",
     {"cardwise.after_frame"}),
]


def terminal_text(raw):
    """A card's text as `cardwise-cli decode` prints it: read as UTF-8 when it is valid UTF-8,
    else as Latin-1, control characters (C0, DEL, C1) escaped as \\xHH, written as UTF-8."""
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("latin-1")
    return "".join("\\x%02x" % ord(c) if unicodedata.category(c) == "Cc" else c
                   for c in text).encode()


def parse_decode_output(stdout):
    """Reads `cardwise-cli decode`: the command, the header's MAC and the decoded items, each
    (identifier, type, value, length) with values as printed (bytes). The item lines are what
    this relies on; the command and MAC come from the header lines, or the items' IDs."""
    items = []
    commands = []
    item_line = re.compile(
        rb"^ID=\[(-?\d+)\],type=\[VD_(\w+)\],(?:value=\[(.*?)\],length=\[(\d+)\]"
        rb"|length=\[(\d+)\],buf=\[([0-9a-f ]*(?:\.\.\.)?)\])$", re.M | re.S)
    for m in item_line.finditer(stdout):
        value_id = int(m.group(1)) % 2**32
        length = int(m.group(4) or m.group(5))
        value = m.group(3) if m.group(3) is not None else m.group(6)
        commands.append(value_id >> 16)
        items.append((value_id & 0xFFFF, m.group(2).decode(), value, length))
    command = re.search(rb"CommandId------>(\d+)", stdout)
    mac = re.search(rb"Mac ADDR:([0-9A-F-]{17})", stdout)
    return {
        "command": int(command.group(1)) if command else (commands[0] if commands else None),
        "mac": mac.group(1).decode().replace("-", "").lower() if mac else None,
        "items": items,
    }


def run_decode(cli, payload):
    done = subprocess.run([cli, "decode"], input=payload, capture_output=True, timeout=30,
                          env=dict(os.environ, CARDWISE_LANG="default"))
    return done.returncode, parse_decode_output(done.stdout)


def write_pcap(path, payloads, heuristic):
    """Raw IPv4 datagrams from a card (127.0.0.1:16788) to the assistant's port; the first
    `heuristic` ones between other ports, where only the dissector's heuristic finds them."""
    with open(path, "wb") as out:
        out.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, 101))
        for n, payload in enumerate(payloads):
            ports = (50000, 50001) if n < heuristic else (16788, 16789)
            udp = struct.pack(">HHHH", *ports, 8 + len(payload), 0) + payload
            ip = struct.pack(">BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), n & 0xFFFF, 0, 64, 17, 0,
                             bytes([127, 0, 0, 1]), bytes([127, 0, 0, 1])) + udp
            out.write(struct.pack("<IIII", n, 0, len(ip), len(ip)) + ip)


def dissect(lua, pcap):
    """tshark's view of every packet: payload, cardwise fields and expert fields."""
    done = subprocess.run(["tshark", "-n", "-r", pcap, "-X", "lua_script:" + lua, "-T", "pdml"],
                          capture_output=True, timeout=600)
    if done.returncode != 0 or b"Lua Error" in done.stderr:
        raise SystemExit("tshark failed: " + done.stderr.decode(errors="replace"))
    # Control characters of malformed texts reach the XML unescaped, where XML forbids them.
    pdml = re.sub(rb"[\x00-\x08\x0b\x0c\x0e-\x1f]", b"?", done.stdout)
    packets = []
    for packet in ET.fromstring(pdml.decode(errors="replace")).iter("packet"):
        view = {"payload": b"", "command": None, "mac": None, "items": [], "experts": set(),
                "lua_errors": [f.get("showname") for f in packet.iter("field")
                               if f.get("name") == "_ws.lua.error"]}
        for field in packet.iter("field"):
            name = field.get("name")
            if name == "udp.payload":
                view["payload"] = bytes.fromhex(field.get("value"))
            elif name == "cardwise.cmd":
                view["command"] = int(field.get("show"), 16)
            elif name == "cardwise.mac":
                view["mac"] = field.get("value")
            elif name == "cardwise.item":
                view["items"].append(item_view(field))
            elif name == "_ws.expert":
                view["experts"].update(f.get("name") for f in field
                                       if f.get("name", "").startswith("cardwise."))
        packets.append(view)
    return packets


def item_view(field):
    """One item: identifier, name, type and length, and its value field (none when cut off)."""
    children = {f.get("name"): f for f in field}
    value = next((f for f in field if f.get("name") in VALUE_FIELDS), ET.Element("none"))
    return {
        "id": int(children["cardwise.item.id"].get("show")),
        "name": children.get("cardwise.item.name", ET.Element("none")).get("show"),
        "type": int(children["cardwise.item.type"].get("show")),
        "length": int(children["cardwise.item.length"].get("show")),
        "field": value.get("name"),
        "show": value.get("show"),
        "raw": bytes.fromhex(value.get("value") or ""),
    }


def kept_items(items):
    """The codec keeps one value per identifier: the first one's place, the last one's value.
    An item cut off shows no value and is not kept."""
    kept = {}
    for item in items:
        if item["field"] is not None:
            kept[item["id"]] = item
    return list(kept.values())


def same_number(show, printed, width):
    """tshark shows a float to about 6 and a double to about 15 digits; decode prints 4
    decimals."""
    shown, decoded = float(show), float(printed)
    if math.isnan(shown) or math.isnan(decoded):
        return math.isnan(shown) and math.isnan(decoded)
    return math.isclose(shown, decoded, rel_tol=1e-6 if width == 4 else 1e-14, abs_tol=1e-4)


def differences(shown, decoded):
    """Where tshark's view of a frame differs from the codec's."""
    out = []
    if shown["command"] != decoded["command"]:
        out.append("command %r, codec %r" % (shown["command"], decoded["command"]))
    if shown["mac"] != decoded["mac"]:
        out.append("MAC %r, codec %r" % (shown["mac"], decoded["mac"]))
    items = kept_items(shown["items"])[:30]  # decode prints the first 30 values
    if len(items) != len(decoded["items"]):
        out.append("%d items, codec %d" % (len(items), len(decoded["items"])))
    for item, (item_id, kind, value, length) in zip(items, decoded["items"]):
        what = "item %d" % item["id"]
        if item["id"] != item_id or KEPT_TYPE.get(item["type"], "Buffer") != kind:
            out.append("%s type %d, codec item %d %s" % (what, item["type"], item_id, kind))
            continue
        if kind in ("DWORD", "short"):
            if item["field"] in ADDRESS_FIELDS:
                number = struct.unpack("<I", bytes(int(o) for o in item["show"].split(".")))[0]
            else:
                number = int(item["show"]) % 2**32
            if number != int(value) % 2**32:
                out.append("%s value %s, codec %s" % (what, item["show"], value.decode()))
        elif kind in ("float", "double"):
            if not same_number(item["show"], value.decode(), 4 if kind == "float" else 8):
                out.append("%s value %s, codec %s" % (what, item["show"], value.decode()))
        elif kind == "string":
            raw = item["raw"].split(b"\0")[0]
            text = terminal_text(raw)
            if text != value or length != len(raw) + 1:
                out.append("%s text %r, codec %r" % (what, text, value))
            elif raw.isascii() and raw.decode().isprintable() and item["show"] != raw.decode():
                out.append("%s shows %r for %r" % (what, item["show"], raw))
        else:
            # decode prints the first 20 bytes, each followed by a blank, then "..." for more.
            shown_bytes = "".join("%02x " % b for b in item["raw"][:20])
            shown_bytes += "..." if len(item["raw"]) > 20 else ""
            if length != item["length"] or shown_bytes != value.decode():
                out.append("%s bytes %r, codec %r" % (what, shown_bytes, value))
    return out


def verdict_differences(shown, status, decoded):
    """The codec refuses a frame (exit 2, no items), stops early (exit 2, items so far) or
    reads it whole; the dissector must say the same through its expert information."""
    refused = status == 2 and decoded["command"] is None
    cut = status == 2 and not refused
    out = []
    if refused != bool(shown["experts"] & REFUSED) and shown["payload"]:
        out.append("codec refuses: %s; experts %s" % (refused, sorted(shown["experts"])))
    if cut != (CUT in shown["experts"]):
        out.append("codec stops early: %s; experts %s" % (cut, sorted(shown["experts"])))
    return out


def name_differences(packets, params_json):
    """The names and values of a card's device information read as the parameter dialog
    lists them (`cardwise-cli params --json`; the dialog has no row for the MAC item)."""
    with open(params_json) as source:
        params = json.load(source)
    rows = [(row["name"], row["value"]) for row in params["params"]]
    mac = params["mac"].replace("-", "").lower()
    shown = [[(item["name"], item["show"]) for item in packet["items"] if item["name"] != "MAC"]
             for packet in packets if packet["command"] in (0x1005, 0x2005) and packet["mac"] == mac]
    if rows in shown:
        return []
    return ["no device information of %s reads %s; they read %s" % (params["mac"], rows, shown[:1])]


def mutate(rng, data):
    """One mutant as a fuzzer makes them: bytes flipped, set, cut off or repeated."""
    data = bytearray(data)
    for _ in range(rng.randint(1, 3)):
        choice = rng.randrange(5)
        pos = rng.randrange(4, max(5, len(data))) if len(data) > 4 else 0
        if choice == 0 and data:
            data[min(pos, len(data) - 1)] ^= 1 << rng.randrange(8)
        elif choice == 1 and data:
            data[min(pos, len(data) - 1)] = rng.choice([0, 1, 0x7F, 0x80, 0xFF, rng.randrange(256)])
        elif choice == 2:
            del data[rng.randrange(len(data) + 1):]
        elif choice == 3:
            chunk = data[pos:pos + rng.randint(1, 16)]
            data[pos:pos] = chunk
        else:
            # Lengths steer the walk: DataLen, HeadLen or an item's Length.
            offset = rng.choice([4, 6, 44, 45, 46, 52, 53, 60])
            if offset < len(data):
                data[offset] = rng.randrange(256)
    return bytes(data)


def check(args, payloads, expected=None, heuristic=0):
    work = tempfile.mkdtemp()
    try:
        pcap = os.path.join(work, "frames.pcap")
        write_pcap(pcap, payloads, heuristic)
        shown_all = dissect(args.lua, pcap)
    finally:
        shutil.rmtree(work)
    failures = 0
    experts = {}
    for n, (payload, shown) in enumerate(zip(payloads, shown_all)):
        status, decoded = run_decode(args.cli, payload)
        problems = list(shown["lua_errors"])
        if shown["payload"] != payload:
            problems.append("tshark saw other bytes")
        if status not in (0, 2):
            problems.append("cardwise-cli decode exited %d" % status)
        elif decoded["command"] is not None:
            problems += differences(shown, decoded)
        problems += verdict_differences(shown, status, decoded)
        if expected is not None and shown["experts"] != expected[n][1]:
            problems.append("experts %s, expected %s" % (sorted(shown["experts"]),
                                                         sorted(expected[n][1])))
        for name in shown["experts"]:
            experts[name] = experts.get(name, 0) + 1
        if problems:
            failures += 1
            label = expected[n][0] if expected else "frame %d" % (n + 1)
            print("FAIL %s (%s): %s" % (label, payload.hex(), "; ".join(problems)))
    for name in sorted(experts):
        print("  %4d frames with %s" % (experts[name], name))
    print("%d passed, %d failed" % (len(payloads) - failures, failures))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--lua", required=True)
    sub = parser.add_subparsers(dest="mode", required=True)
    capture = sub.add_parser("capture")
    capture.add_argument("pcap")
    capture.add_argument("--mutants", type=int, default=0, help="mutants, of frames in turn")
    capture.add_argument("--params", help="cardwise-cli params --json of a captured card")
    sub.add_parser("hostile")
    args = parser.parse_args()

    if not shutil.which("tshark"):
        if os.environ.get("CI") == "true":
            print("FAIL: tshark is missing")
            return 1
        print("SKIPPED: tshark is missing")
        return 77

    if args.mode == "hostile":
        return check(args, [f for _, f, _ in HOSTILE], [(n, e) for n, _, e in HOSTILE])

    packets = dissect(args.lua, args.pcap)
    if args.params:
        problems = name_differences(packets, args.params)
        print("FAIL names: " + "; ".join(problems) if problems else "names as in the dialog")
        if problems:
            return 1
    payloads = [packet["payload"] for packet in packets]
    rng = random.Random(16)
    mutants = [mutate(rng, payloads[n % len(payloads)]) for n in range(args.mutants)]
    print("%d captured frames (found by the heuristic), %d mutants" % (len(payloads), len(mutants)))
    return check(args, payloads + mutants, heuristic=len(payloads))


if __name__ == "__main__":
    sys.exit(main())
