# Reads an MHT file with Python's email package and checks it against the source files: no
# defects, the HTML first, every resource named by its Content-Location and byte-exact.
# Usage: check_mht.py FILE.mht HTML-FILE [LOCATION=FILE ...]
import email
import email.header
import email.policy
import sys


def content_location(part):
    """The Content-Location as text; its raw bytes (a UTF-8 path) read as UTF-8."""
    value = part["Content-Location"]
    if value is None or isinstance(value, str):
        return value
    pieces = email.header.decode_header(value)
    return "".join(p.decode("utf-8", "surrogateescape") if isinstance(p, bytes) else p for p, _ in pieces)


def main():
    with open(sys.argv[1], "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.compat32)
    problems = []
    if message.defects:
        problems.append("message defects: %r" % message.defects)
    if message.get_content_type() != "multipart/related":
        problems.append("type %s" % message.get_content_type())
    parts = message.get_payload()
    if not parts or parts[0].get_content_type() != "text/html":
        problems.append("the HTML is not first")
    with open(sys.argv[2], "rb") as f:
        if parts and parts[0].get_payload(decode=True) != f.read():
            problems.append("HTML payload differs")
    expected = dict(arg.split("=", 1) for arg in sys.argv[3:])
    seen = {}
    for part in parts[1:]:
        if part.defects:
            problems.append("part defects: %r" % part.defects)
        seen[content_location(part)] = part.get_payload(decode=True)
    for location, path in expected.items():
        with open(path, "rb") as f:
            if seen.get(location) != f.read():
                problems.append("payload of %s differs or is missing" % location)
    if len(seen) != len(expected):
        problems.append("parts %r, expected %r" % (sorted(seen), sorted(expected)))
    print("\n".join(problems) if problems else "ok")
    return 1 if problems else 0


sys.exit(main())
