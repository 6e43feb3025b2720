#!/usr/bin/env python3
"""A time-stamping authority for the release check, on the loopback address.

    timestamp_server.py CONFIG PORT_FILE LIFETIME

Answers each POST of an RFC 3161 query (application/timestamp-query) with what
`openssl ts -reply -config CONFIG` makes of it. It listens on a free port, writes the port's
number into PORT_FILE once it listens, and ends by itself after LIFETIME seconds should no one
stop it. Other paths stand for servers that fail:
    /error   answers 500 and no reply
    /silent  takes the query and never answers
    /once    replies to the first query made there, and answers 500 to the others
"""
import http.server
import os
import subprocess
import sys
import tempfile
import threading


class Authority(http.server.BaseHTTPRequestHandler):
    config = ""
    # openssl ts reads and writes the serial number file: one reply at a time.
    lock = threading.Lock()
    silent = threading.Event()
    once_used = False

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        path = self.path.split("?", 1)[0]
        if path == "/silent":
            self.silent.wait()  # set never: the process's end closes the connection
            return
        refused = path == "/error"
        if path == "/once":
            with self.lock:
                refused, Authority.once_used = Authority.once_used, True
        if refused or self.headers.get("Content-Type") != "application/timestamp-query":
            self.answer(500, "text/plain", b"no time-stamp\n")
            return
        with self.lock, tempfile.TemporaryDirectory() as folder:
            query_file = os.path.join(folder, "query.tsq")
            reply_file = os.path.join(folder, "reply.tsr")
            with open(query_file, "wb") as f:
                f.write(query)
            made = subprocess.run(["openssl", "ts", "-reply", "-config", self.config,
                                   "-queryfile", query_file, "-out", reply_file],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=30)
            if made.returncode != 0:
                sys.stderr.write(made.stderr.decode(errors="replace"))
                self.answer(500, "text/plain", b"openssl ts -reply failed\n")
                return
            with open(reply_file, "rb") as f:
                reply = f.read()
        self.answer(200, "application/timestamp-reply", reply)

    def answer(self, status, content_type, body):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass  # a client that gave up on an error does not read it


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: timestamp_server.py CONFIG PORT_FILE LIFETIME")
    Authority.config, port_file, lifetime = sys.argv[1], sys.argv[2], float(sys.argv[3])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Authority)
    server.daemon_threads = True
    with open(port_file + ".new", "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(port_file + ".new", port_file)
    threading.Timer(lifetime, lambda: os._exit(0)).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
