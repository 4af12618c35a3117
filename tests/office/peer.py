#!/usr/bin/env python3
"""A scripted messenger peer for the office tests.

Run it on a workstation of the simulated office (scripts/office-lan), never on a real
network: it broadcasts to 255.255.255.255.

    ws-exec N python3 peer.py [--listen-port 4111] [--send-port 4112]

It binds the messenger's two ports like a real copy: it sends every datagram from the
sending port to 255.255.255.255:listening port and records every datagram that arrives on
the listening port (its own broadcasts included). Lines on stdin and stdout, bytes as hex
so that any datagram (Windows-1252 text, line breaks, random bytes, empty) can travel:

    stdin   send HEX        broadcast the bytes; answers "sent N" or "error ERRNO-NAME"
            quit            end
    stdout  ready           both ports are bound
            got IP PORT HEX a datagram arrived on the listening port from IP:PORT
"""

import argparse
import errno
import socket
import sys
import threading

BROADCAST = "255.255.255.255"
MAX_DATAGRAM = 65535

_print_lock = threading.Lock()


def say(*words):
    with _print_lock:
        print(*words, flush=True)


def bound_socket(port):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind(("0.0.0.0", port))
    return sock


def listen(sock):
    while True:
        try:
            data, (ip, port) = sock.recvfrom(MAX_DATAGRAM)
        except OSError:
            return
        say("got", ip, port, data.hex())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen-port", type=int, default=4111)
    parser.add_argument("--send-port", type=int, default=4112)
    args = parser.parse_args()

    receiver = bound_socket(args.listen_port)
    sender = bound_socket(args.send_port)
    threading.Thread(target=listen, args=(receiver,), daemon=True).start()
    say("ready")

    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == "quit":
            break
        if words[0] != "send" or len(words) > 2:
            say("error", "bad-command")
            continue
        try:
            payload = bytes.fromhex(words[1] if len(words) == 2 else "")
        except ValueError:
            say("error", "bad-hex")
            continue
        try:
            sent = sender.sendto(payload, (BROADCAST, args.listen_port))
            say("sent", sent)
        except OSError as e:
            say("error", errno.errorcode.get(e.errno, str(e.errno)))


if __name__ == "__main__":
    main()
