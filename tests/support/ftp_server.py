"""A private FTP or FTPS server for tests: one user with one home folder, on loopback.

Run with Debian's /usr/bin/python3 (pyftpdlib, and python3-openssl for TLS). Once it
accepts connections it writes its port to --ready-file. Faults for the client to meet:
--cut-after N closes an upload's data connection after N bytes with "426";
--stall-after N stops reading an upload's data after N bytes;
--read-limit N reads uploads at N bytes a second;
--disk-full-after N stores an upload's first N bytes and then fails it with "552", as
a folder that fills up does;
--refuse-rename-over answers RNTO onto an existing file with "550", as some servers do;
--fail-rnto N answers the server's Nth RNTO (counted over all connections) with "550",
as a rename that fails between the steps of a replacement.
For the tests to read the conversation, --command-log FILE records every command the server receives, one a line (passwords
masked), with the reply code it gave.
"""
import argparse
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--home", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--cert", help="PEM certificate: TLS required on control and data")
    parser.add_argument("--key", help="PEM private key of --cert")
    parser.add_argument("--cut-after", type=int)
    parser.add_argument("--stall-after", type=int)
    parser.add_argument("--read-limit", type=int)
    parser.add_argument("--keep-only", type=int, help="store only this many bytes of an upload, confirm it all")
    parser.add_argument("--disk-full-after", type=int)
    parser.add_argument("--refuse-rename-over", action="store_true")
    parser.add_argument("--fail-rnto", type=int)
    parser.add_argument("--command-log")
    return parser.parse_args()


class CuttingUploads:
    cut_after = None

    def handle_read(self):
        super().handle_read()
        if self.receive and not self._closed and self.tot_bytes_received >= self.cut_after:
            self._resp = ("426 Connection closed; transfer aborted.", logging.warning)
            self.close()

    handle_read_event = handle_read  # the base class binds its own handle_read here


class LosingUploads:
    """Confirms every upload but stores only its first bytes: a server that loses the
    end of a file without telling."""
    keep_only = None

    def handle_read(self):
        super().handle_read()
        if self.receive and not self._closed and self.file_obj.tell() > self.keep_only:
            self.file_obj.truncate(self.keep_only)
            self.file_obj.seek(self.keep_only)

    handle_read_event = handle_read


class FillingFolder:
    """The folder fills up after an upload's first bytes: they stay on disk, the rest is
    refused with "552", and the file is left as the failed write made it."""
    disk_full_after = None

    def handle_read(self):
        super().handle_read()
        if self.receive and not self._closed and self.tot_bytes_received >= self.disk_full_after:
            self.file_obj.truncate(self.disk_full_after)
            self._resp = ("552 Requested file action aborted: exceeded storage allocation (disk full).",
                          logging.warning)
            self.close()

    handle_read_event = handle_read


class StallingUploads:
    stall_after = None

    def readable(self):
        if self.receive and self.tot_bytes_received >= self.stall_after:
            return False
        return super().readable()


class EarlyHandshakeTLS_DTPHandler(TLS_DTPHandler):
    """Takes a client's TLS handshake on a data connection that comes before the
    transfer command (libcurl 7.87 and later start it at once), as FTPS servers
    commonly do; pyftpdlib 1.5 would take the early bytes for a hang-up."""

    def readable(self):
        return self._ssl_accepting or super().readable()

    def handle_read_event(self):
        super().handle_read_event()
#pyOpenSSL hands out one TLS record a call.Records OpenSSL has already taken off
#the socket wait for a readable event that never comes once the client has sent
#its last bytes and hung up : the file would end short.Read them out now.
        while (self._ssl_requested and not self._ssl_accepting and not self._ssl_closing
               and not self._closed and self.receive and self.socket.pending() > 0):
            DTPHandler.handle_read(self)


def data_handler(arguments):
    base = EarlyHandshakeTLS_DTPHandler if arguments.cert else DTPHandler
    if arguments.cut_after is not None:
        return type("CuttingDTP", (CuttingUploads, base), {"cut_after": arguments.cut_after})
    if arguments.disk_full_after is not None:
        return type("FillingDTP", (FillingFolder, base), {"disk_full_after": arguments.disk_full_after})
    if arguments.keep_only is not None:
        return type("LosingDTP", (LosingUploads, base), {"keep_only": arguments.keep_only})
    if arguments.stall_after is not None:
        return type("StallingDTP", (StallingUploads, base), {"stall_after": arguments.stall_after})
    if arguments.read_limit is not None:
        return type("ThrottledDTP", (ThrottledDTPHandler,), {"read_limit": arguments.read_limit})
    return base


class RecordingCommands:
    """Appends "COMMAND argument -> code" for every command to the log, so a test can
    see the conversation in the order the server had it."""
    command_log = None

    def pre_process_command(self, line, cmd, arg):
        self._pending_line = cmd + " ******" if cmd == "PASS" else line
        super().pre_process_command(line, cmd, arg)

    def respond(self, resp, logfun=logging.debug):
        pending = getattr(self, "_pending_line", None)
        if pending is not None and not resp.startswith("1"):
            self._pending_line = None
            with open(self.command_log, "a", encoding="utf-8", errors="replace") as log:
                log.write("%s -> %s\n" % (pending, resp[:3]))
        super().respond(resp, logfun)


class RefusingRenameOver:
    def ftp_RNTO(self, path):
        if self._rnfr and os.path.exists(path):
            self._rnfr = None
            self.respond("550 The destination exists.")
            return
        return super().ftp_RNTO(path)


class FailingOneRename:
    fail_rnto = None
    renames = [0]  # shared by every connection's handler

    def ftp_RNTO(self, path):
        self.renames[0] += 1
        if self.renames[0] == self.fail_rnto:
            self._rnfr = None
            self.respond("550 Rename failed.")
            return
        return super().ftp_RNTO(path)


def command_handler(arguments):
    authorizer = DummyAuthorizer()
    authorizer.add_user(arguments.user, arguments.password, arguments.home, perm="elradfmwMT")
    if arguments.cert:
        handler = type("Handler", (TLS_FTPHandler,), {})
        handler.certfile = arguments.cert
        handler.keyfile = arguments.key
        handler.tls_control_required = True
        handler.tls_data_required = True
    else:
        handler = type("Handler", (FTPHandler,), {})
    if arguments.refuse_rename_over:
        handler = type("RefusingHandler", (RefusingRenameOver, handler), {})
    if arguments.fail_rnto:
        handler = type("FailingRenameHandler", (FailingOneRename, handler), {"fail_rnto": arguments.fail_rnto})
    if arguments.command_log:
        handler = type("RecordingHandler", (RecordingCommands, handler), {"command_log": arguments.command_log})
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0.2  # the default 3 s pause after a wrong password
    handler.dtp_handler = data_handler(arguments)
    return handler


def announce_port(ready_file, port):
#Written whole under another name first, so a reader never sees half a number.
    partial = ready_file + ".partial"
    with open(partial, "w") as out:
        out.write("%d\n" % port)
    os.rename(partial, ready_file)


def main():
    arguments = parse_arguments()
    logging.basicConfig(level=logging.INFO)
    server = FTPServer(("127.0.0.1", 0), command_handler(arguments))
    announce_port(arguments.ready_file, server.socket.getsockname()[1])
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
