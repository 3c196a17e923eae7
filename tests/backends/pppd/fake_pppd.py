#!/usr/bin/env python3
"""Stands in for pppd in the dialer's tests, towards the dialer as pppd would be.

Takes pppd's command line (`call NAME ... linkname NAME`) and behaves as told by
the environment:

  FAKE_PPPD_BEHAVIOUR  "up" (default): bring a link up and keep it until SIGTERM,
                       SIGINT or SIGHUP (exit 5) or SIGUSR1 (the line drops: exit 16);
                       "fail CODE": give up before a link exists, exiting with CODE;
                       "persist": like "up", but after SIGUSR1 it redials and brings
                       the link up again, as pppd does with its `persist` option;
                       "stubborn": like "up", but SIGTERM is ignored.
  FAKE_PPPD_RUN        folder of the link pid file ppp-LINKNAME.pid
  FAKE_PPPD_IFACE      name of the interface (default ppp7)
  FAKE_PPPD_LOG        file that receives the command line, one line per run

The link is a tun device this process holds, so it vanishes when the process
ends, as a ppp interface does with its pppd. Run it only inside a network
namespace of the test's own.
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
IFF_TUN = 0x0001
IFF_NO_PI = 0x1000
LOCAL_ADDRESS = "10.64.64.2"
REMOTE_ADDRESS = "10.64.64.1"


def option(args, name):
    if name in args and args.index(name) + 1 < len(args):
        return args[args.index(name) + 1]
    return ""


def write_pid_file(path, interface=""):
    temp = path + ".tmp"
    with open(temp, "w") as out:
        out.write("%d\n" % os.getpid())
        if interface:
            out.write(interface + "\n")
    os.replace(temp, path)


def ip(*args):
    program = shutil.which("ip") or "/sbin/ip"
    subprocess.run([program, *args], check=True)


def open_tun(name):
    fd = os.open("/dev/net/tun", os.O_RDWR)
    fcntl.ioctl(fd, TUNSETIFF, struct.pack("16sH", name.encode(), IFF_TUN | IFF_NO_PI))
    return fd


def bring_up(pid_file, interface):
    tun = open_tun(interface)
    write_pid_file(pid_file, interface)
    ip("addr", "add", LOCAL_ADDRESS, "peer", REMOTE_ADDRESS, "dev", interface)
    ip("link", "set", interface, "up")
    return tun


def main():
    args = sys.argv[1:]
    with open(os.environ["FAKE_PPPD_LOG"], "a") as log:
        log.write(" ".join(args) + "\n")
    pid_file = os.path.join(os.environ["FAKE_PPPD_RUN"], "ppp-%s.pid" % option(args, "linkname"))
    behaviour = os.environ.get("FAKE_PPPD_BEHAVIOUR", "up").split()
    interface = os.environ.get("FAKE_PPPD_IFACE", "ppp7")

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

    tun = bring_up(pid_file, interface)
    while True:
        ready, _, _ = select.select([tun], [], [], 0.05)
        if ready:
            os.read(tun, 65536)  # the line carries the packet away
        if not ended:
            continue
        os.close(tun)
        if ended != [signal.SIGUSR1] or behaviour[0] != "persist":
            break
        ended.clear()
        write_pid_file(pid_file)
        time.sleep(0.3)
        tun = bring_up(pid_file, interface)
    os.remove(pid_file)
    return 16 if ended[0] == signal.SIGUSR1 else 5


if __name__ == "__main__":
    sys.exit(main())
