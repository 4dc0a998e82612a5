# Writes the MHT snapshots that headless Chromium makes of the pages in chromium-pages/ (a page
# with a frame and Korean text in UTF-8, and a page in EUC-KR), through the DevTools protocol's
# Page.captureSnapshot on a pipe. Run once with Debian's /usr/bin/python3; the files are
# checked in.
import json
import os
import shutil
import subprocess
import sys
import tempfile

from corpus_images import png

HERE = os.path.dirname(os.path.abspath(__file__))
PAGES = os.path.join(HERE, "chromium-pages")


def write_pages():
    os.makedirs(PAGES, exist_ok=True)
    korean = "\uc548\ub155\ud558\uc138\uc694, \uc591\uc2dd \ubcf4\uae30"
    files = {
        "frame-main.htm": ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>main</title></head>"
                           "<body><p>" + korean + " (main)</p><img src=\"red.png\">"
                           "<iframe src=\"frame-inner.htm\"></iframe></body></html>\n").encode("utf-8"),
        "frame-inner.htm": ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><p>" + korean +
                            " (frame)</p><img src=\"blue.png\"></body></html>\n").encode("utf-8"),
        "korean-euckr.htm": ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=euc-kr\"><link rel=\"stylesheet\" href=\"style.css\"></head><body><p>" +
                             korean + "</p><img src=\"blue.png\"></body></html>\n").encode("euc-kr"),
        "style.css": b"p { color: green }\n",
        "red.png": png(220, 20, 20),
        "blue.png": png(0, 64, 255),
    }
    for name, data in files.items():
        with open(os.path.join(PAGES, name), "wb") as f:
            f.write(data)


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp()
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()

        # The browser reads commands on descriptor 3 and writes replies on descriptor 4.
        def pipes():
            high_r, high_w = os.dup(to_child_r), os.dup(from_child_w)
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self.process = subprocess.Popen(
            [shutil.which("chromium"), "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--user-data-dir=" + self.profile, "--remote-debugging-pipe",
             "--allow-file-access-from-files", "about:blank"],
            pass_fds=(3, 4), preexec_fn=pipes, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buffer = b""
        self.next_id = 0

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(reply["error"])
                return reply["result"]

    def receive(self):
        while b"\0" not in self.buffer:
            data = os.read(self.from_child, 1 << 20)
            if not data:
                raise RuntimeError("chromium closed the pipe")
            self.buffer += data
        text, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(text)

    def wait_event(self, method, session):
        while True:
            event = self.receive()
            if event.get("method") == method and event.get("sessionId") == session:
                return event

    def snapshot(self, url):
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.send("Page.enable", session=session)
        self.send("Page.navigate", {"url": url}, session=session)
        self.wait_event("Page.loadEventFired", session)
        data = self.send("Page.captureSnapshot", {"format": "mhtml"}, session=session)["data"]
        self.send("Target.closeTarget", {"targetId": target})
        return data

    def close(self):
        try:
            self.send("Browser.close")
        except RuntimeError:
            pass
        self.process.wait(timeout=30)
        shutil.rmtree(self.profile, ignore_errors=True)


def main():
    write_pages()
    # Served from a fixed folder, so the snapshots name the same locations wherever this runs.
    served = "/tmp/mht-pages"
    shutil.rmtree(served, ignore_errors=True)
    shutil.copytree(PAGES, served)
    browser = Browser()
    try:
        for page, out in (("frame-main.htm", "chromium-frames-utf8.mht"),
                          ("korean-euckr.htm", "chromium-korean-euckr.mht")):
            data = browser.snapshot("file://" + os.path.join(served, page))
            # The protocol hands the snapshot over as text: each character is one byte of it.
            with open(os.path.join(HERE, out), "wb") as f:
                f.write(data.encode("latin-1"))
    finally:
        browser.close()
        shutil.rmtree(served, ignore_errors=True)
    return 0


sys.exit(main())
