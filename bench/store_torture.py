#!/usr/bin/env python3
"""The preference store under a hostile environment, through kavro-defaults.

Reports the figures the store is held to: concurrent writers and appenders lose
nothing; writers killed at random moments leave no torn file, no stuck lock and
no growing leftovers; damaged, oversized and strange files (truncations, bit
flips, deep nesting, a FIFO, a folder, a link out of the device, 200 MB) never
crash or hang the tools, are kept aside at the next write, and that write is
valid. Python's plistlib checks every file independently.

  bench/store_torture.py [--defaults build/default/sim/kavro-defaults] [--quick]
"""

import argparse
import os
import plistlib
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

DOMAIN = "dom"


class Device:
    def __init__(self, tool):
        self.tool = tool
        self.root = tempfile.mkdtemp(prefix="kavro-torture-")
        self.preferences = os.path.join(self.root, "var/jb/var/mobile/Library/Preferences")
        os.makedirs(self.preferences)

    def path(self, suffix=""):
        return os.path.join(self.preferences, DOMAIN + ".plist" + suffix)

    def run(self, *arguments, timeout=10):
        start = time.monotonic()
        try:
            done = subprocess.run([self.tool, "--device", self.root, *arguments], capture_output=True,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            return None, time.monotonic() - start, b""
        return done.returncode, time.monotonic() - start, done.stderr

    def reset(self):
        for name in os.listdir(self.preferences):
            path = os.path.join(self.preferences, name)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            else:
                os.remove(path)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def domain(self):
        with open(self.path(), "rb") as file:
            return plistlib.load(file)


def parallel(count, target):
    children = []
    for index in range(count):
        pid = os.fork()
        if pid == 0:
            try:
                target(index)
            finally:
                os._exit(0)
        children.append(pid)
    for pid in children:
        os.waitpid(pid, 0)


def concurrent_writes(tool, processes, writes):
    device = Device(tool)
    timings = os.path.join(device.root, "timings")
    os.makedirs(timings)

    def writer(index):
        slowest = 0.0
        for n in range(writes):
            status, took, _ = device.run("write", DOMAIN, "key-%d-%d" % (index, n), "-int", str(n))
            slowest = max(slowest, took if status == 0 else float("inf"))
        with open(os.path.join(timings, str(index)), "w") as file:
            file.write(repr(slowest))

    started = time.monotonic()
    parallel(processes, writer)
    elapsed = time.monotonic() - started
    slowest = max(float(open(os.path.join(timings, name)).read()) for name in os.listdir(timings))
    kept = len(device.domain())
    device.close()
    print("%d processes x %d writes of distinct keys: %d of %d present; slowest write %.0f ms "
          "(a whole kavro-defaults run); %.1f s in all" % (processes, writes, kept, processes * writes,
                                                          slowest * 1000, elapsed))
    return kept == processes * writes


def concurrent_appends(tool, processes, appends):
    device = Device(tool)

    def appender(index):
        for n in range(appends):
            device.run("write", DOMAIN, "list", "-array-add", "%d.%d" % (index, n))

    parallel(processes, appender)
    values = device.domain()["list"]
    device.close()
    print("%d processes x %d appends to one list: %d of %d present, %d distinct" % (
        processes, appends, len(values), processes * appends, len(set(values))))
    return len(set(values)) == processes * appends


def kills(tool, count):
    device = Device(tool)
    rng = random.Random(7)
    ok = True
    worst_next_write = 0.0
    leftovers = 0
    for round_ in range(count):
        big = round_ % 2 == 1
        if round_ % 20 == 0 or big != (os.path.exists(device.path()) and os.path.getsize(device.path()) > 65536):
            device.reset()
            values = ["element-%06d" % n for n in range(6000 if big else 10)]
            device.run("write", DOMAIN, "list", "-array", *values)
        victims = [subprocess.Popen([tool, "--device", device.root, "write", DOMAIN, "k%d" % n, "-int", str(n)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for n in range(3)]
        time.sleep(rng.uniform(0, 0.03))
        for victim in victims:
            victim.send_signal(signal.SIGKILL)
            victim.wait()
        try:
            values = device.domain()
            torn = not isinstance(values, dict) or "list" not in values
        except Exception:
            torn = True
        status, took, _ = device.run("write", DOMAIN, "after", "-int", str(round_), timeout=5)
        worst_next_write = max(worst_next_write, took)
        if torn or status != 0:
            ok = False
            print("  round %d: torn file or failed write (status %s)" % (round_, status))
        if os.path.exists(device.path(".tmp")):
            leftovers = max(leftovers, os.path.getsize(device.path(".tmp")))
    files = sorted(os.listdir(device.preferences))
    device.close()
    print("%d rounds of 3 writers killed at random moments (domains under and over 64 KiB): %s; "
          "slowest next write %.0f ms (a whole kavro-defaults run); leftover temporary file at most %d bytes; "
          "files at the end: %s" % (count, "no torn file, no stuck lock" if ok else "FAILURES", worst_next_write * 1000,
                                     leftovers, ", ".join(files)))
    return ok


def hostile(tool, quick):
    device = Device(tool)
    binary = plistlib.dumps({"enabled": True, "blacklist": ["com.apple.mobilesafari", "com.apple.Music"],
                             "when": __import__("datetime").datetime(2100, 1, 1), "count": -42,
                             "blob": b"\x00\x01\x02"}, fmt=plistlib.FMT_BINARY)
    xml = plistlib.dumps({"enabled": True, "blacklist": ["com.apple.mobilesafari"], "name": "café"},
                         fmt=plistlib.FMT_XML)
    rng = random.Random(11)
    cases = []
    for name, data in (("binary", binary), ("XML", xml)):
        cases += [("%s cut at %d" % (name, n), data[:n]) for n in range(len(data))]
        flips = 2000 if not quick else 200
        for _ in range(flips):
            bit = rng.randrange(len(data) * 8)
            flipped = bytearray(data)
            flipped[bit // 8] ^= 1 << (bit % 8)
            cases.append(("%s bit %d flipped" % (name, bit), bytes(flipped)))
    for depth in (10000, 100000, 300000):
        cases.append(("XML nested %d deep" % depth, b"<plist>" + b"<array>" * depth + b"</array>" * depth + b"</plist>"))
        objects = b"".join(bytes([0xA1]) + (n + 1).to_bytes(4, "big") for n in range(depth - 1)) + bytes([0xA0])
        offsets = [8 + 5 * n for n in range(depth)]
        table = 8 + len(objects)
        trailer = bytes(6) + bytes([4, 4]) + depth.to_bytes(8, "big") + bytes(8) + table.to_bytes(8, "big")
        cases.append(("binary nested %d deep" % depth,
                      b"bplist00" + objects + b"".join(o.to_bytes(4, "big") for o in offsets) + trailer))
    specials = ["FIFO", "folder", "link out of the device", "200 MB file"]

    slowest = 0.0
    failures = 0
    beyond_plistlib = 0
    for what, data in cases + [(special, None) for special in specials]:
        device.reset()
        path = device.path()
        if data is not None:
            with open(path, "wb") as file:
                file.write(data)
        elif what == "FIFO":
            os.mkfifo(path)
        elif what == "folder":
            os.mkdir(path)
        elif what == "link out of the device":
            outside = os.path.join(tempfile.gettempdir(), "kavro-torture-outside.plist")
            with open(outside, "wb") as file:
                file.write(binary)
            os.symlink(outside, path)
        else:
            with open(path, "wb") as file:
                file.truncate(200_000_000)
        original_kind = os.lstat(path).st_mode
        status, took, stderr = device.run("read", DOMAIN, timeout=5)
        refused = b"cannot read domain" in stderr
        status2, took2, _ = device.run("write", DOMAIN, "fresh", "-int", "1", timeout=5)
        slowest = max(slowest, took, took2)
        problems = []
        if status is None or status2 is None:
            problems.append("hung")
        if status is not None and status < 0 or status2 is not None and status2 < 0:
            problems.append("crashed")
        if max(took, took2) > 1.0:
            problems.append("took %.1f s" % max(took, took2))
        try:
            written = device.domain()
            if written.get("fresh") != 1:
                problems.append("the next write lost its key")
        except Exception as error:
            # A value plistlib cannot represent (a date past year 9999, say) that the
            # store read and kept: the file is valid if the store reads it back and
            # plistlib could not read the damaged input either.
            try:
                plistlib.loads(data if data is not None else b"")
                input_readable = True
            except Exception:
                input_readable = False
            back = subprocess.run([tool, "--device", device.root, "read", DOMAIN, "fresh"], capture_output=True)
            if input_readable or back.stdout != b"1\n":
                problems.append("the next write is not valid: %s" % error)
            else:
                beyond_plistlib += 1
        if refused:
            kept = device.path(".corrupt-1")
            if not os.path.lexists(kept) or os.lstat(kept).st_mode & 0o170000 != original_kind & 0o170000:
                problems.append("the bad file was not kept aside")
            elif data is not None and open(kept, "rb").read() != data:
                problems.append("the kept file differs from the bad one")
        if problems:
            failures += 1
            if failures <= 20:
                print("  %s: %s" % (what, "; ".join(problems)))
    device.close()
    print("%d damaged and strange files (every truncation and %d bit flips of a binary and an XML domain, "
          "nesting of 10k, 100k and 300k levels, %s): %d failures; slowest tool run %.0f ms; %d kept values "
          "that plistlib cannot represent" % (len(cases) + len(specials), 2000 if not quick else 200,
                                            ", ".join(specials), failures, slowest * 1000, beyond_plistlib))
    return failures == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--defaults", default=os.path.join(os.path.dirname(__file__), "..", "build", "default",
                                                           "sim", "kavro-defaults"))
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a smoke test")
    options = parser.parse_args()
    tool = os.path.abspath(options.defaults)
    results = [
        concurrent_writes(tool, 16, 100 if options.quick else 1000),
        concurrent_appends(tool, 16, 20 if options.quick else 200),
        kills(tool, 20 if options.quick else 200),
        hostile(tool, options.quick),
    ]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
