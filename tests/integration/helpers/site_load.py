#!/usr/bin/env python3
"""Loads a server on loopback the way careless and hostile clients do, bounded in
count and time. Each command prints what it saw and exits non-zero when the server
failed the expectation.

  closed-keepalive PORT COUNT      COUNT kept-alive connections, each answered, then
                                   closed by the client
  many-ranges PORT PATH COUNT      one GET with COUNT ranges; prints the answer's size
  half-sent PORT COUNT MIN MAX     COUNT connections that send half a request and wait;
                                   each must be closed by the server after MIN seconds
                                   and within MAX
  held PORT COUNT EXPECTED SECONDS opens COUNT idle connections; the server must close
                                   all but EXPECTED of them within SECONDS
  answered-and-closed PORT         one request that asks to keep the connection: the
                                   answer says it ends, and it ends
  refused-at-once PORT REQUEST     sends REQUEST (\\r\\n written as such) and expects a
                                   4xx status and the connection closed within 3 s
"""
import socket
import sys
import time

HOST = "127.0.0.1"


def connect(port, timeout=5.0):
    s = socket.create_connection((HOST, port), timeout=timeout)
    return s


def read_answer(s, deadline):
    """Reads one HTTP answer with a Content-Length body; returns (head, body)."""
    data = b""
    while b"\r\n\r\n" not in data:
        s.settimeout(max(0.01, deadline - time.monotonic()))
        chunk = s.recv(65536)
        if not chunk:
            raise ConnectionError("closed before the headers ended")
        data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(body) < length:
        s.settimeout(max(0.01, deadline - time.monotonic()))
        chunk = s.recv(65536)
        if not chunk:
            raise ConnectionError("closed before the body ended")
        body += chunk
    return head.decode("latin-1"), body


def closed_keepalive(port, count):
    deadline = time.monotonic() + 120
    for i in range(count):
        if time.monotonic() > deadline:
            sys.exit(f"only {i} of {count} connections in the time allowed")
        s = connect(port)
        s.sendall(f"GET /view.html HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nConnection: keep-alive\r\n\r\n".encode())
        head, _ = read_answer(s, time.monotonic() + 10)
        if not head.startswith("HTTP/1.1 200"):
            sys.exit(f"connection {i}: {head.splitlines()[0]}")
        s.close()
    print(f"{count} connections answered and closed by the client")


def many_ranges(port, path, count):
    ranges = ",".join(f"{i % 100}-{i % 100 + 1000}" for i in range(count))
    s = connect(port, timeout=30)
    s.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nRange: bytes={ranges}\r\nConnection: close\r\n\r\n".encode())
    total = 0
    s.settimeout(30)
    while True:
        chunk = s.recv(1 << 20)
        if not chunk:
            break
        total += len(chunk)
        if total > 64 << 20:
            break
    print(total)


def half_sent(port, count, earliest, seconds):
    sockets = []
    for _ in range(count):
        s = connect(port)
        s.sendall(f"GET /view.html HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nX-Slow: ".encode())
        sockets.append(s)
    print(f"{count} half-sent requests open", flush=True)
    started = time.monotonic()
    open_ = list(sockets)
    while open_ and time.monotonic() - started < seconds:
        still = []
        for s in open_:
            s.setblocking(False)
            try:
                data = s.recv(4096)
                if data and not data.startswith(b"HTTP/1.1 4"):
                    sys.exit("a half-sent request got an answer other than an error")
                if data:
                    still.append(s)  # an error answer; the close follows
                else:
                    if time.monotonic() - started < earliest:
                        sys.exit(f"a half-sent request was dropped after {time.monotonic() - started:.1f} s, before {earliest} s")
                    s.close()
            except BlockingIOError:
                still.append(s)
            except ConnectionResetError:
                s.close()
        open_ = still
        time.sleep(0.1)
    if open_:
        sys.exit(f"{len(open_)} of {count} half-sent requests still open after {seconds} s")
    print(f"all {count} dropped after {time.monotonic() - started:.1f} s")


def held(port, count, expected, seconds):
    sockets = [connect(port) for _ in range(count)]
    started = time.monotonic()
    while True:
        open_ = []
        for s in sockets:
            s.setblocking(False)
            try:
                if s.recv(1):
                    open_.append(s)
            except BlockingIOError:
                open_.append(s)
            except ConnectionResetError:
                pass
        sockets = open_
        if len(open_) == expected:
            print(f"{len(open_)} of {count} held")
            return
        if len(open_) < expected or time.monotonic() - started > seconds:
            sys.exit(f"{len(open_)} of {count} held, not {expected}")
        time.sleep(0.1)


def answered_and_closed(port):
    s = connect(port)
    s.sendall(f"GET /view.html HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nConnection: keep-alive\r\n\r\n".encode())
    head, _ = read_answer(s, time.monotonic() + 5)
    if "\r\nConnection: close" not in head:
        sys.exit("the answer does not say that the connection ends")
    s.settimeout(2)
    if s.recv(1):
        sys.exit("more than the answer arrived")
    print("answered and closed")


def refused_at_once(port, request):
    s = connect(port)
    s.sendall(request.encode().decode("unicode_escape").encode("latin-1"))
    s.settimeout(3)
    data = b""
    started = time.monotonic()
    try:
        while time.monotonic() - started < 3:
            chunk = s.recv(4096)
            if not chunk:
                break
            data += chunk
    except socket.timeout:
        sys.exit(f"no answer and no close within 3 s; got {data[:80]!r}")
    status = data.split(b"\r\n", 1)[0].decode("latin-1")
    if not status.startswith("HTTP/1.1 4"):
        sys.exit(f"answered {status!r}")
    print(status)


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "closed-keepalive":
        closed_keepalive(int(args[0]), int(args[1]))
    elif command == "many-ranges":
        many_ranges(int(args[0]), args[1], int(args[2]))
    elif command == "half-sent":
        half_sent(int(args[0]), int(args[1]), float(args[2]), float(args[3]))
    elif command == "held":
        held(int(args[0]), int(args[1]), int(args[2]), float(args[3]))
    elif command == "answered-and-closed":
        answered_and_closed(int(args[0]))
    elif command == "refused-at-once":
        refused_at_once(int(args[0]), args[1])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
