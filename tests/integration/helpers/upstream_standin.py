#!/usr/bin/env python3
"""A loopback stand-in for the data job's upstream sources, answering from recorded
responses. The mode file says how it answers next: good, malformed, ratelimited, slow
or partial. Every request is logged as "<time> <path> <mode>".

  upstream_standin.py PORT FIXTURES MODE_FILE LOG_FILE
"""
import http.server
import json
import os
import sys
import time

port, fixtures, mode_file, log_file = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
counter = {"good": 0}


def recorded(name):
    with open(os.path.join(fixtures, name), "rb") as f:
        return f.read()


def screener_good():
    # The recorded answer, with every change moved a little at each request, so that
    # each good run writes a different file.
    counter["good"] += 1
    answer = json.loads(recorded("screener.json"))
    for row in answer["data"]["rows"]:
        row["pctchange"] = "%+.2f%%" % (float(row["pctchange"].rstrip("%")) + counter["good"] / 100)
    return json.dumps(answer).encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, status, body, headers=(), length=None):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        with open(mode_file) as f:
            mode = f.read().strip()
        with open(log_file, "a") as f:
            f.write("%.3f %s %s\n" % (time.time(), self.path, mode))
        screener = self.path.startswith("/screener")
        if mode == "ratelimited":
            return self.send(429, b"slow down", [("Retry-After", "3")])
        if mode == "slow":
            time.sleep(6)
        if mode == "malformed":
            return self.send(200, b'{"data": {"rows": [{"symbol": "AAPL", "marketCap": ' if screener else b"<html>oops</html>")
        if mode == "partial":
            if screener:
                answer = json.loads(recorded("screener.json"))
                answer["data"]["rows"] = answer["data"]["rows"][: len(answer["data"]["rows"]) // 2]
                return self.send(200, json.dumps(answer).encode())
            # A history cut off in the middle: the connection ends before the length said.
            body = recorded("history.csv")
            self.send(200, body[: len(body) // 2], length=len(body))
            self.close_connection = True
            return
        return self.send(200, screener_good() if screener else recorded("history.csv"))


http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()
