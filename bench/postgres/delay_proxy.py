#!/usr/bin/env python3
"""A server far away, on loopback: a TCP proxy that holds every chunk it passes on for
a fixed delay in each direction, so a round trip through it costs twice that delay.
This kernel has no traffic shaping to do it for us.

    delay_proxy.py --target-port P [--delay-ms 10] [--port-file F] [--turns-file T]
                   [--trace-file F]

Listens on a free loopback port (written to --port-file once listening) and forwards to
127.0.0.1:P. Chunks keep their order and each leaves `delay` after it arrived, so a
stream of chunks is held once, not once per chunk.

It also counts the client's turns: each time a connection's client sends after it last
heard from the server (its first message included), it is waiting for an answer it
needs before going on. Those are the round trips the delay makes the client pay,
whatever the machine's load; each closed connection adds a line "turns N" to
--turns-file.
"""
import argparse
import asyncio
import os
import signal
import sys


class Turns:
    def __init__(self, trace, name):
        self.count = 0
        self.last = None  # "client" or "server"
        self.trace = trace
        self.name = name

    def saw(self, side, data):
        if side == "client" and self.last != "client":
            self.count += 1
            if self.trace:
                shown = "".join(chr(b) if 32 <= b < 127 else "." for b in data[:100])
                at = asyncio.get_running_loop().time()
                self.trace.write(f"{at:.3f} {self.name} turn {self.count}: {shown}\n")
                self.trace.flush()
        self.last = side


async def pipe(reader, writer, delay, side, turns):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def send_later():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        try:
            writer.write_eof()
        except (OSError, RuntimeError):
            pass

    sender = asyncio.create_task(send_later())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            turns.saw(side, data)
            queue.put_nowait((loop.time() + delay, data))
    except (ConnectionError, OSError):
        pass
    queue.put_nowait((0, None))
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def serve(args):
    delay = args.delay_ms / 1000.0
    trace = open(args.trace_file, "a") if args.trace_file else None
    connections = 0

    async def handle(client_reader, client_writer):
        nonlocal connections
        connections += 1
        name = f"connection {connections}"
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", args.target_port)
        except OSError:
            client_writer.close()
            return
        turns = Turns(trace, name)
        await asyncio.gather(
            pipe(client_reader, server_writer, delay, "client", turns),
            pipe(server_reader, client_writer, delay, "server", turns),
        )
        for w in (client_writer, server_writer):
            w.close()
        if args.turns_file:
            with open(args.turns_file, "a") as out:
                out.write(f"turns {turns.count}\n")

    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    port = server.sockets[0].getsockname()[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as out:
            out.write(f"{port}\n")
        os.replace(tmp, args.port_file)
    else:
        print(port, flush=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    async with server:
        await stop.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--target-port", type=int, required=True)
    parser.add_argument("--delay-ms", type=float, default=10.0)
    parser.add_argument("--port-file")
    parser.add_argument("--turns-file")
    parser.add_argument("--trace-file", help="the first bytes of each of the client's turns, to see what they ask")
    asyncio.run(serve(parser.parse_args()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
