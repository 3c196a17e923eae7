#!/usr/bin/env python3
"""Stands in for pppd in the dialer's tests: takes `call NAME ... linkname NAME`.

FAKE_PPPD_BEHAVIOUR  "up" (default): bring a link up and keep it until SIGTERM,
                     SIGINT or SIGHUP (exit 5) or SIGUSR1 (the line drops: exit 16);
                     "fail CODE": give up before a link exists, exiting with CODE;
                     "persist": like "up", but redial after SIGUSR1, as pppd does;
                     "stubborn": like "up", but SIGTERM is ignored.
FAKE_PPPD_RUN        folder of the link pid file ppp-LINKNAME.pid
FAKE_PPPD_LOG        file that receives the command line, one line per run

The link is a tun device named ppp7 that this process holds, so it vanishes when
the process ends, as a ppp interface does. Run it only inside the test's own
network namespace.
"""
import fcntl
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import time

TUNSETIFF = 0x400454CA
IFF_TUN_NO_PI = 0x0001 | 0x1000
INTERFACE = "ppp7"


def write_pid_file(path, *lines):
    with open(path + ".tmp", "w") as out:
        out.write("".join(str(line) + "\n" for line in (os.getpid(), *lines)))
    os.replace(path + ".tmp", path)


def bring_up(pid_file):
    tun = os.open("/dev/net/tun", os.O_RDWR)
    fcntl.ioctl(tun, TUNSETIFF, struct.pack("16sH", INTERFACE.encode(), IFF_TUN_NO_PI))
    write_pid_file(pid_file, INTERFACE)
    ip = shutil.which("ip") or "/sbin/ip"
    subprocess.run([ip, "addr", "add", "10.64.64.2", "peer", "10.64.64.1", "dev", INTERFACE],
                   check=True)
    subprocess.run([ip, "link", "set", INTERFACE, "up"], check=True)
    return tun


def main():
    args = sys.argv[1:]
    with open(os.environ["FAKE_PPPD_LOG"], "a") as log:
        log.write(" ".join(args) + "\n")
    link = args[args.index("linkname") + 1]
    pid_file = os.path.join(os.environ["FAKE_PPPD_RUN"], "ppp-%s.pid" % link)
    behaviour = os.environ.get("FAKE_PPPD_BEHAVIOUR", "up").split()

    ended = []
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGUSR1):
        signal.signal(sig, lambda number, frame: ended.append(number))
    if behaviour[0] == "stubborn":
        signal.signal(signal.SIGTERM, signal.SIG_IGN)

    write_pid_file(pid_file)
    if behaviour[0] == "fail":
        time.sleep(0.2)
        os.remove(pid_file)
        return int(behaviour[1])

    tun = bring_up(pid_file)
    while True:
        if select.select([tun], [], [], 0.05)[0]:
            os.read(tun, 65536)  # the line carries the packet away
        if not ended:
            continue
        os.close(tun)
        if ended != [signal.SIGUSR1] or behaviour[0] != "persist":
            break
        ended.clear()
        write_pid_file(pid_file)
        time.sleep(0.3)
        tun = bring_up(pid_file)
    os.remove(pid_file)
    return 16 if ended[0] == signal.SIGUSR1 else 5


if __name__ == "__main__":
    sys.exit(main())
