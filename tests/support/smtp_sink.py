#!/usr/bin/python3
"""A mail server on loopback for the alarm mail tests.

Writes each message it takes to FOLDER as <n>-<recipient>.eml (written aside, then renamed, so
a reader never sees half a message). Can refuse recipients with 550, require a login, speak
TLS from the first byte, or close the connection in the middle of a message. Prints
"READY <port>" once it listens and runs until its standard input closes.
"""
import argparse
import itertools
import os
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Sink:
    def __init__(self, folder, refused, drop):
        self.folder = folder
        self.refused = {a.lower() for a in refused}
        self.drop = drop
        self.counter = itertools.count(1)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected: no such user" % address
        envelope.rcpt_tos.append(address)
        return "250 2.1.5 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.drop:
            server.transport.close()
            return "421 4.3.0 closing"
        for rcpt in envelope.rcpt_tos:
            name = "%04d-%s.eml" % (next(self.counter), rcpt)
            part = os.path.join(self.folder, "." + name)
            with open(part, "wb") as f:
                f.write(envelope.original_content)
            os.rename(part, os.path.join(self.folder, name))
        return "250 2.0.0 Ok: queued as %d" % next(self.counter)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--drop-data", action="store_true")
    args = parser.parse_args()

    port = args.port or free_port()
    options = {}
    if args.user:
        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword)
                  and auth_data.login.decode() == args.user
                  and auth_data.password.decode() == args.password)
            return AuthResult(success=ok, handled=False)
        options.update(authenticator=authenticator, auth_required=True,
                       auth_require_tls=False)
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
        options["ssl_context"] = context
    controller = Controller(Sink(args.folder, args.refuse, args.drop_data),
                            hostname="127.0.0.1", port=port, ready_timeout=10,
                            server_hostname="localhost", **options)
    controller.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
