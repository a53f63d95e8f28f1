#!/usr/bin/python3
"""Reads a received message as Japanese mail readers do, and prints what arrived.

ISO-2022-JP text is decoded through its JIS codes back to Windows-31J (the inverse of the
Shift_JIS arithmetic) and then with the cp932 codec, so the NEC special characters and the
NEC-selected IBM extensions read back as they were written; Python's own iso2022_jp codec
knows neither.

Usage: mailview.py MESSAGE.eml [ENVELOPE.json]
"""
import email
import email.policy
import json
import re
import sys

_ENCODED_WORD = re.compile(r"=\?([^?]+)\?([BbQq])\?([^?]*(?:\?(?!=)[^?]*)*)\?=")


def jis_pair_to_sjis(j1, j2):
    if j1 & 1:
        s2 = j2 + 0x1F
        if s2 >= 0x7F:
            s2 += 1
    else:
        s2 = j2 + 0x7E
    s1 = ((j1 - 0x21) >> 1) + 0x81
    if s1 > 0x9F:
        s1 += 0x40
    return bytes([s1, s2])


def iso2022jp_to_text(data: bytes) -> str:
    out = bytearray()
    jis = False
    i = 0
    while i < len(data):
        if data[i] == 0x1B and i + 2 < len(data):
            seq = data[i + 1:i + 3]
            if seq in (b"$B", b"$@"):
                jis, i = True, i + 3
                continue
            if seq in (b"(B", b"(J"):
                jis, i = False, i + 3
                continue
        if jis and data[i] >= 0x21 and i + 1 < len(data):
            out += jis_pair_to_sjis(data[i], data[i + 1])
            i += 2
        else:
            out.append(data[i])
            i += 1
    return out.decode("cp932")


def decode_bytes(data: bytes, charset: str) -> str:
    charset = (charset or "us-ascii").lower()
    if charset == "iso-2022-jp":
        return iso2022jp_to_text(data)
    return data.decode(charset, errors="replace")


def _decode_word(match):
    charset, kind, text = match.group(1), match.group(2).upper(), match.group(3)
    if kind == "B":
        import base64
        data = base64.b64decode(text + "=" * (-len(text) % 4))
    else:
        import quopri
        data = quopri.decodestring(text.replace("_", " ").encode("ascii"), header=True)
    return decode_bytes(data, charset)


def decode_header(value: str) -> str:
    value = re.sub(r"\r?\n[ \t]", " ", value)
    value = re.sub(r"\?=\s+=\?", "?==?", value)  # RFC 2047 6.2: space between words goes
    return _ENCODED_WORD.sub(_decode_word, value)


def read_message(path):
    with open(path, "rb") as f:
        return email.message_from_binary_file(f, policy=email.policy.compat32)


def part_text(part) -> str:
    """The decoded text with "\n" line ends (Python's parser turns some CR LF into LF)."""
    text = decode_bytes(part.get_payload(decode=True) or b"", part.get_content_charset())
    return text.replace("\r\n", "\n")


def attachment_name(part):
    raw = part.get_param("filename", header="content-disposition") or part.get_param("name")
    return decode_header(raw) if raw else None


def describe(eml_path, json_path=None):
    msg = read_message(eml_path)
    lines = []
    if json_path:
        with open(json_path) as f:
            env = json.load(f)
        lines.append(f"envelope: HELO {env['helo']}, MAIL FROM <{env['mail_from']}>")
        for rcpt in env["rcpt_tos"]:
            lines.append(f"          RCPT TO <{rcpt}>")
    for name in ("From", "To", "Cc", "Subject", "Date", "Message-ID", "Content-Type"):
        if msg[name] is not None:
            lines.append(f"{name}: {decode_header(str(msg[name]))}")
    for part in msg.walk():
        if part.is_multipart():
            continue
        name = attachment_name(part)
        if name is not None and part.get_content_disposition() == "attachment":
            size = len(part.get_payload(decode=True) or b"")
            lines.append(f"attachment: {name} ({part.get_content_type()}, {size} bytes, "
                         f"{part.get('Content-Transfer-Encoding')})")
        else:
            lines.append(f"--- {part.get_content_type()} "
                         f"({part.get_content_charset()}, {part.get('Content-Transfer-Encoding')})")
            lines.append(part_text(part).rstrip("\n"))
            lines.append("---")
    return "\n".join(lines)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    print(describe(*sys.argv[1:]))
