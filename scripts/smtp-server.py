#!/usr/bin/python3
"""A loopback SMTP server for the demo and the end-to-end tests.

Listens on 127.0.0.1 (a free port unless --port is given), prints "PORT <n>" once it listens,
and stores every message it accepts as <store>/<n>.eml (the data as received, transparency dots
removed) with <store>/<n>.json (envelope). It ends on SIGTERM/SIGINT or after --lifetime
seconds, whichever comes first.
"""
import argparse
import asyncio
import json
import os
import signal
import sys

from aiosmtpd.smtp import SMTP


class StoringHandler:
    def __init__(self, store, rcpt_replies):
        self.store = store
        self.rcpt_replies = rcpt_replies
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        reply = self.rcpt_replies.get(address.lower())
        if reply:
            return reply
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.store, f"{self.count:03d}")
        with open(base + ".eml", "wb") as f:
            f.write(envelope.content)
        with open(base + ".json", "w") as f:
            json.dump({"helo": session.host_name, "mail_from": envelope.mail_from,
                       "rcpt_tos": envelope.rcpt_tos}, f)
        return "250 Message accepted for delivery"


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--store", required=True, help="folder for received messages")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--rcpt-reply", action="append", default=[], metavar="ADDRESS=REPLY",
                   help='answer RCPT TO for ADDRESS with REPLY, e.g. "x@y.z=550 5.1.1 no such user"')
    p.add_argument("--lifetime", type=float, default=600, help="seconds before it ends itself")
    return p.parse_args()


async def serve(args):
    replies = {}
    for item in args.rcpt_reply:
        address, _, reply = item.partition("=")
        replies[address.lower()] = reply
    handler = StoringHandler(args.store, replies)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: SMTP(handler, data_size_limit=None, hostname="sink.localhost"),
        host="127.0.0.1", port=args.port)
    print(f"PORT {server.sockets[0].getsockname()[1]}", flush=True)
    stop = loop.create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, lambda: stop.done() or stop.set_result(None))
    try:
        await asyncio.wait_for(stop, args.lifetime)
    except asyncio.TimeoutError:
        pass
    server.close()
    await server.wait_closed()


if __name__ == "__main__":
    args = parse_args()
    os.makedirs(args.store, exist_ok=True)
    asyncio.run(serve(args))
    sys.exit(0)
