# Writes the MHT documents of other writers that the converter's peer tests read: documents made
# with Python's email package (and a few written byte by byte where a form of header the package
# never writes is wanted). Run once with Debian's /usr/bin/python3; the files are checked in.
import email.policy
import os
from email.message import EmailMessage
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email import encoders

from corpus_images import png

CRLF = email.policy.SMTP  # CR LF line ends
KOREAN = "\uc548\ub155\ud558\uc138\uc694, \uc591\uc2dd \ubcf4\uae30"  # "Hello, view the form"


def write(name, data):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "wb") as f:
        f.write(data)


def related(html, charset, cte, parts, start=None, policy=CRLF):
    root = EmailMessage(policy=policy)
    root["MIME-Version"] = "1.0"
    root["Subject"] = "peer document"
    root.set_content(html, subtype="html", charset=charset, cte=cte)
    root.make_related()
    if start:
        root.set_param("start", start)
    for data, maintype, subtype, headers in parts:
        root.add_related(data, maintype=maintype, subtype=subtype, cid=headers.get("Content-ID"))
        part = root.get_payload()[-1]
        for key, value in headers.items():
            if key != "Content-ID":
                part[key] = value
    return root


# Quoted-printable UTF-8 page whose images are named by cid: references.
html = ("<html><head><title>cid</title></head><body><p>" + KOREAN + "</p>\n"
        "<img src=\"cid:logo@peer\"> <img src='cid:stamp@peer' alt=\"a > b\">\n</body></html>\n")
write("python-qp-utf8-cid.mht", related(html, "utf-8", "quoted-printable", [
    (png(200, 10, 10), "image", "png", {"Content-ID": "<logo@peer>"}),
    (png(10, 200, 10), "image", "png", {"Content-ID": "<stamp@peer>"}),
]).as_bytes())

# Base64 EUC-KR page whose images are named by Content-Location, and a style sheet.
html = ("<html><head><link rel=stylesheet href=\"style.css\"></head><body><p>" + KOREAN + "</p>"
        "<img src=\"images/a.png\"><table background=\"b.png\"><tr><td>x</td></tr></table></body></html>")
write("python-base64-euckr.mht", related(html, "euc-kr", "base64", [
    (png(10, 10, 200), "image", "png", {"Content-Location": "http://peer.example/forms/images/a.png"}),
    (png(250, 240, 10), "image", "png", {"Content-Location": "http://peer.example/forms/b.png"}),
    (b"p { color: red }\n", "text", "css", {"Content-Location": "http://peer.example/forms/style.css"}),
]).as_bytes())

# A mail: related > alternative (plain, HTML) and an image named by cid:, lines ended by LF.
alternative = EmailMessage(policy=email.policy.default)
alternative.set_content("plain text of the mail\n")
alternative.add_alternative("<html><body><p>" + KOREAN + "</p><img src=\"cid:pic@mail\"></body></html>\n",
                            subtype="html")
del alternative["MIME-Version"]
msg = MIMEMultipart("related", boundary="mail-related", policy=email.policy.default)
msg["Subject"] = "nested"
msg.attach(alternative)
picture = MIMEBase("image", "png", policy=email.policy.default)
picture.set_payload(png(0, 64, 255))
encoders.encode_base64(picture)
picture["Content-ID"] = "<pic@mail>"
msg.attach(picture)
write("python-nested-alternative.mht", msg.as_bytes())

# The page first, then an HTML attachment: the attachment is a part like any other.
page = related("<html><body><p>page</p><img src=\"cid:i@att\"></body></html>\n", "utf-8", "7bit",
               [(png(1, 2, 3), "image", "png", {"Content-ID": "<i@att>"})])
attachment = EmailMessage(policy=CRLF)
attachment.set_content("<html><body><p>attached page</p></body></html>\n", subtype="html")
attachment["Content-Disposition"] = 'attachment; filename="other.html"'
attachment["Content-Location"] = "other.html"
page.attach(attachment)
write("python-html-attachment.mht", page.as_bytes())

# A start parameter naming the second part as the root.
root = MIMEMultipart("related", boundary="start-boundary")
first = MIMEText("<html><body>frame, not the page</body></html>", "html", "utf-8")
first["Content-ID"] = "<frame@start>"
second = MIMEText("<html><body><p>the page</p><img src=\"cid:img@start\"></body></html>", "html", "utf-8")
second["Content-ID"] = "<page@start>"
image = MIMEBase("image", "png")
image.set_payload(png(9, 9, 9))
encoders.encode_base64(image)
image["Content-ID"] = "<img@start>"
for part in (first, second, image):
    root.attach(part)
root.set_param("start", "<page@start>")
root.set_param("type", "text/html")
write("python-start-parameter.mht", root.as_bytes(policy=CRLF))

# Compact and folded headers, a page without Content-Transfer-Encoding, a first header line
# longer than 100 characters, and a binary part holding NUL bytes; written byte by byte.
binary = bytes(range(256)) * 3
text = (b"Subject: a first header line of this document that is longer than one hundred characters, "
        b"as mail programs write\r\n"
        b"MIME-Version:1.0\r\n"
        b"content-type:multipart/related;\r\n\tboundary=\"compact\"\r\n"
        b"\r\n"
        b"--compact\r\n"
        b"CONTENT-TYPE:text/html;charset=us-ascii\r\n"
        b"\r\n"
        b"<html><body><p>compact</p><img src=\"http://peer.example/a/very/long/folded/name.png\">"
        b"<img src=\"data.bin\"></body></html>\r\n"
        b"--compact\r\n"
        b"Content-Type:image/png\r\n"
        b"Content-Transfer-Encoding:base64\r\n"
        b"Content-Location:http://peer.example/a/very/\r\n"
        b" long/folded/name.png\r\n"
        b"\r\n" + __import__("base64").encodebytes(png(5, 6, 7)).replace(b"\n", b"\r\n") +
        b"--compact\r\n"
        b"Content-Type: application/octet-stream\r\n"
        b"Content-Transfer-Encoding: binary\r\n"
        b"Content-Location: http://peer.example/data.bin\r\n"
        b"\r\n" + binary + b"\r\n"
        b"--compact--\r\n")
write("handmade-compact-folded-binary.mht", text)
