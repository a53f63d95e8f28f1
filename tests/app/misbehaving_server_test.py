#!/usr/bin/python3
"""The sending mode against a loopback server that misbehaves at one step of the dialogue.

Every failing case must end in bounded time with exit code 2 or 3, the reason on standard
error, and a bounded peak memory; a valid dialogue dripped byte by byte must be delivered.

Usage: misbehaving_server_test.py PATH-TO-TARVELLE
"""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

TARVELLE = None
# One reply time-out of the program under test, through its test seam.
TIMEOUT_MS = 400
# The server's own bound on anything endless it does, so no case can outlive the test.
SERVER_LIMIT_S = 15
ATTACHMENT_BYTES = 8 << 20

STEPS = ("greeting", "HELO", "MAIL", "RCPT", "DATA", "end")
GOOD = {"greeting": b"220-test.example\r\n220 ready\r\n", "HELO": b"250 test.example\r\n",
        "MAIL": b"250 2.1.0 ok\r\n", "RCPT": b"250 2.1.5 ok\r\n", "DATA": b"354 go ahead\r\n",
        "end": b"250 2.0.0 queued\r\n"}
END_OF_DATA = b"\r\n.\r\n"


class Peer:
    """One accepted connection, read through a buffer; gives up once SERVER_LIMIT_S is over."""

    def __init__(self, conn, started):
        self.conn = conn
        self.buffer = b""
        self.deadline = started + SERVER_LIMIT_S
        conn.settimeout(0.2)

    def alive(self):
        return time.monotonic() < self.deadline

    def receive(self):
        while self.alive():
            try:
                chunk = self.conn.recv(65536)
            except socket.timeout:
                continue
            if not chunk:
                raise ConnectionError("client closed")
            return chunk
        raise TimeoutError("server limit")

    def read_line(self):
        while b"\n" not in self.buffer:
            self.buffer += self.receive()
        line, _, self.buffer = self.buffer.partition(b"\n")
        return line

    def read_data(self, stop_after=None):
        """Reads the message data up to its end-of-data line, or about `stop_after` bytes."""
        seen = len(self.buffer)
        tail = self.buffer[-4:]
        self.buffer = b""
        while stop_after is None or seen < stop_after:
            chunk = self.receive()
            if (tail + chunk).find(END_OF_DATA) >= 0:
                return
            seen += len(chunk)
            tail = (tail + chunk)[-4:]

    def send(self, data):
        self.conn.settimeout(1)
        try:
            self.conn.sendall(data)
        finally:
            self.conn.settimeout(0.2)

    def stall(self):
        """Says nothing until the client goes away (or the server limit is reached)."""
        try:
            while True:
                self.receive()
        except (ConnectionError, TimeoutError, OSError):
            pass

    def stream(self, piece, pause=0.0):
        """Sends `piece` again and again until the client goes away or the limit is reached."""
        try:
            while self.alive():
                self.send(piece)
                if pause:
                    time.sleep(pause)
        except OSError:
            pass


def drip(peer, data):
    for i in range(len(data)):
        peer.send(data[i:i + 1])
        time.sleep(0.005)


def answer(peer, step, action):
    """Plays `action` at `step`; returns False when the dialogue ends there."""
    if action == "ok":
        peer.send(GOOD[step])
    elif action == "drip":
        drip(peer, GOOD[step])
    elif action == "close":
        return False
    elif action == "stall":
        peer.stall()
        return False
    elif action == "garbage":
        peer.send(b"\x00\xffhello? \x1b[2J\r\n")
    elif action == "partial":
        peer.send(GOOD[step][:5])
        return False
    elif action == "huge":
        peer.stream(b"2" * 65536)
        return False
    elif action == "endless-drip":
        peer.stream(b"2", pause=0.005)
        return False
    elif action == "early":
        # Closing with our text still unread would reset the connection and could discard
        # the reply before the client reads it, so read on until the client goes away.
        peer.send(GOOD[step])
        peer.stall()
        return False
    elif action == "endless-multiline":
        peer.stream(b"250-more to come\r\n" * 1000)
        return False
    else:
        raise ValueError(action)
    return True


class MisbehavingServer:
    """Serves one connection on a free loopback port: `plan` maps steps to actions, the others
    answer normally. At the step "end", "mid-data" closes after the first bytes of the data and
    "early" answers then and reads on until the client goes away."""

    def __init__(self, plan):
        self.plan = plan
        self.delivered = False
        self.error = None
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.listener.settimeout(SERVER_LIMIT_S)
        self.port = self.listener.getsockname()[1]
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        try:
            conn, _ = self.listener.accept()
        except OSError as e:
            self.error = e
            return
        with conn:
            peer = Peer(conn, time.monotonic())
            try:
                self.dialogue(peer)
            except (ConnectionError, TimeoutError, OSError):
                pass  # the client's giving up is the outcome under test, not a server fault

    def dialogue(self, peer):
        for step in STEPS:
            action = self.plan.get(step, "ok")
            if step == "end":
                whole = action not in ("mid-data", "early")
                peer.read_data(stop_after=None if whole else 256 << 10)
                if action == "mid-data":
                    return
                self.delivered = action in ("ok", "drip")
            elif step != "greeting":
                peer.read_line()
            if not answer(peer, step, action):
                self.delivered = False
                return

    def close(self):
        self.thread.join(SERVER_LIMIT_S + 5)
        self.listener.close()


