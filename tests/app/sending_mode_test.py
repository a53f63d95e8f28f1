#!/usr/bin/python3
"""End-to-end tests of the sending mode: the built program against a loopback SMTP server.

Usage: sending_mode_test.py PATH-TO-TARVELLE
"""
import base64
import email
import email.policy
import glob
import io
import json
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPTS = os.path.join(HERE, "..", "..", "scripts")
EXAMPLES = os.path.join(HERE, "..", "..", "examples")
sys.path.insert(0, SCRIPTS)
import mailview  # noqa: E402

TARVELLE = None
REJECTED = "reject@example.jp"
DEFERRED = "later@example.jp"


def definition(port, to='"佐藤 花子<hanako@example.jp>"', cc="", sender='"山田 太郎"<taro@example.jp>',
               subject="件名", body=("本文",), server="127.0.0.1"):
    lines = [f"SMTP={server}:{port}", f"TO={to}", f"CC={cc}", f"FROM={sender}",
             f"SUBJECT={subject}", "BODYTEXT=", *body]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def cp932_reading(text):
    """The text as the definition file holds it, read back with the cp932 codec."""
    return text.encode("cp932").decode("cp932")


def structure(msg):
    """Every part in order: its header fields (without the generated Message-ID and Date, the
    random boundary replaced), its preamble and its decoded payload."""
    parts = []
    for part in msg.walk():
        boundary = part.get_boundary()
        fields = [(name, value.replace(boundary, "BOUNDARY") if boundary else value)
                  for name, value in part.items() if name not in ("Message-ID", "Date")]
        payload = None if part.is_multipart() else part.get_payload(decode=True)
        params = [(name, "BOUNDARY" if value == boundary else value)
                  for name, value in part.get_params() or []]
        parts.append((fields, params, part.preamble, payload))
    return parts


class CountingListener:
    """A loopback listener that only counts the connections made to it."""

    def __init__(self):
        self.socket = socket.create_server(("127.0.0.1", 0))
        self.socket.settimeout(0.2)
        self.port = self.socket.getsockname()[1]

    def connections(self):
        count = 0
        try:
            while True:
                conn, _ = self.socket.accept()
                conn.close()
                count += 1
        except socket.timeout:
            return count

    def close(self):
        self.socket.close()


