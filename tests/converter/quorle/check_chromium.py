# Renders an MHT file with headless Chromium and looks for the colours of its images in the
# screenshot. Usage: check_chromium.py FILE.mht WORKDIR R,G,B [R,G,B ...]
# Prints "ok", "skip: why" or what is missing.
import os
import shutil
import struct
import subprocess
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width, height, color_type = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, color_type = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = {2: 3, 6: 4}[color_type]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    colours = set()
    for row in rows:
        for x in range(0, stride, channels):
            colours.add(tuple(row[x:x + 3]))
    return colours


def main():
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None:
        print("skip: chromium is not installed (scripts/packages.txt lists it)")
        return 0
    mht, work = sys.argv[1], sys.argv[2]
    shot = os.path.join(work, "shot.png")
    profile = os.path.join(work, "profile")
    os.makedirs(profile, exist_ok=True)
    command = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--user-data-dir=" + profile, "--hide-scrollbars", "--window-size=400,300",
               "--screenshot=" + shot, "file://" + mht]
    try:
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as error:
        print("skip: chromium did not run: %s" % error)
        return 0
    if not os.path.exists(shot):
        print("skip: chromium made no screenshot")
        return 0
    colours = read_png(shot)
    missing = [arg for arg in sys.argv[3:] if tuple(int(v) for v in arg.split(",")) not in colours]
    print("missing colours: " + " ".join(missing) if missing else "ok")
    return 0


sys.exit(main())
