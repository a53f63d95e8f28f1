"""Reads composed messages with Python's standard MIME parser and prints what it found.

Usage: parse_mime.py FILE...   Prints one JSON object, keyed by file name, with the part tree,
the leaves' decoded payloads (base64), the MIME structure defects and the address fields.
"""
import base64
import email
import json
import sys
from email import policy
from pathlib import Path


def describe(part):
    if part.is_multipart():
        inner = ", ".join(describe(sub) for sub in part.iter_parts())
        return f"{part.get_content_type()}({inner})"
    return part.get_content_type()


def addresses(message, name):
    field = message[name]
    if field is None:
        return []
    return [[a.display_name, a.addr_spec] for a in field.addresses]


def read(path):
    raw = path.read_bytes()
    message = email.message_from_bytes(raw, policy=policy.default)
    leaves = []
    defects = []
    for part in message.walk():
        defects += [type(d).__name__ for d in part.defects]
        if part.is_multipart():
            continue
        leaves.append({
            "key": part.get_filename() or part.get_content_type(),
            "disposition": part.get_content_disposition(),
            "payload": base64.b64encode(part.get_payload(decode=True)).decode("ascii"),
        })
    body = raw.split(b"\r\n\r\n", 1)[1]
    return {
        "tree": describe(message),
        "leaves": leaves,
        "defects": defects,
        "lengthMatches": str(len(body)) == message.get("Content-Length"),
        "from": addresses(message, "From"),
        "to": addresses(message, "To"),
    }


print(json.dumps({Path(p).name: read(Path(p)) for p in sys.argv[1:]}))
