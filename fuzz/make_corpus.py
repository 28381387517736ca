#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_frame_scan into fuzz/corpus/frame_scan/.

Input format (see fuzz_frame_scan.cpp): the address byte, then pieces, each a
header byte (ticks << 6 | length, length up to 63) followed by its bytes.
"""

from pathlib import Path


def framed(body):
    return bytes(body) + bytes([sum(body) % 256])


def piece(data, ticks=1):
    assert len(data) <= 63 and ticks <= 3
    return bytes([ticks << 6 | len(data)]) + bytes(data)


STATUS = framed([6, 1, 15, 0, 0] + [65, 60, 35, 40, 2, 3, 232, 11, 184, 2, 11, 184,
                                    90, 20, 10, 50, 0x11, 0, 0, 0x02, 130, 140, 126,
                                    25, 0, 240, 4, 176, 5, 220])
ECHO = framed([5, 1, 15, 0])
TEXT = b"ABC/1.0/VA2.1/"
DEVICE_INFO = framed([6, 1, 15, 2, len(TEXT)] + list(TEXT))

SEEDS = {
    "status": bytes([1]) + piece(STATUS),
    "status-in-pieces": bytes([1]) + piece(STATUS[:10]) + piece(STATUS[10:20]) + piece(STATUS[20:]),
    "echo-and-status": bytes([1]) + piece(ECHO + STATUS),
    "device-info": bytes([1]) + piece(ECHO[:4]) + piece(DEVICE_INFO),
    "address-reply": bytes([1]) + piece(framed([5, 0, 15, 1]) + bytes([6, 0, 15, 1, 1, 5, 0x1C])),
    "write-ack-partial": bytes([1]) + piece([6, 1, 30, 0, 1]) + piece([0x41, 0x67]) + piece(STATUS),
    "noise": bytes([1]) + piece([21, 0, 5, 7, 15, 0, 6, 9, 99, 0xFF, 6, 1, 15, 9, 0, 6, 1, 99, 0, 0, 13, 10]),
    "overflow": bytes([1]) + piece(STATUS, 0) + piece(STATUS, 0) + piece(STATUS, 0) + piece(STATUS, 0) + piece(STATUS, 3),
}

corpus = Path(__file__).resolve().parent / "corpus" / "frame_scan"
corpus.mkdir(exist_ok=True)
for name, content in SEEDS.items():
    (corpus / name).write_bytes(content)
