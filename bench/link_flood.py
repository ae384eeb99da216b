#!/usr/bin/env python3
"""Load figures of the device link, measured on the real programs over loopback.

flood:  the console (kdsp-console, offscreen) is linked to kdsp-boxsim through a small relay
        that, once the console is online, adds a flood of unasked frames from the box
        (identification codes or status reports with a new music key each) at a given rate.
        Reports the console's CPU share during the flood and the spacing of its status polls.
memory: a client that keeps asking kdsp-boxsim for whole pages and never reads the answers;
        reports the box's peak resident memory.

usage: link_flood.py BUILD_DIR [--seconds 10] [--rate 1000000]
"""
import argparse
import os
import socket
import subprocess
import threading
import time

POLL = bytes([0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x30, 0x00, 0x03])
CLK_TCK = os.sysconf("SC_CLK_TCK")


def frame(cmd, page, slot, payload):
    body = bytes([cmd, page, slot]) + bytes(payload)
    checksum = (0xF5 + sum(body)) & 0xFF
    return bytes([0xF5, 0x2C, len(body) + 1]) + body + bytes([checksum])


def flood_block(kind, size):
    out = bytearray()
    i = 0
    while len(out) < size:
        if kind == "id":
            out += frame(0xB0, 0x1E, 0x40, [0x2F, 0x1D, 0x5A, i & 0xFF])
        else:
            payload = [0] * 13
            payload[12] = i % 15
            out += frame(0xB0, 0x30, 0x00, payload)
        i += 1
    return bytes(out)


def units(buffer):
    """Cuts whole acknowledgements and frames off the front of the box's stream."""
    out = []
    while buffer:
        if buffer[0] == 0xEE:
            if len(buffer) < 2:
                break
            out.append(bytes(buffer[:2]))
            del buffer[:2]
        elif buffer[0] == 0xF5:
            if len(buffer) < 3 or len(buffer) < buffer[2] + 3:
                break
            n = buffer[2] + 3
            out.append(bytes(buffer[:n]))
            del buffer[:n]
        else:
            del buffer[:1]
    return out


class Relay:
    def __init__(self, box_port, kind, rate):
        self.box_port = box_port
        self.kind = kind
        self.rate = rate
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.polls = []
        self.flooding = threading.Event()
        self.stop = threading.Event()
        self.sent_flood = 0
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while not self.stop.is_set():
            console, _ = self.listener.accept()
            box = socket.create_connection(("127.0.0.1", self.box_port))
            lock = threading.Lock()
            threading.Thread(target=self.up, args=(console, box), daemon=True).start()
            threading.Thread(target=self.down, args=(box, console, lock), daemon=True).start()
            threading.Thread(target=self.flood, args=(console, lock), daemon=True).start()

    def up(self, console, box):
        try:
            self.forward_up(console, box)
        except OSError:
            pass  # the console or the box went away: the run is over

    def forward_up(self, console, box):
        pending = b""
        while True:
            data = console.recv(65536)
            if not data:
                return
            pending += data
            while POLL in pending:
                self.polls.append(time.monotonic())
                pending = pending[pending.index(POLL) + len(POLL):]
            pending = pending[-16:]
            box.sendall(data)

    def down(self, box, console, lock):
        try:
            self.forward_down(box, console, lock)
        except OSError:
            pass

    def forward_down(self, box, console, lock):
        buffer = bytearray()
        while True:
            data = box.recv(65536)
            if not data:
                return
            buffer += data
            for unit in units(buffer):
                with lock:
                    console.sendall(unit)

    def flood(self, console, lock):
        try:
            self.send_flood(console, lock)
        except OSError:
            pass

    def send_flood(self, console, lock):
        self.flooding.wait()
        block = flood_block(self.kind, 4096)
        start = time.monotonic()
        while not self.stop.is_set():
            due = (time.monotonic() - start) * self.rate
            while self.sent_flood + len(block) <= due:
                with lock:
                    console.sendall(block)
                self.sent_flood += len(block)
            time.sleep(0.002)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def start_box(build):
    box = subprocess.Popen([os.path.join(build, "kdsp-boxsim"), "--tcp", "0"],
                           stdout=subprocess.PIPE, text=True)
    line = box.stdout.readline()
    return box, int(line.rsplit(":", 1)[1])


def run_flood(build, kind, rate, seconds):
    box, box_port = start_box(build)
    relay = Relay(box_port, kind, rate)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    console = subprocess.Popen(
        [os.path.join(build, "kdsp-console"), "--host", "127.0.0.1", "--port", str(relay.port)],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 60
        while not relay.polls and time.monotonic() < deadline:
            time.sleep(0.05)
        if not relay.polls:
            return f"{kind}: the console never came online"
        time.sleep(1.5)
        if rate > 0:
            relay.flooding.set()
        t0, c0, p0 = time.monotonic(), cpu_seconds(console.pid), len(relay.polls)
        time.sleep(seconds)
        t1, c1 = time.monotonic(), cpu_seconds(console.pid)
        polls = [t for t in relay.polls[p0:] if t <= t1]
        gaps = [b - a for a, b in zip(polls, polls[1:])]
        alive = console.poll() is None
        return (f"{kind:>4} {rate / 1e6:.2f} MB/s: console CPU {100 * (c1 - c0) / (t1 - t0):5.1f} %"
                f" of a core, flood sent {relay.sent_flood / (t1 - t0) / 1e6:.2f} MB/s,"
                f" polls {len(polls)} in {t1 - t0:.1f} s, largest gap "
                f"{max(gaps) if gaps else float('nan'):.2f} s, console "
                f"{'running' if alive else 'gone'}")
    finally:
        relay.stop.set()
        console.terminate()
        console.wait()
        box.terminate()
        box.wait()


def peak_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1


def run_memory(build, seconds):
    box, port = start_box(build)
    try:
        client = socket.create_connection(("127.0.0.1", port))
        client.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        client.setblocking(False)
        request = bytes([0xF5, 0x2C, 0x06, 0xB0, 0x1E, 0x10, 0x01, 0x00, 0xD4]) * 7000
        sent = 0
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                sent += client.send(request)
            except BlockingIOError:
                time.sleep(0.01)
        return (f"memory: client sent {sent / 1e6:.2f} MB of page requests in {seconds} s"
                f" without reading; box peak resident {peak_kb(box.pid) / 1024:.1f} MB")
    finally:
        box.terminate()
        box.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--rate", type=float, default=1e6)
    args = parser.parse_args()
    print(run_flood(args.build, "none", 0, args.seconds))
    for kind in ("id", "key"):
        print(run_flood(args.build, kind, args.rate, args.seconds))
    print(run_memory(args.build, args.seconds))


if __name__ == "__main__":
    main()
