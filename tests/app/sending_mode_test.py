#!/usr/bin/python3
"""End-to-end tests of the sending mode: the built program against a loopback SMTP server.

Usage: sending_mode_test.py PATH-TO-TARVELLE
"""
import glob
import json
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPTS = os.path.join(HERE, "..", "..", "scripts")
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


if __name__ == "__main__":
    TARVELLE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
