#!/usr/bin/env python3
"""Office tests of the whole program's life: how real copies start (announcements, a second
copy, a taken port, no network and its recovery) and how the next start mends a copy that
was killed. Run one case (or all) under the office:

    scripts/office-lan -- python3 tests/office/test_lifecycle.py [LifecycleTest.test_NAME ...]

VT_BIN_DIR names the folder with the built vtmessenger (ctest passes it).
OFFICE_KEEP=1 keeps the copies' folders for a look afterwards.
"""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from office import (CODEPAGE, CRLF, DEADLINE, SENDING_PORT, Copy, Office,  # noqa: E402
                    read_text, wait_until, ws_exec)

PEER = "[PEER\\BOT]"
# The monitor probes every 5 s: a recovery shows within two of its ticks.
RECOVERY_DEADLINE = 12.0


def msg_from(name, body):
    """The activity-log entry of a received message, without its time stamp."""
    return "Msg from " + name + "\t" + CRLF + body + CRLF + "---"


class PortHolder:
    """Another program on a workstation that holds one UDP port for as long as it runs."""

    def __init__(self, workstation, port):
        code = ("import socket, sys\n"
                "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
                "s.bind(('0.0.0.0', %d))\n"
                "print('ready', flush=True)\n"
                "sys.stdin.read()\n" % port)
        self.process = subprocess.Popen(
            [ws_exec(), str(workstation), sys.executable, "-c", code],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise AssertionError("nothing could hold port %d on workstation %d"
                                 % (port, workstation))

    def close(self):
        self.process.stdin.close()
        self.process.wait(DEADLINE)
        self.process.stdout.close()


class LifecycleTest(unittest.TestCase):
    def setUp(self):
        self.office = Office()
        self.addCleanup(lambda: self.office.close(keep=os.environ.get("OFFICE_KEEP") == "1"))
        self.peer = self.office.start_peer()

    # --- helpers ---

    def new_copy(self, workstation=1, computer="pc1", user="alice", name="Alice", **settings):
        """A copy that is prepared but not started (start_copy would wait for its
        announcement, which some of these starts never make)."""
        copy = Copy(self.office, workstation, computer, user, name, **settings)
        self.office.copies.append(copy)
        return copy

    def from_copy(self, copy, text):
        """How often the peer heard exactly this datagram from the copy's workstation."""
        address = "10.98.0.%d" % copy.workstation
        return sum(1 for ip, _, data in self.peer.received() if ip == address and data == text)

    def heard_from(self, copy):
        address = "10.98.0.%d" % copy.workstation
        return [data for ip, _, data in self.peer.received() if ip == address]

    def announcement(self, copy):
        return "***%s=%s" % (copy.identity, copy.name)

    def reply(self, copy):
        return "**-%s=%s" % (copy.identity, copy.name)

    def wait_count(self, copy, text, count, deadline=DEADLINE):
        wait_until(lambda: self.from_copy(copy, text) >= count,
                   "%d x %r from %s" % (count, text, copy.identity), deadline,
                   details=lambda: "heard: %r\n%s" % (self.heard_from(copy), copy.diagnostics()))
        self.assertEqual(self.from_copy(copy, text), count, self.heard_from(copy))

    def wait_exit(self, process, what):
        try:
            return process.wait(DEADLINE)
        except subprocess.TimeoutExpired:
            raise AssertionError("%s did not end" % what)

    def archive(self, copy):
        archives = copy.archives()
        self.assertEqual(len(archives), 1, archives)
        return read_text(os.path.join(copy.folder, "logs", archives[0]))

    # --- start-up ---

    def test_startup_announces_and_answers_presence(self):
        alice = self.office.start_copy(1, "pc1", "alice", "Alice")
        # Nobody answered while the queue was held, so the list was still empty: a second
        # announcement. Its own two come back: the first from an unknown identity (two
        # replies), the second from a known one (one reply).
        self.wait_count(alice, self.reply(alice), 3)
        self.assertEqual(self.from_copy(alice, self.announcement(alice)), 2)
        for _, port, data in self.peer.received():
            if data.startswith(("***", "**-")) and alice.identity in data:
                self.assertEqual(port, SENDING_PORT, data)

        # A stranger announces: two replies; announces again, now known: one more.
        self.peer.send("***" + PEER + "=ROBOT")
        self.wait_count(alice, self.reply(alice), 5)
        self.peer.send("***" + PEER + "=ROBOT")
        self.wait_count(alice, self.reply(alice), 6)
        # A reply or a sign-off is not answered: the announcement sent after them is the
        # only one the copy answers (it handles datagrams in arrival order).
        self.peer.send("**-" + PEER + "=ROBOT")
        self.peer.send("-**" + PEER + "=ROBOT")
        self.peer.send("***" + PEER + "=ROBOT")
        self.wait_count(alice, self.reply(alice), 7)

        self.assertEqual(self.from_copy(alice, self.announcement(alice)), 2)
        wait_until(lambda: PEER + "=ROBOT" in alice.users(), "the peer in users.txt",
                   details=alice.diagnostics)
        self.assertEqual(sorted(alice.users()), sorted([alice.identity + "=ALICE",
                                                        PEER + "=ROBOT"]))
        self.assertTrue(alice.running())

    def test_second_copy_is_refused_and_the_first_runs_on(self):
        alice = self.office.start_copy(1, "pc1", "alice", "Alice")
        self.peer.send(PEER + alice.identity + "ROBOT> first")
        alice.wait_for_log(msg_from(PEER, "ROBOT> first"))
        log_before = alice.log()

        # The same user at the same desk starts the program again.
        second = subprocess.run(alice.command(), env=alice.environment(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=DEADLINE)
        output = second.stdout.decode(CODEPAGE, errors="replace")
        self.assertEqual(second.returncode, 0, output)
        self.assertIn("is already running.", output)

        # The second copy touched nothing of the first: the log the first copy is writing
        # was not taken over as an unfinished one, and nothing went on the wire.
        self.assertTrue(alice.running(), alice.diagnostics())
        self.assertEqual(alice.log(), log_before)
        self.assertEqual(self.from_copy(alice, self.announcement(alice)), 2)
        self.peer.send(PEER + alice.identity + "ROBOT> still you?")
        alice.wait_for_log(msg_from(PEER, "ROBOT> still you?"))
        self.assertNotIn("shutdown correctly", alice.log())

    def test_taken_port_ends_the_program(self):
        cases = [  # port held by another program, command line, the box text
            (4111, ("/m",), None),
            (4111, (), "Port 4111 is in use."),
            (4112, ("/M",), None),
            (4112, (), "Port 4112 is in use."),
        ]
        for workstation, (port, arguments, box) in enumerate(cases, start=1):
            with self.subTest(port=port, arguments=arguments):
                holder = PortHolder(workstation, port)
                self.addCleanup(holder.close)
                copy = self.new_copy(workstation, "pc%d" % workstation, "user%d" % workstation,
                                     "User %d" % workstation)
                # The log of a run that was killed: the start finds it before it binds.
                os.makedirs(copy.file("logs"))
                old_log = "01-02-25:09:15a:QM.\t" + CRLF + "---" + CRLF
                with open(copy.file("logs/logtemp.txt"), "wb") as f:
                    f.write(old_log.encode(CODEPAGE))

                copy.start(*arguments)
                self.assertEqual(self.wait_exit(copy.process, copy.identity), 0,
                                 copy.diagnostics())
                output = read_text(copy.file("output.txt"))
                if box:
                    self.assertIn(box, output)
                else:
                    self.assertNotIn("is in use", output)
                self.assertEqual(self.heard_from(copy), [])
                # The old log is not lost by a start that could not go on.
                self.assertIn(old_log, copy.log() or "", copy.diagnostics())

    def test_start_without_network_recovers_when_the_link_comes_up(self):
        alice = self.new_copy()
        alice.start(nolink=True)
        alice.wait_for_log("Network Error No route to host.")
        self.assertTrue(alice.running(), alice.diagnostics())
        self.assertEqual(self.heard_from(alice), [])

        subprocess.run([os.environ["OFFICE_LAN_LINK"], "1", "up"], check=True)
        self.wait_count(alice, self.announcement(alice), 1, RECOVERY_DEADLINE)
        alice.wait_for_log("Network Connection Restored")
        log = alice.log()
        self.assertLess(log.index("Network Error No route to host."),
                        log.index("Network Connection Restored"))
        self.assertEqual(log.count("Network Connection Restored"), 1, log)

        # Back on the network in every way: it answers presence and takes messages.
        self.peer.send("***" + PEER + "=ROBOT")
        wait_until(lambda: self.from_copy(alice, self.reply(alice)) >= 2,
                   "the replies to the peer's announcement", details=alice.diagnostics)
        self.peer.send(PEER + alice.identity + "ROBOT> welcome back")
        alice.wait_for_log(msg_from("ROBOT", "ROBOT> welcome back"))

    # --- end ---

    def test_unclean_end_is_recovered_at_the_next_start(self):
        alice = self.office.start_copy(1, "pc1", "alice", "Alice")
        self.peer.send(PEER + alice.identity + "ROBOT> before the crash")
        alice.wait_for_log(msg_from(PEER, "ROBOT> before the crash"))
        old_log = alice.log()

        alice.kill()  # SIGKILL: no sign-off, no archive, the lock left behind
        self.assertEqual(alice.log(), old_log)
        self.assertEqual(alice.archives(), [])

        # The lock of the killed copy does not stop the next start.
        alice.start()
        self.wait_count(alice, self.announcement(alice), 4)
        mark = "Vantrell Messenger shutdown correctly.\t" + CRLF + "---" + CRLF
        log = alice.log()
        self.assertEqual(log.count(mark), 1, log)
        self.assertEqual(log.count(old_log), 1, log)
        # The mark, then the old run's entries as they were, then this run's start.
        self.assertEqual(log.index(mark) + len(mark), log.index(old_log), log)
        self.assertEqual(log[16:16 + len(mark)], mark, log)
        self.assertTrue(log.endswith("QM.\t" + CRLF + "---" + CRLF), log)

        self.assertEqual(alice.terminate(), 0)
        archive = self.archive(alice)
        self.assertTrue(archive.startswith(log), archive)
        self.assertEqual(archive.count(msg_from(PEER, "ROBOT> before the crash")), 1, archive)


if __name__ == "__main__":
    unittest.main(verbosity=2)
