#!/usr/bin/env python3
"""Office tests: real copies of the messenger on a simulated LAN, checked on the wire and in
their files. Run one case (or all) under the office:

    scripts/office-lan -- python3 tests/office/test_office.py [OfficeTest.test_NAME ...]

VT_BIN_DIR names the folder with the built vtmessenger (ctest passes it).
OFFICE_KEEP=1 keeps the copies' folders for a look afterwards.
"""

import os
import random
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from office import CRLF, SENDING_PORT, Office, read_text, wait_until  # noqa: E402

PEER = "[PEER\\BOT]"


def msg_from(name, body):
    """The activity-log entry of a received message, without its time stamp."""
    return "Msg from " + name + "\t" + CRLF + body + CRLF + "---"


class OfficeTest(unittest.TestCase):
    def setUp(self):
        self.office = Office()
        self.addCleanup(lambda: self.office.close(keep=os.environ.get("OFFICE_KEEP") == "1"))
        self.peer = self.office.start_peer()

    def start(self, workstation, computer, user, name, **settings):
        return self.office.start_copy(workstation, computer, user, name, **settings)

    def test_copies_find_each_other(self):
        alice = self.start(1, "pc1", "alice", "Alice")
        bob = self.start(2, "pc2", "bob", "Bob Stone")
        entries = {alice.identity + "=ALICE", bob.identity + "=BOB STONE"}
        for copy in (alice, bob):
            self.office_wait(lambda c=copy: sorted(c.users()) == sorted(entries),
                             "exactly both entries in the users.txt of " + copy.identity, copy)
            self.assertTrue(copy.running())

    def test_first_start_without_a_person(self):
        # No settings.txt: the name box must not wait for anybody.
        carol = self.start(3, "pc3", "carol", None)
        settings = read_text(carol.file("settings.txt"))
        self.assertIn("[MY NAME             ]=CAROL" + CRLF, settings)
        self.assertIn("[LISTENINGPORT       ]=4111" + CRLF, settings)
        self.peer.send(PEER + carol.identity + "ROBOT> welcome")
        carol.wait_for_log(msg_from(PEER, "ROBOT> welcome"))

    def test_message_reaches_only_its_addressee(self):
        alice = self.start(1, "pc1", "alice", "Alice")
        bob = self.start(2, "pc2", "bob", "Bob")
        # The peer makes itself known first, so the entry shows its name, not its identity.
        self.peer.send("**-" + PEER + "=ROBOT")
        body = "ROBOT> Café at 10 – 5€?"
        self.peer.send(PEER + alice.identity + body)
        alice.wait_for_log(msg_from("ROBOT", body))
        # Bob handles datagrams in arrival order: once his own message is in his log, the
        # one for Alice has been dealt with too.
        self.peer.send(PEER + bob.identity + "ROBOT> only for bob")
        bob.wait_for_log(msg_from("ROBOT", "ROBOT> only for bob"))
        self.assertNotIn("Café", bob.log())
        self.assertNotIn("only for bob", alice.log() or "")
        self.assertEqual(alice.log().count("Msg from "), 1, alice.log())

    def test_message_to_everybody_reaches_every_copy(self):
        alice = self.start(1, "pc1", "alice", "Alice")
        bob = self.start(2, "pc2", "bob", "Bob")
        body = "ROBOT> (To All) Lunch is here"
        self.peer.send(PEER + "[ALL]" + body)
        for copy in (alice, bob):
            copy.wait_for_log(msg_from(PEER, body))

    def test_malformed_datagrams_are_dropped(self):
        alice = self.start(1, "pc1", "alice", "Alice")
        noise = random.Random(4111).randbytes(2000)
        malformed = [
            "[PEER\\BOT" + alice.identity[:-1] + "BOT> no second bracket",
            "***[PC9\\EVE]",  # presence without "="
            "**-[PC9\\EVE]",
            "-**" + alice.identity,
            "",
            " ",
            noise,
        ]
        for datagram in malformed:
            self.peer.send(datagram)
        self.peer.send(PEER + alice.identity + "ROBOT> still there?")
        alice.wait_for_log(msg_from(PEER, "ROBOT> still there?"))
        self.assertTrue(alice.running())
        self.assertEqual(alice.log().count("Msg from "), 1, alice.log())
        self.assertEqual(alice.users(), [alice.identity + "=ALICE"])

    def test_terminate_signs_off_and_archives_the_log(self):
        alice = self.start(1, "pc1", "alice", "Alice")
        bob = self.start(2, "pc2", "bob", "Bob")
        for copy in (alice, bob):
            self.peer.send(PEER + copy.identity + "ROBOT> before the end")
            copy.wait_for_log("ROBOT> before the end")
            self.assertEqual(copy.archives(), [])

        for copy, sig in ((alice, signal.SIGTERM), (bob, signal.SIGINT)):
            with self.subTest(signal=sig.name):
                self.assertEqual(copy.terminate(sig), 0)
                signoff = "-**%s=%s" % (copy.identity, copy.name)
                _, port, _ = self.peer.wait_for(signoff, "the sign-off of " + copy.identity)
                self.assertEqual(port, SENDING_PORT)
                self.assertIsNone(copy.log(), "logs/logtemp.txt is left after an orderly exit")
                archives = copy.archives()
                self.assertEqual(len(archives), 1, archives)
                archive = read_text(os.path.join(copy.folder, "logs", archives[0]))
                self.assertIn(msg_from(PEER, "ROBOT> before the end"), archive)
                self.assertTrue(archive.endswith("QM.\t" + CRLF + "---" + CRLF), archive[-200:])
                self.assertIn("%s=%s" % (copy.identity, copy.name), copy.users())
                signoffs = [d for d in self.peer.received() if d[2] == signoff]
                self.assertEqual(len(signoffs), 1, signoffs)

    def office_wait(self, predicate, what, copy):
        wait_until(predicate, what, details=copy.diagnostics)


if __name__ == "__main__":
    unittest.main(verbosity=2)
