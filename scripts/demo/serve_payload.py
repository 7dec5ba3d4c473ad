#!/usr/bin/env python3
"""Serves one file over HTTP on 127.0.0.1 at a chosen rate, for the main job's demo download.

    serve_payload.py FILE --rate BYTES_PER_SECOND --port-file PATH

The file is served at /<its name> with its Content-Length; the chosen port is written to
--port-file once the server listens. Runs until killed.
"""
import argparse
import http.server
import os
import time


def make_handler(path, rate):
    name = "/" + os.path.basename(path)

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            if self.path.split("?")[0] != name:
                self.send_error(404)
                return
            size = os.path.getsize(path)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(size))
            self.end_headers()
            block = 64 * 1024
            started = time.monotonic()
            sent = 0
            try:
                with open(path, "rb") as f:
                    while chunk := f.read(block):
                        self.wfile.write(chunk)
                        sent += len(chunk)
                        if rate > 0:  # keep to the rate: sleep until this much is due
                            ahead = sent / rate - (time.monotonic() - started)
                            if ahead > 0:
                                time.sleep(ahead)
            except (BrokenPipeError, ConnectionResetError):
                pass

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--rate", type=int, default=0)
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), make_handler(args.file, args.rate))
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
