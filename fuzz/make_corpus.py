#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

fuzz_frame_scan (see fuzz_frame_scan.cpp): the address byte, then pieces, each
a header byte (ticks << 6 | length, length up to 63) followed by its bytes.
fuzz_recording: the bytes of a recording file, or of an event log.
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

HEADER = ("\ufeffTime (Brisco recording 2),Cooling open temp set-point (°C),Cooling stop temp "
          "set-point (°C),Heating open temp set-point (°C),Heating stop temp set-point (°C),"
          "Inner fan pulses per revolution,Inner fan low rotation speed (rpm),Inner fan high "
          "rotation speed (rpm),Outer fan pulses per revolution,Outer fan high rotation speed "
          "(rpm),High temperature warning (°C),Low temperature warning (°C),Low current limit "
          "(A),High current limit (A),Inner temp (°C),Outer temp (°C),Sensor fault,Control temp "
          "(°C),TEC current (A),DC voltage (V),Inner fan speed (rpm),Outer fan speed (rpm),Lamp "
          "Inner fan (Working state),Lamp Outer fan (Working state),Lamp Cooling,Lamp Heating,"
          "Lamp Hydrogen,Lamp Self test,Lamp General,Lamp Sensor,Lamp Inner fan (Alerts),Lamp "
          "Outer fan (Alerts),Lamp Low current,Lamp High current,Lamp High temp,Lamp Low temp,"
          "Lamp DC low,Lamp DC high,Lamp AC dump,Lamp Analog temp,Lamp 自检,Lamp Entrance guard,"
          "Lamp Switch value 3,Lamp Switch value 4\n").encode()
FORMAT1 = (b"Time,TECcoolStart,TECcoolStop,TECheatStart,TECheatStop,IntFanPulse,IntFanLowS,"
           b"IntFanHighS,ExtFanPulse,ExtFanHighS,TempMax,TempMin,TECcurrL,TECcurrH,Temp1,Temp2,"
           b"SensorFault,ControlTemp,TECcurrent,DCvoltage,IntFanSpeed,ExtFanSpeed,"
           + b",".join(b"StatusBox%d" % n for n in range(1, 23)) + b"\n")
VALUES = (b"25,18,7,11,2,1500,3100,3,3400,55,-10,1.5,12.5,28.5,-0.5,,30,5.7,48.5,1550,2700,"
          b"1,0,1,0,0,3,0,2,2,0,0,2,2,0,0,0,0,0,0,2,0,0\n")
FAULTS = (b"-40,215,25,11,3,65280,1,2,255,-40,215,0,25.5,,,inner open outer short,87,0,0.1,"
          b"65535,0" + b",0" * 22 + b"\n")

HEADER3 = HEADER.replace(b"recording 2),", b"recording 3),Address,Model,")

RECORDING_SEEDS = {
    "format-3": HEADER3 + b"2026-12-07T14:05:09.042+05:30,3,TEC-48," + VALUES
                + b'2026-12-07T09:00:00.005-03:30,20,"A,""b""",' + FAULTS
                + b"2026-12-07T09:00:01.005-03:30,3,," + VALUES,
    "cut-short": HEADER3 + b"2026-12-07T14:05:09.042+05:30,7,TEC-60," + VALUES
                 + b"2026-12-07T14:05:10.042+05:30,7,TEC",
    "events-2": "\ufeffTime (Brisco events 2),Address,Event,From,To\n".encode()
                + b"2026-12-07T14:05:09.042+05:30,7,Lamp High temp,off,red\n"
                + b'2026-12-07T14:05:10.000+05:30,,"Port COM1","a\nb",closed\n'
                + b"2026-12-07T14:05:11.000+05:30,20,Link,",
    "two-rows": HEADER + b"2026-12-07T14:05:09.042+05:30," + VALUES
                + b"2026-12-07T09:00:00.005-03:30," + FAULTS,
    "format-1": FORMAT1 + b"2026-12-07 14:05:09.042," + VALUES,
    "crlf": (HEADER + b"2026-12-07T14:05:09.042+00:00," + VALUES).replace(b"\n", b"\r\n"),
    "bad-cell": HEADER + b"2026-12-07T14:05:09.042+01:00," + VALUES.replace(b"5.7", b"5,7"),
    "header-only": HEADER,
    "events": "\ufeffTime (Brisco events 1),Event,From,To\n".encode()
              + b"2026-12-07T14:05:09.042+05:30,Lamp High temp,off,red\n"
              + b'2026-12-07T14:05:10.000+05:30,"Sent ""x"", y","a\nb",25\n',
}

corpus = Path(__file__).resolve().parent / "corpus" / "recording"
corpus.mkdir(exist_ok=True)
for name, content in RECORDING_SEEDS.items():
    (corpus / name).write_bytes(content)

# fuzz_telnet_stream: byte 0 says where the rest is cut in two.
SER2NET_OPENING = bytes.fromhex("FFFB03FFFD03FFFB01FFFE01FFFD00FFFB00FFFD2C")
STATUS_WITH_FF = STATUS[:25] + b"\xff\xff" + STATUS[26:]
TELNET_SEEDS = {
    "ser2net-opening": b"\x80" + SER2NET_OPENING + bytes.fromhex("FFFA2C6500002580FFF0FFFA2C6B00FFF0"),
    "status-with-ff": b"\x40" + STATUS_WITH_FF,
    "cut-subnegotiation": b"\x20" + bytes.fromhex("FFFA2C6500FFFD1841FFFA18FFFA2C6BFFFF00FFF042"),
    "compression-marker": b"\x10" + bytes.fromhex("FFFA56FFF0414243"),
    "unknown-options": b"\xf0" + bytes.fromhex("FFFB18FFFD1FFFFBFFFFFDFF41FFF142FFF9"),
    "flood": b"\x99" + b"\xff" * 301 + b"A",
}

corpus = Path(__file__).resolve().parent / "corpus" / "telnet_stream"
corpus.mkdir(exist_ok=True)
for name, content in TELNET_SEEDS.items():
    (corpus / name).write_bytes(content)
