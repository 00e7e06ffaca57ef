"""selection_owner.py NAME: prints the X window that owns the selection NAME on $DISPLAY
(0x0 for none), as a compositor's _NET_WM_CM_Sn or a manager's WM_Sn is owned."""
import ctypes
import sys

xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XGetSelectionOwner.restype = ctypes.c_ulong
xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = xlib.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
print(hex(xlib.XGetSelectionOwner(display, xlib.XInternAtom(display, sys.argv[1].encode(), 0))))
xlib.XCloseDisplay(display)