class ScriptedServer(threading.Thread):
    """Accepts one connection, greets with `greeting` and accepts the whole dialogue."""

    def __init__(self, greeting):
        super().__init__(daemon=True)
        self.greeting = greeting
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.listener.settimeout(20)
        self.port = self.listener.getsockname()[1]

    def run(self):
        with self.listener, self.listener.accept()[0] as conn, conn.makefile("rb") as reader:
            conn.settimeout(20)
            conn.sendall(self.greeting)
            replies = {b"HELO": b"250 hi\r\n", b"MAIL": b"250 ok\r\n", b"RCPT": b"250 ok\r\n"}
            for line in reader:
                verb = line[:4].upper()
                if verb == b"DATA":
                    conn.sendall(b"354 go\r\n")
                    for data_line in reader:
                        if data_line == b".\r\n":
                            break
                    conn.sendall(b"250 queued\r\n")
                    return
                conn.sendall(replies.get(verb, b"500 what\r\n"))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class SendingMode(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.store = os.path.join(cls.tmp.name, "received")
        cls.server = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SCRIPTS, "smtp-server.py"), "--store", cls.store,
             "--lifetime", "300", "--rcpt-reply", f"{REJECTED}=550 5.1.1 no such user",
             "--rcpt-reply", f"{DEFERRED}=451 4.3.0 try again later"],
            stdout=subprocess.PIPE, text=True)
        line = cls.server.stdout.readline()
        assert line.startswith("PORT "), line
        cls.port = int(line.split()[1])

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(timeout=10)
        cls.server.stdout.close()
        cls.tmp.cleanup()

    def received(self):
        return sorted(glob.glob(os.path.join(self.store, "*.eml")))

    def write(self, name, data):
        path = os.path.join(self.tmp.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def run_tarvelle(self, *args, timeout=60):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        return subprocess.run([TARVELLE, *args], capture_output=True, timeout=timeout, env=env)

    def send(self, data, *extra, expect=0):
        """Runs the sending mode; returns (result, message, envelope) of what arrived."""
        before = len(self.received())
        result = self.run_tarvelle(self.write("mail.def", data), *extra)
        self.assertEqual(result.returncode, expect, result.stderr.decode())
        arrived = self.received()[before:]
        if expect != 0:
            self.assertEqual(arrived, [], "a failed delivery must not arrive")
            return result, None, None
        self.assertEqual(len(arrived), 1)
        with open(arrived[0][:-4] + ".json") as f:
            envelope = json.load(f)
        return result, mailview.read_message(arrived[0]), envelope

    def text_part(self, msg):
        parts = [p for p in msg.walk() if p.get_content_type() == "text/plain"]
        self.assertEqual(len(parts), 1)
        return parts[0]

    # --- Japanese arrives readable -----------------------------------------------------------

    def test_japanese_texts_decode_to_the_original(self):
        body = ["～ − ① ㈱ 髙橋", "ﾒﾝﾃﾅﾝｽ ｶﾞｲﾄﾞ ﾊﾟｽ ｳﾞ", "ascii line"]
        data = definition(self.port, to='"佐藤 花子<hanako@example.jp>"', cc="運用チーム<ops@example.jp>",
                          subject="月次報告：稼働状況～①", body=body)
        _, msg, _ = self.send(data)
        self.assertEqual(mailview.decode_header(msg["Subject"]), "月次報告：稼働状況～①")
        self.assertIn("山田 太郎", mailview.decode_header(msg["From"]))
        self.assertIn("佐藤 花子", mailview.decode_header(msg["To"]))
        self.assertIn("運用チーム", mailview.decode_header(msg["Cc"]))
        part = self.text_part(msg)
        self.assertEqual(part.get_content_charset(), "iso-2022-jp")
        self.assertEqual(part["Content-Transfer-Encoding"], "7bit")
        self.assertTrue(all(b < 0x80 for b in part.get_payload(decode=True)))
        # Half-width katakana arrive full-width, voiced marks combined where a form exists.
        expected = [cp932_reading(body[0]), "メンテナンス ガイド パス ヴ", "ascii line"]
        self.assertEqual(mailview.part_text(part).split("\n")[:-1], expected)

    def test_user_defined_character_sends_the_whole_message_in_utf8(self):
        pua = b"\xf0\x40".decode("cp932")
        data = definition(self.port, subject="外字" + pua, body=["外字の行 " + pua, "二行目"])
        _, msg, _ = self.send(data)
        self.assertEqual(mailview.decode_header(msg["Subject"]), "外字" + pua)
        self.assertIn("山田 太郎", mailview.decode_header(msg["From"]))
        part = self.text_part(msg)
        self.assertEqual(part.get_content_charset(), "utf-8")
        self.assertEqual(part["Content-Transfer-Encoding"], "base64")
        self.assertEqual(mailview.part_text(part), "外字の行 " + pua + "\n二行目\n")

    def test_a_line_too_long_for_7bit_goes_quoted_printable_and_whole(self):
        line = "".join(random.Random(7).choice("あいうえお漢字試験") for _ in range(600))
        _, msg, _ = self.send(definition(self.port, body=[line, "短い行"]))
        part = self.text_part(msg)
        self.assertEqual(part["Content-Transfer-Encoding"], "quoted-printable")
        self.assertEqual(part.get_content_charset(), "iso-2022-jp")
        self.assertEqual(mailview.part_text(part), line + "\n短い行\n")

    # --- attachments -------------------------------------------------------------------------

    def test_binary_attachment_arrives_byte_identical(self):
        payload = random.Random(1).randbytes(3 * 1024 * 1024 + 17)
        path = self.write("図面 data.png", payload)
        _, msg, _ = self.send(definition(self.port), path)
        self.assertEqual(msg.get_content_type(), "multipart/mixed")
        attachments = [p for p in msg.walk() if p.get_content_disposition() == "attachment"]
        self.assertEqual(len(attachments), 1)
        att = attachments[0]
        self.assertEqual(att.get_content_type(), "image/png")
        self.assertEqual(att["Content-Transfer-Encoding"], "base64")
        self.assertEqual(mailview.attachment_name(att), "図面 data.png")
        self.assertEqual(att.get_payload(decode=True), payload)
        self.assertEqual(mailview.part_text(self.text_part(msg)), "本文\n")

    def test_empty_attachment_arrives_empty(self):
        _, msg, _ = self.send(definition(self.port), self.write("empty.txt", b""))
        att = [p for p in msg.walk() if p.get_content_disposition() == "attachment"][0]
        self.assertEqual(att.get_content_type(), "text/plain")
        self.assertEqual(att.get_payload(decode=True), b"")

    def test_without_attachment_the_message_is_single_part(self):
        _, msg, _ = self.send(definition(self.port))
        self.assertFalse(msg.is_multipart())
        self.assertEqual(msg.get_content_type(), "text/plain")

    def test_missing_attachment_is_sent_without_it_and_warned(self):
        missing = os.path.join(self.tmp.name, "no-such-file.pdf")
        result, msg, _ = self.send(definition(self.port), missing)
        self.assertFalse(msg.is_multipart())
        self.assertIn(missing, result.stderr.decode())

    # --- the envelope and the data -----------------------------------------------------------

    def test_each_distinct_recipient_once_in_sorted_order(self):
        data = definition(self.port, to="<b@example.jp>,<A@example.jp>,<c@example.jp>",
                          cc="<a@example.jp>,<B@example.jp>")
        _, _, envelope = self.send(data)
        self.assertEqual(envelope["rcpt_tos"], ["A@example.jp", "b@example.jp", "c@example.jp"])
        self.assertEqual(envelope["mail_from"], "taro@example.jp")

    def test_cc_only(self):
        _, msg, envelope = self.send(definition(self.port, to="", cc="<ops@example.jp>"))
        self.assertEqual(envelope["rcpt_tos"], ["ops@example.jp"])
        self.assertIsNone(msg["To"])

    def test_dot_lines_arrive_unchanged(self):
        body = [".", "..", ".x", "a.", "."]
        _, msg, _ = self.send(definition(self.port, body=body))
        self.assertEqual(mailview.part_text(self.text_part(msg)), "\n".join(body) + "\n")

    # --- failures and exit codes -------------------------------------------------------------

    def assert_failure(self, data, code, *reason_parts):
        result, _, _ = self.send(data, expect=code)
        stderr = result.stderr.decode()
        self.assertIn("送信に失敗しました。", stderr)
        for part in reason_parts:
            self.assertIn(part, stderr)

    def test_no_recipients(self):
        self.assert_failure(definition(self.port, to="", cc=""), 2, "No recipients")

    def test_permanent_refusal(self):
        self.assert_failure(definition(self.port, to=f"<{REJECTED}>"), 2, "RCPT TO", "550 5.1.1")

    def test_temporary_refusal(self):
        self.assert_failure(definition(self.port, to=f"<{DEFERRED}>"), 3, "RCPT TO", "451 4.3.0")

    def test_no_server_named(self):
        data = definition(self.port).replace(f"SMTP=127.0.0.1:{self.port}".encode(), b"SMTP=:25")
        self.assert_failure(data, 2)

    def test_closed_port_fails_quickly(self):
        started = time.monotonic()
        self.assert_failure(definition(free_port()), 3, "connect")
        self.assertLess(time.monotonic() - started, 10)

    def test_missing_definition_file(self):
        before = len(self.received())
        missing = os.path.join(self.tmp.name, "missing.def")
        result = self.run_tarvelle(missing)
        self.assertEqual(result.returncode, 1)
        stderr = result.stderr.decode()
        self.assertIn(f'ファイル "{missing}". ', stderr)
        self.assertIn(" は開けません", stderr)
        self.assertIn("EFOpenError", stderr)
        self.assertEqual(len(self.received()), before)

    def test_bad_port_text(self):
        data = definition(self.port).replace(f":{self.port}".encode(), b":smtp")
        result = self.run_tarvelle(self.write("badport.def", data))
        self.assertEqual(result.returncode, 1)
        self.assertIn("'smtp' は整数ではありません", result.stderr.decode())

    def test_port_outside_the_tcp_range(self):
        data = definition(self.port).replace(f":{self.port}".encode(), b":70000")
        result = self.run_tarvelle(self.write("bigport.def", data))
        self.assertEqual(result.returncode, 1)
        stderr = result.stderr.decode()
        self.assertIn("ESocketError", stderr)
        self.assertIn("70000", stderr)

    def test_no_or_blank_first_argument_opens_the_window(self):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        for args in ([], [""], ["\u3000"], [" \u3000 "]):
            process = subprocess.Popen([TARVELLE, *args], env=env, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
            try:
                # The window's event loop keeps running; the sending mode or a usage text ends.
                with self.assertRaises(subprocess.TimeoutExpired, msg=repr(args)):
                    process.wait(timeout=2)
            finally:
                process.kill()
                process.wait()

    def test_sending_mode_loads_no_widgets_and_a_missing_window_module_is_named(self):
        # A copy of the program without its window module beside it.
        program = os.path.join(self.tmp.name, "tarvelle")
        shutil.copy(TARVELLE, program)
        maps = subprocess.run(["ldd", program], capture_output=True).stdout.decode()
        self.assertNotIn("Widgets", maps)
        result = subprocess.run([program, ""], capture_output=True, timeout=30,
                                env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("ウィンドウのモジュールを読み込めません", result.stderr.decode())
        self.assertIn("libtarvelle_window.so", result.stderr.decode())

    def test_help_and_version(self):
        result = self.run_tarvelle("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn("終了コード", result.stdout.decode())
        result = self.run_tarvelle("--version")
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stdout.decode().startswith("Tarvelle "))

    # --- --dump and --verbose ----------------------------------------------------------------

    def sample(self, port):
        with open(os.path.join(EXAMPLES, "sample.def"), "rb") as f:
            data = f.read()
        self.assertIn(b"SMTP=localhost:25\r\n", data)
        return self.write("sample.def",
                          data.replace(b"SMTP=localhost:25", f"SMTP=127.0.0.1:{port}".encode()))

    def test_dump_is_what_the_server_receives_and_connects_nowhere(self):
        attachment = os.path.join(EXAMPLES, "report.csv")
        listener = CountingListener()
        try:
            dump = self.run_tarvelle("--dump", self.sample(listener.port), attachment)
            self.assertEqual(listener.connections(), 0)
        finally:
            listener.close()
        self.assertEqual(dump.returncode, 0, dump.stderr.decode())
        self.assertEqual(dump.stderr, b"")
        out = dump.stdout
        self.assertEqual(out.count(b"\n"), out.count(b"\r\n"), "line ends as on the wire")
        # Parsed as mailview reads what the server stored.
        dumped = email.message_from_binary_file(io.BytesIO(out), policy=email.policy.compat32)
        self.assertRegex(dumped["Message-ID"], r"^<\d{14}\.[0-9A-F]+\.[0-9A-F]+@localhost>$")

        with open(self.sample(self.port), "rb") as f:
            _, sent, _ = self.send(f.read(), attachment)
        self.assertEqual(dumped.get_content_type(), "multipart/mixed")
        self.assertEqual(structure(dumped), structure(sent))
        with open(attachment, "rb") as f:
            self.assertIn(f.read(), [p[3] for p in structure(dumped)])

    def test_dump_errors_exit_1_and_write_nothing(self):
        good = definition(self.port)
        bad_port = self.write("bad.def", good.replace(f":{self.port}".encode(), b":x"))
        cases = {
            "missing definition": (["--dump", os.path.join(self.tmp.name, "none.def")],
                                   "EFOpenError"),
            "bad port": (["--dump", bad_port], "EConvertError"),
            "unknown option": (["--dumb", self.write("ok.def", good)], "不明なオプションです: --dumb"),
            "no definition": (["--dump"], "定義ファイルが指定されていません"),
        }
        before = len(self.received())
        for name, (args, reason) in cases.items():
            with self.subTest(name):
                result = self.run_tarvelle(*args)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertIn(reason, result.stderr.decode())
        self.assertEqual(len(self.received()), before)

    def test_dump_to_a_full_device_is_an_error(self):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        with open("/dev/full", "wb") as full:
            args = [TARVELLE, "--dump", self.write("full.def", definition(self.port))]
            result = subprocess.run(args, stdout=full, stderr=subprocess.PIPE, timeout=60, env=env)
        self.assertEqual(result.returncode, 1)
        self.assertIn("EStreamError", result.stderr.decode())

    def test_verbose_prints_the_dialogue_and_never_the_message(self):
        marker_body, marker_file = "body-marker-QX7", b"attachment-marker-ZK4"
        attachment = self.write("verbose.txt", marker_file * 3)
        data = definition(self.port, to="<b@example.jp>,<a@example.jp>", cc="<c@example.jp>",
                          body=("一行目", marker_body))
        before = len(self.received())
        result = self.run_tarvelle("--verbose", self.write("verbose.def", data), attachment)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        arrived = self.received()[before:]
        self.assertEqual(len(arrived), 1)
        size = os.path.getsize(arrived[0])

        stderr = result.stderr.decode()
        # The body goes as 7bit text, the attachment as base64.
        for marker in (marker_body, marker_file.decode(), base64.b64encode(marker_file).decode()[:20]):
            self.assertNotIn(marker, stderr)
        lines = stderr.splitlines()
        expected = [r"S: 220 ", r"C: HELO \S+$", r"S: 250 ",
                    r"C: MAIL FROM: <taro@example\.jp>$",
                    r"S: 250 ", r"C: RCPT TO: <a@example\.jp>$", r"S: 250 ",
                    r"C: RCPT TO: <b@example\.jp>$", r"S: 250 ", r"C: RCPT TO: <c@example\.jp>$",
                    r"S: 250 ", r"C: DATA$", r"S: 354 ", rf"C: <message data: {size} bytes>$",
                    r"C: \.$", r"S: 250 "]
        self.assertEqual(len(lines), len(expected), stderr)
        for line, pattern in zip(lines, expected):
            self.assertRegex(line, "^" + pattern)

    def test_verbose_escapes_control_bytes_of_the_server(self):
        server = ScriptedServer(b"220-evil \x1b[2J\x07 says\r\n220 hi \xff\x9b there\r\n")
        server.start()
        data = definition(server.port)
        result = self.run_tarvelle("--verbose", self.write("escape.def", data))
        server.join(timeout=30)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        lines = result.stderr.decode("utf-8").splitlines()
        self.assertEqual(lines[:2], [r"S: 220-evil \x1B[2J\x07 says", r"S: 220 hi \xFF\x9B there"])
        self.assertFalse(any(b < 0x20 and b != 0x0A or b >= 0x7F for b in result.stderr))


if __name__ == "__main__":
    TARVELLE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
