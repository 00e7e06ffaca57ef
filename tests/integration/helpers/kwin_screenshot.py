"""Writes what KWin shows on its active output as a PNG: kwin_screenshot.py OUT.png.

KWin hands screenshots out over D-Bus (ScreenShot2) as raw pixels written into a
pipe; the compositor must run with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1, as KWin's
own tests run it, since a test program has no desktop entry that grants the right."""
import os
import subprocess
import sys

from gi.repository import Gio, GLib

out = sys.argv[1]
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
read_end, write_end = os.pipe()
fds = Gio.UnixFDList.new()
index = fds.append(write_end)
os.close(write_end)
reply, _ = bus.call_with_unix_fd_list_sync(
    "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureActiveScreen",
    GLib.Variant("(a{sv}h)", ({}, index)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, 10000, fds, None)
# The message kept its own copy of the pipe's write end: without closing it the pipe never ends.
for fd in fds.steal_fds():
    os.close(fd)
info = reply.unpack()[0]
data = bytearray()
while chunk := os.read(read_end, 1 << 20):
    data += chunk
width, height, stride = info["width"], info["height"], info["stride"]
# 5 and 6 are Qt's 32-bit ARGB formats, laid out B, G, R, A in memory on this machine.
if info.get("type") != "raw" or info.get("format") not in (4, 5, 6) or len(data) < stride * height:
    sys.exit(f"unexpected screenshot: {info}, {len(data)} bytes")
rows = b"".join(bytes(data[row * stride:row * stride + 4 * width]) for row in range(height))
subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-", "-alpha", "off", out],
               input=rows, check=True)
