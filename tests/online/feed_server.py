#!/usr/bin/env python3
"""A web server on 127.0.0.1 for the feed and weather tests, with modes for the failures the
client must survive. It prints its port on the first line of standard output.

Files come from --root (the path as asked, e.g. /AD/AD003.txt). A first path segment chooses a
mode and is dropped before the file is looked up:
  /s404/..., /s500/...   that status with the file as its body
  /redir/...             302 to the same path without the mode segment
  /redirfile/...         302 to file:///etc/passwd;  /redirftp/... to ftp://127.0.0.1/x
  /loop/...              302 to itself
  /chunked/...           the file in chunks;  /close/... without Content-Length, ended by close
  /short/...             Content-Length 100 more than is sent, then close
  /drip/...              one byte every 0.5 s;  /silence/... no answer;  /silenthead/... headers only
  /bigcl/..., /bignocl/...  50 MB with and without Content-Length
  /size/N/...            a valid feed of exactly N bytes
Every request is logged to --log as "GET <path>" and its headers, followed by a blank line.
"""
import argparse
import http.server
import os
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def _log(self):
        with LOCK:
            with open(ARGS.log, "a", encoding="utf-8", errors="replace") as f:
                f.write("GET %s\n" % self.path)
                for k, v in self.headers.items():
                    f.write("%s: %s\n" % (k, v))
                f.write("\n")

    def _file(self, path):
        full = os.path.join(ARGS.root, path.lstrip("/"))
        try:
            with open(full, "rb") as f:
                return f.read()
        except OSError:
            return None

    def _send(self, status, body, headers=()):
        self.send_response(status)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def _redirect(self, location):
        self._send(302, b"moved", [("Location", location)])

    def _stream(self, total, length_header):
        self.send_response(200)
        if length_header:
            self.send_header("Content-Length", str(total))
        self.send_header("Connection", "close")
        self.end_headers()
        block = b"a" * 65536
        sent = 0
        try:
            while sent < total:
                n = min(len(block), total - sent)
                self.wfile.write(block[:n])
                sent += n
        except OSError:
            pass

    def do_GET(self):
        self._log()
        self.close_connection = True
        parts = self.path.split("/")
        mode = parts[1] if len(parts) > 2 else ""
        rest = "/" + "/".join(parts[2:])
        if mode == "size":
            n = int(parts[2])
            head, tail = b"v-size|3\r\n", b"\r\n$"
            self._send(200, head + b"x" * (n - len(head) - len(tail)) + tail)
            return
        if mode in ("silence",):
            time.sleep(120)
            return
        if mode == "redir":
            self._redirect(rest)
            return
        if mode == "redirfile":
            self._redirect("file:///etc/passwd")
            return
        if mode == "redirftp":
            self._redirect("ftp://127.0.0.1/x")
            return
        if mode == "loop":
            self._redirect(self.path)
            return
        if mode == "bigcl":
            self._stream(50 * 1024 * 1024, True)
            return
        if mode == "bignocl":
            self._stream(50 * 1024 * 1024, False)
            return
        known = {"s404", "s500", "chunked", "close", "short", "drip", "silenthead"}
        path = rest if mode in known else self.path
        body = self._file(path)
        if body is None:
            self._send(404, b"not found")
            return
        if mode == "s404":
            self._send(404, body)
        elif mode == "s500":
            self._send(500, body)
        elif mode == "chunked":
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
            self.end_headers()
            for i in range(0, len(body), 7):
                piece = body[i:i + 7]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        elif mode == "close":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
        elif mode == "short":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body) + 100))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
        elif mode == "drip":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                for b in body:
                    self.wfile.write(bytes([b]))
                    self.wfile.flush()
                    time.sleep(0.5)
            except OSError:
                pass
        elif mode == "silenthead":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.flush()
            time.sleep(120)
        else:
            self._send(200, body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


LOCK = threading.Lock()
parser = argparse.ArgumentParser()
parser.add_argument("--root", required=True)
parser.add_argument("--log", required=True)
parser.add_argument("--port", type=int, default=0)
ARGS = parser.parse_args()
server = Server(("127.0.0.1", ARGS.port), Handler)
print(server.server_address[1], flush=True)
sys.stdout.close()
server.serve_forever()
