#!/usr/bin/env python3
"""A stand-in for the view site: serves a folder on a loopback port that the kernel
picks, and reports the port only once it is bound, so that the programs under test are
never handed a port nobody serves yet (or that another program takes meanwhile). Every
request line is appended to the log file as it arrives.

  stand_in_site.py FOLDER PORT_FILE LOG_FILE [ADDRESS]
"""
import functools
import http.server
import os
import sys

folder, port_file, log_file = sys.argv[1:4]
address = sys.argv[4] if len(sys.argv) > 4 else "127.0.0.1"


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        with open(log_file, "a") as log:
            log.write("%s\n" % (format % args))


server = http.server.ThreadingHTTPServer((address, 0), functools.partial(Handler, directory=folder))
# Written whole or not at all: a reader never sees half a number.
with open(port_file + ".tmp", "w") as f:
    f.write("%d\n" % server.server_address[1])
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