def definition(port):
    lines = [f"SMTP=127.0.0.1:{port}", "TO=<to@example.jp>", "CC=", 'FROM="差出人"<from@example.jp>',
             "SUBJECT=試験", "BODYTEXT=", "本文"]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


class Outcome:
    def __init__(self, code, stderr, seconds, peak_mib):
        self.code, self.stderr, self.seconds, self.peak_mib = code, stderr, seconds, peak_mib


def run_tarvelle(args, limit):
    """Runs the program; kills it past `limit` seconds. GNU time reports its peak RSS: the
    rusage of a child of this interpreter would carry the interpreter's own high-water mark."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TARVELLE_TEST_TIMEOUT_MS=str(TIMEOUT_MS))
    with tempfile.NamedTemporaryFile() as peak, tempfile.TemporaryFile() as err:
        started = time.monotonic()
        process = subprocess.Popen(["/usr/bin/time", "-q", "-f", "%M", "-o", peak.name, TARVELLE, *args],
                                   stdout=subprocess.DEVNULL, stderr=err, env=env,
                                   start_new_session=True)
        try:
            code = process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise AssertionError(f"tarvelle still running after {limit} s: killed")
        seconds = time.monotonic() - started
        err.seek(0)
        stderr = err.read().decode("utf-8")  # raises unless it is all UTF-8, as promised
        peak_kib = int(peak.read().split()[-1])
    return Outcome(code, stderr, seconds, peak_kib / 1024)


# name, plan, exit code, parts of the reason on standard error
FAILING = [
    ("close_on_connect", {"greeting": "close"}, 3, ["greeting:", "closed the connection"]),
    ("close_after_helo", {"HELO": "close"}, 3, ["HELO:", "closed the connection"]),
    ("close_after_mail_from", {"MAIL": "close"}, 3, ["MAIL FROM:", "closed the connection"]),
    ("close_after_rcpt_to", {"RCPT": "close"}, 3, ["RCPT TO:", "closed the connection"]),
    ("close_after_data", {"DATA": "close"}, 3, ["DATA:", "closed the connection"]),
    ("close_in_middle_of_data", {"end": "mid-data"}, 3, ["end of data:"]),
    ("queued_before_the_end_of_data", {"end": "early"}, 2,
     ["end of data:", "250 2.0.0 queued (before all of our text was sent)"]),
    ("close_after_end_of_data", {"end": "close"}, 3, ["end of data:", "closed the connection"]),
    ("close_inside_a_reply", {"MAIL": "partial"}, 3, ["MAIL FROM:", "closed the connection"]),
    ("stall_greeting", {"greeting": "stall"}, 3, ["greeting:", "time-out"]),
    ("stall_rcpt_to", {"RCPT": "stall"}, 3, ["RCPT TO:", "time-out"]),
    ("accept_data_never_answer", {"end": "stall"}, 3, ["end of data:", "time-out"]),
    ("garbage_greeting", {"greeting": "garbage"}, 2, ["greeting:", r"\x00", r"\x1B[2J"]),
    ("garbage_reply_to_data", {"DATA": "garbage"}, 2, ["DATA:", "hello?"]),
    ("megabytes_without_line_end", {"greeting": "huge"}, 2, ["greeting:", "longer than 64 KiB"]),
    ("endless_drip", {"HELO": "endless-drip"}, 2, ["HELO:", "did not complete"]),
    ("endless_multiline_reply", {"end": "endless-multiline"}, 2, ["end of data:", "longer than 64 KiB"]),
]


class MisbehavingServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.attachment = os.path.join(cls.tmp.name, "data.bin")
        with open(cls.attachment, "wb") as f:
            f.write(os.urandom(ATTACHMENT_BYTES))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def deliver(self, plan, limit):
        server = MisbehavingServer(plan)
        path = os.path.join(self.tmp.name, "mail.def")
        with open(path, "wb") as f:
            f.write(definition(server.port))
        try:
            outcome = run_tarvelle([path, self.attachment], limit)
        finally:
            server.close()
        self.assertIsNone(server.error)
        return outcome, server

    def test_valid_dialogue_dripped_byte_by_byte_is_delivered(self):
        outcome, server = self.deliver({step: "drip" for step in STEPS}, limit=30)
        self.assertEqual(outcome.code, 0, outcome.stderr)
        self.assertTrue(server.delivered)
        self.assertNotIn("送信に失敗しました。", outcome.stderr)

    def test_each_failure_ends_in_time_with_its_exit_code_and_reason(self):
        baseline, _ = self.deliver({}, limit=30)
        self.assertEqual(baseline.code, 0, baseline.stderr)
        # Twice the time-out bounds a dripped reply; the rest is start-up and the data.
        limit = 2 * TIMEOUT_MS / 1000 + 5
        for name, plan, code, reason in FAILING:
            with self.subTest(name):
                outcome, server = self.deliver(plan, limit)
                self.assertFalse(server.delivered)
                self.assertEqual(outcome.code, code, outcome.stderr)
                self.assertIn("送信に失敗しました。", outcome.stderr)
                for part in reason:
                    self.assertIn(part, outcome.stderr)
                self.assertLess(outcome.seconds, limit)
                # What a server sends beyond one bounded reply must not be kept.
                self.assertLess(outcome.peak_mib, baseline.peak_mib + 16,
                                f"peak {outcome.peak_mib:.1f} MiB, a normal delivery "
                                f"{baseline.peak_mib:.1f} MiB")


if __name__ == "__main__":
    TARVELLE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
