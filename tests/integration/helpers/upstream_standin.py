#!/usr/bin/env python3
"""A loopback stand-in for the data job's upstream sources, answering from recorded
responses. Each source has a mode file in MODE_DIR (missing: good) that says how it
answers next: good, malformed, partial, slow, ratelimited (429, Retry-After 3),
teapot (418, Retry-After 3), forbidden (403), blocked (451), html (an HTML page in a
200), huge (bigger than any limit), redirect (to another host), moved (to another
path on the same host, which answers good). Every request is
logged as "<time> <source> <path> <mode>".

Sources by path: /nasdaq/screener, /fmp/quote/..., /stooq/{symbol}, /nasdaq/history/{SYMBOL},
and the crypto pages' /binance-data/..., /binance/..., /kraken/..., /coingecko/..., /coinpaprika/....

  upstream_standin.py PORT FIXTURES MODE_DIR LOG_FILE
"""
import http.server
import json
import os
import sys
import time

port, fixtures, mode_dir, log_file = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
counter = {"good": 0}


def recorded(name):
    with open(os.path.join(fixtures, name), "rb") as f:
        return f.read()


def moved(rows, key):
    # Each good answer moves every change a little, so that each good run writes a
    # different file; written the way the provider writes it.
    counter["good"] += 1
    for row in rows:
        value = row[key]
        if isinstance(value, str):
            number = 0.0 if value == "UNCH" else float(value.rstrip("%"))
            row[key] = "%.3f%%" % (number + counter["good"] / 100)
        else:
            row[key] = round(value + counter["good"] / 100, 5)


def kraken():
    # The layout of Kraken's documented OHLC answer.
    return json.dumps({"error": [], "result": {"XXBTZUSD": [
        [1688671200, "30306.1", "30306.2", "30305.7", "30305.7", "30306.1", "3.39243896", 23],
        [1688672100, "30300.3", "30300.4", "30291.4", "30291.4", "30294.7", "2.01029825", 19]],
        "last": 1688672100}}).encode()


def coins(source):
    if source == "coingecko":
        return json.dumps([{"id": "bitcoin", "symbol": "btc", "name": "Bitcoin", "current_price": 97000,
                            "market_cap": 1.9e12, "price_change_percentage_24h": 2.5}]).encode()
    return json.dumps([{"id": "btc-bitcoin", "name": "Bitcoin", "symbol": "BTC", "rank": 1,
                        "quotes": {"USD": {"price": 97000, "market_cap": 1.9e12, "percent_change_24h": 2.5}}}]).encode()


def good(source):
    if source in ("binance-data", "binance"):
        # A recorded real answer (tests/pages/fixtures/SOURCES.md).
        with open(os.path.join(fixtures, "..", "..", "..", "pages", "fixtures", "binance-klines-recorded.json"), "rb") as f:
            return f.read()
    if source == "kraken":
        return kraken()
    if source in ("coingecko", "coinpaprika"):
        return coins(source)
    if source == "nasdaq-screener":
        answer = json.loads(recorded("screener.json"))
        moved(answer["data"]["rows"], "pctchange")
        return json.dumps(answer).encode()
    if source == "fmp":
        answer = json.loads(recorded("fmp-quote.json"))
        moved(answer, "changesPercentage")
        return json.dumps(answer).encode()
    if source == "stooq":
        return recorded("history.csv")
    return recorded("nasdaq-history.json")


def source_of(path):
    for crypto in ("binance-data", "binance", "kraken", "coingecko", "coinpaprika"):
        if path.startswith("/%s/" % crypto):
            return crypto
    if path.startswith("/nasdaq/screener"):
        return "nasdaq-screener"
    if path.startswith("/nasdaq/history"):
        return "nasdaq-history"
    if path.startswith("/fmp/"):
        return "fmp"
    return "stooq"


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
        source = source_of(self.path)
        try:
            with open(os.path.join(mode_dir, source)) as f:
                mode = f.read().strip()
        except FileNotFoundError:
            mode = "good"
        with open(log_file, "a") as f:
            f.write("%.3f %s %s %s\n" % (time.time(), source, self.path, mode))
        listing = source in ("nasdaq-screener", "fmp")
        if mode == "ratelimited":
            return self.send(429, b"slow down", [("Retry-After", "3")])
        if mode == "teapot":
            return self.send(418, b"", [("Retry-After", "3")])
        if mode == "forbidden":
            return self.send(403, b"<html><body>Access Denied</body></html>")
        if mode == "blocked":
            return self.send(451, b'{"code":0,"msg":"Service unavailable from a restricted location."}')
        if mode == "html":
            return self.send(200, b"<!DOCTYPE html><html><body>Please verify you are a human</body></html>")
        if mode == "moved" and "moved=1" not in self.path:
            return self.send(301, b"", [("Location", self.path + ("&" if "?" in self.path else "?") + "moved=1")])
        if mode == "redirect":
            elsewhere = "http://localhost:%d%s" % (port, self.path)
            return self.send(302, b"", [("Location", elsewhere)])
        if mode == "huge":
            # Declares nothing: the reader must stop on its own.
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            chunk = b" " * (1 << 20)
            try:
                for _ in range(64):
                    self.wfile.write(chunk)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
            return
        if mode == "slow":
            time.sleep(6)
        if mode == "malformed":
            return self.send(200, b'{"data": {"rows": [{"symbol": "AAPL", "marketCap": ' if listing else b"Date,Open\n")
        if mode == "partial":
            if listing:
                answer = json.loads(good(source))
                rows = answer["data"]["rows"] if source == "nasdaq-screener" else answer
                del rows[len(rows) // 2:]
                return self.send(200, json.dumps(answer).encode())
            # A history cut off in the middle: the connection ends before the length said.
            body = good(source)
            self.send(200, body[: len(body) // 2], length=len(body))
            self.close_connection = True
            return
        return self.send(200, good(source))


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A client that stops reading a huge or cut-off answer is the point of those modes.
        if not isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            super().handle_error(request, client_address)


Server(("127.0.0.1", port), Handler).serve_forever()
