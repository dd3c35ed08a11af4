"""A small WebDAV server for tests that answers as Apache and rclone do: every reply,
a success too, carries an HTML body. Plain HTTP on loopback, one user by basic
authentication, files below --root; PROPFIND lists a folder.

Run with Debian's /usr/bin/python3. Once it accepts connections it writes its port to
--ready-file. A PUT of any path holding one of the lines of --refuse-file (read at
every PUT, so a test can change it) is answered "403 Forbidden" (with a body), as a
server that will not store one file does. --request-log FILE gets
one line per request answered: "METHOD /path STATUS".
"""
import argparse
import base64
import os
import threading
import urllib.parse
from html import escape
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--request-log", required=True)
    parser.add_argument("--refuse-file", required=True)
    return parser.parse_args()


ARGS = parse_arguments()
LOG_LOCK = threading.Lock()


def refused():
    try:
        with open(ARGS.refuse_file) as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def page(status, words):
    return ("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n<html><head>\n"
            f"<title>{status} {words}</title>\n</head><body>\n<h1>{words}</h1>\n"
            f"<p>Resource has been {words.lower()}.</p>\n</body></html>\n").encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def local_path(self, url_path):
        relative = urllib.parse.unquote(urllib.parse.urlsplit(url_path).path).lstrip("/")
        return os.path.join(ARGS.root, relative)

    def answer(self, status, words, body=True, length=None):
        data = page(status, words) if body else b""
        self.send_response(status, words)
        self.send_header("Content-Type", "text/html; charset=iso-8859-1")
        self.send_header("Content-Length", str(len(data) if length is None else length))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)
        with LOG_LOCK, open(ARGS.request_log, "a") as log:
            log.write(f"{self.command} {urllib.parse.unquote(self.path)} {status}\n")

    def authorised(self):
        expected = base64.b64encode(f"{ARGS.user}:{ARGS.password}".encode()).decode()
        if self.headers.get("Authorization", "") == "Basic " + expected:
            return True
        self.send_response(401, "Unauthorized")
        self.send_header("WWW-Authenticate", 'Basic realm="site"')
        self.send_header("Content-Length", "0")
        self.end_headers()
        with LOG_LOCK, open(ARGS.request_log, "a") as log:
            log.write(f"{self.command} {urllib.parse.unquote(self.path)} 401\n")
        return False

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0"))
        return self.rfile.read(length) if length else b""

    def do_PUT(self):
        if not self.authorised():
            return
        if any(text and text in urllib.parse.unquote(self.path) for text in refused()):
            self.close_connection = True
            self.answer(403, "Forbidden")
            return
        data = self.read_body()
        path = self.local_path(self.path)
        if not os.path.isdir(os.path.dirname(path)):
            self.answer(409, "Conflict")
            return
        with open(path, "wb") as f:
            f.write(data)
        self.answer(201, "Created")

    def do_HEAD(self):
        if not self.authorised():
            return
        path = self.local_path(self.path)
        if not os.path.isfile(path):
            self.answer(404, "Not Found", body=False)
            return
        self.answer(200, "OK", body=False, length=os.path.getsize(path))

    def do_MOVE(self):
        if not self.authorised():
            return
        source = self.local_path(self.path)
        target = self.local_path(self.headers.get("Destination", ""))
        if not os.path.isfile(source):
            self.answer(404, "Not Found")
            return
        existed = os.path.exists(target)
        os.replace(source, target)
        if existed:
            self.answer(204, "No Content", body=False)
        else:
            self.answer(201, "Created")

    def do_PROPFIND(self):
        """Depth 1: the folder and every entry in it, hidden ones too, as Apache and rclone
        list them (names only: what a client needs to find its files)."""
        if not self.authorised():
            return
        self.read_body()
        folder = self.local_path(self.path)
        if not os.path.isdir(folder):
            self.answer(404, "Not Found")
            return
        base = urllib.parse.urlsplit(self.path).path.rstrip("/") + "/"
        hrefs = [base] + [base + urllib.parse.quote(name) + ("/" if os.path.isdir(os.path.join(folder, name)) else "")
                          for name in sorted(os.listdir(folder))]
        body = ('<?xml version="1.0" encoding="utf-8"?>\n<D:multistatus xmlns:D="DAV:">\n' + "".join(
            f"<D:response><D:href>{escape(href)}</D:href><D:propstat><D:prop/>"
            "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>\n" for href in hrefs) +
                "</D:multistatus>\n").encode()
        self.send_response(207, "Multi-Status")
        self.send_header("Content-Type", "application/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        with LOG_LOCK, open(ARGS.request_log, "a") as log:
            log.write(f"{self.command} {urllib.parse.unquote(self.path)} 207\n")

    def do_DELETE(self):
        if not self.authorised():
            return
        path = self.local_path(self.path)
        if not os.path.isfile(path):
            self.answer(404, "Not Found")
            return
        os.remove(path)
        self.answer(204, "No Content", body=False)


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(ARGS.ready_file + ".tmp", "w") as f:
        f.write(f"{server.server_address[1]}\n")
    os.replace(ARGS.ready_file + ".tmp", ARGS.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
