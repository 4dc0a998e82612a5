#!/usr/bin/env python3
"""Peer for the MIME library tests: Python's email, base64, binascii and quopri modules.

    mime_peer.py COMMAND IN OUT

b64encode, b64decode, qpencode, qpdecode: code the bytes of IN into OUT.
dump:  parse the message in IN and write its structure to OUT; exit 3 when Python finds defects.
write: write to IN the message named by OUT's first line (see MESSAGES) and its structure to OUT.
"""
import base64
import binascii
import email
import email.message
import email.policy
import email.utils
import quopri
import sys
from email.mime.application import MIMEApplication
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText


def raw_params(value):
    params = []
    for piece in email.message._parseparam(value)[1:]:
        if '=' not in piece:
            continue
        name, _, val = piece.partition('=')
        params.append((name.strip().lower(), email.utils.unquote(val.strip())))
    return params


def h(text):
    """The bytes of a text that the parser decoded with surrogate escapes, in hex."""
    return str(text).encode('ascii', 'surrogateescape').hex()


def dump(msg, out, depth=0):
    out.append('entity %d' % depth)
    for name, value in msg.raw_items():
        out.append('field %s: %s' % (name.lower(), h(value)))
    ctype = msg.get('content-type')
    if ctype is not None:
        out.append('type %s' % msg.get_content_type())
        for name, value in raw_params(str(ctype)):
            out.append('param %s=%s' % (name, h(value)))
    if msg.is_multipart():
        out.append('preamble %s' % h(msg.preamble or ''))
        for part in msg.get_payload():
            dump(part, out, depth + 1)
        out.append('epilogue %s' % h(msg.epilogue or ''))
    else:
        payload = msg.get_payload(decode=True) or b''
        out.append('body %s' % payload.hex())
    return out


def defects(msg):
    found = list(msg.defects)
    for value in msg.values():
        found.extend(getattr(value, 'defects', []))
    if msg.is_multipart():
        for part in msg.get_payload():
            found.extend(defects(part))
    return found


def related_message():
    outer = MIMEMultipart('related', boundary='----=_Part_Boundary_0001')
    outer['From'] = 'Forms <forms@example.com>'
    outer['Subject'] = 'A subject long enough that the writer has to fold it onto a second line of the header'
    outer['Date'] = 'Tue, 01 Jul 2003 10:52:37 +0900'
    html = MIMEText('<html><body>\uc548\ub155 \ud558\uc138\uc694</body></html>\n', 'html', 'euc-kr')
    html['Content-Location'] = 'file://c:/test.htm'
    outer.attach(html)
    qp = MIMEText('caf\xe9 = ' + 'long line ' * 12 + '\ntrailing space \n', 'plain', 'iso-8859-1')
    outer.attach(qp)
    seven = MIMEText('just ascii text\nsecond line\n', 'plain', 'us-ascii')
    outer.attach(seven)
    image = MIMEBase('image', 'gif')
    image.set_payload(bytes(range(256)) * 3)
    email.encoders.encode_base64(image)
    image.add_header('Content-Disposition', 'attachment', filename=('utf-8', '', '\uadf8\ub9bc.gif'))
    outer.attach(image)
    app = MIMEApplication(b'\x00\x01binary\xff' * 40, 'octet-stream')
    app.add_header('Content-Disposition', 'attachment', filename='plain name.bin')
    outer.attach(app)
    return outer


def nested_message():
    outer = MIMEMultipart('mixed', boundary='outer-b')
    outer['Subject'] = 'nested'
    inner = MIMEMultipart('alternative', boundary='inner-b')
    inner.attach(MIMEText('plain\n', 'plain', 'us-ascii'))
    inner.attach(MIMEText('<p>html</p>\n', 'html', 'us-ascii'))
    outer.attach(inner)
    outer.preamble = 'This is a multi-part message in MIME format.'
    outer.epilogue = 'the end\n'
    return outer


MESSAGES = {'related': related_message, 'nested': nested_message}


def main():
    command, source, target = sys.argv[1:4]
    if command == 'write':
        with open(target, 'r') as f:
            name = f.readline().strip()
        msg = MESSAGES[name]()
        data = msg.as_bytes(policy=email.policy.compat32.clone(linesep='\n'))
        with open(source, 'wb') as f:
            f.write(data)
        reparsed = email.message_from_bytes(data, policy=email.policy.compat32)
        with open(target, 'w') as f:
            f.write('\n'.join(dump(reparsed, [])) + '\n')
        return 0
    with open(source, 'rb') as f:
        data = f.read()
    if command == 'b64encode':
        result = base64.encodebytes(data)
    elif command == 'b64decode':
        result = binascii.a2b_base64(data)
    elif command == 'qpencode':
        result = quopri.encodestring(data)
    elif command == 'qpdecode':
        result = quopri.decodestring(data)
    elif command == 'dump':
        strict = email.message_from_bytes(data, policy=email.policy.default)
        problems = defects(strict)
        msg = email.message_from_bytes(data, policy=email.policy.compat32)
        with open(target, 'w') as f:
            f.write('\n'.join(dump(msg, [])) + '\n')
            for problem in problems:
                f.write('defect %r\n' % problem)
        return 3 if problems else 0
    else:
        return 2
    with open(target, 'wb') as f:
        f.write(result)
    return 0


if __name__ == '__main__':
    sys.exit(main())
