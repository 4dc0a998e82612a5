# What Python's email package finds in an MHT file, for the converter's peer tests: the page
# (get_body with HTML preferred) and every other part, each with its bytes, one a line, texts
# in hexadecimal:
#   body TYPE CHARSET CTE PAYLOAD TEXT    the page; TEXT decoded by its charset parameter, else
#                                         by the charset its META names, else as code page 949
#   part LOCATION CONTENT-ID CTE PAYLOAD  every other part that is not a multipart, in order
#   attachment LOCATION CONTENT-ID    what iter_attachments gives for the document
# An absent text is "-". Usage: mht_peer.py FILE.mht
import email
import email.policy
import re
import sys

META = re.compile(rb"<meta[^>]*charset\s*=\s*[\"']?([A-Za-z0-9_.:-]+)", re.I)


def hexed(value):
    if value is None:
        return "-"
    if isinstance(value, str):
        value = value.encode("utf-8")
    return value.hex() or "-"


def location(part):
    value = part.get("Content-Location")
    # A URL carries no blanks: those of its folds go.
    return None if value is None else re.sub(r"\s+", "", str(value))


def page_text(body, payload):
    if body.get_param("charset"):
        return body.get_content()
    match = META.search(payload)
    charset = match.group(1).decode() if match else "cp949"
    return payload.decode(charset, errors="replace")


def main():
    # From bytes, not from a file: a file is read with its line breaks translated.
    with open(sys.argv[1], "rb") as f:
        message = email.message_from_bytes(f.read(), policy=email.policy.default)
    body = message.get_body(preferencelist=("html",))
    lines = []
    if body is not None:
        payload = body.get_payload(decode=True)
        lines.append("body %s %s %s %s %s" % (body.get_content_type(), body.get_param("charset") or "-",
                                              body.get("Content-Transfer-Encoding", "7bit").lower(),
                                              hexed(payload), hexed(page_text(body, payload))))
    for part in message.walk():
        if part.is_multipart() or part is body:
            continue
        lines.append("part %s %s %s %s" % (hexed(location(part)), hexed(part.get("Content-ID")),
                                           part.get("Content-Transfer-Encoding", "7bit").lower(),
                                           hexed(part.get_payload(decode=True))))
    for part in message.iter_attachments():
        lines.append("attachment %s %s" % (hexed(location(part)), hexed(part.get("Content-ID"))))
    print("\n".join(lines))


main()
