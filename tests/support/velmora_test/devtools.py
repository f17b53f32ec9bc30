"""A page in Debian's chromium, run headless and driven through the DevTools
protocol: load, press keys, read the canvas, take screenshots."""

import base64
import functools
import http.server
import io
import json
import os
import shutil
import subprocess
import tempfile
import threading
import urllib.request

import websocket
from PIL import Image

from . import Failure
from .processes import start, stop_process
from .waiting import wait_until

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--remote-debugging-port=0", "--window-size=1024,768",
]

# The keys the tests press: DOM key, DOM code and Windows virtual-key code.
KEYS = {
    "SPACE": (" ", "Space", 0x20), "LEFT": ("ArrowLeft", "ArrowLeft", 0x25),
    "UP": ("ArrowUp", "ArrowUp", 0x26), "RIGHT": ("ArrowRight", "ArrowRight", 0x27),
    "DOWN": ("ArrowDown", "ArrowDown", 0x28), "ESCAPE": ("Escape", "Escape", 0x1b),
    "S": ("s", "KeyS", 0x53), "F11": ("F11", "F11", 0x7a), "F12": ("F12", "F12", 0x7b),
    "ENTER": ("Enter", "Enter", 0x0d),
}
ALT = 1  # the protocol's modifier bit for Alt


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Server:
    """build/web served on 127.0.0.1 at a free port, in this process."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One headless chromium with a fresh profile and one page."""

    def __init__(self, chromium=None):
        chromium = chromium or os.environ.get("VELMORA_CHROMIUM") or "chromium"
        self.profile = tempfile.mkdtemp(prefix="velmora-chromium-")
        self.process = start(
            [chromium] + CHROMIUM_FLAGS + ["--user-data-dir=" + self.profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.console = []
        self.next_id = 0
        try:
            self.socket = websocket.create_connection(self._page_socket_url(), timeout=30)
        except Exception:
            self.stop()
            raise

    def _page_socket_url(self):
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        if not wait_until(lambda: os.path.exists(port_file) and
                          open(port_file).read().count("\n") >= 1, 30, step=0.05):
            raise Failure("chromium did not open its DevTools port in 30 s")
        port = open(port_file).read().split("\n")[0]
        with urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port) as answer:
            targets = json.load(answer)
        pages = [t for t in targets if t.get("type") == "page"]
        if not pages:
            raise Failure("chromium shows no page: %s" % targets)
        return pages[0]["webSocketDebuggerUrl"]

    def call(self, method, **params):
        self.next_id += 1
        ident = self.next_id
        self.socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("method") == "Runtime.consoleAPICalled":
                args = message["params"]["args"]
                self.console.append(" ".join(str(a.get("value", "")) for a in args))
            if message.get("id") == ident:
                if "error" in message:
                    raise Failure("%s failed: %s" % (method, message["error"]))
                return message.get("result", {})

    def open(self, url):
        self.call("Runtime.enable")
        self.call("Page.enable")
        # A headless page has no window to lose the focus to; this keeps it
        # focused as a player's page in front would be.
        self.call("Emulation.setFocusEmulationEnabled", enabled=True)
        self.call("Page.navigate", url=url)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise Failure("%s threw: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def state(self):
        return self.evaluate("window.velmora ? JSON.stringify(window.velmora) : null")

    def page_state(self):
        text = self.state()
        return json.loads(text) if text else {}

    def key(self, name, down, modifiers=0):
        key, code, virtual = KEYS[name]
        self.call("Input.dispatchKeyEvent", type="keyDown" if down else "keyUp", key=key,
                  code=code, windowsVirtualKeyCode=virtual, nativeVirtualKeyCode=virtual,
                  modifiers=modifiers)

    def viewport(self, width, height, mobile=False, touch=False):
        """The page as a screen of this size shows it (a phone's when mobile);
        with touch, a touch screen of five points. Call before open()."""
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=mobile,
                  screenWidth=width, screenHeight=height)
        if touch:
            self.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def centre(self, selector):
        """The middle of the element `selector` selects, in page pixels."""
        box = self.evaluate("JSON.stringify(document.querySelector(%s).getBoundingClientRect())"
                            % json.dumps(selector))
        if box is None:
            raise Failure("nothing on the page matches %s" % selector)
        box = json.loads(box)
        return box["x"] + box["width"] / 2, box["y"] + box["height"] / 2

    def touch(self, kind, points):
        """A touch event: kind is touchStart, touchMove or touchEnd; points
        are the (x, y) of the fingers still down afterwards, ids by order."""
        self.call("Input.dispatchTouchEvent", type=kind,
                  touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def click(self, selector):
        """A mouse click in the middle of the element, as a person makes it."""
        x, y = self.centre(selector)
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def hide(self):
        """Another tab comes to the front: this page is hidden. Returns the tab."""
        tab = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.call("Emulation.setFocusEmulationEnabled", enabled=False)
        return tab

    def show(self, tab):
        """The other tab closes and this page is in front again."""
        self.call("Target.closeTarget", targetId=tab)
        self.call("Page.bringToFront")
        self.call("Emulation.setFocusEmulationEnabled", enabled=True)

    def canvas(self):
        """What the canvas holds, 640 x 480, pixel for pixel."""
        # A page that draws from a worker reads its canvas there (velmoraCanvas).
        url = self.evaluate("window.velmoraCanvas ? velmoraCanvas() : "
                            "document.getElementById('screen').toDataURL('image/png')")
        data = base64.b64decode(url.split(",", 1)[1])
        return Image.open(io.BytesIO(data)).convert("RGB")

    def screenshot(self, path):
        """What a person sees: the whole page."""
        result = self.call("Page.captureScreenshot", format="png")
        with open(path, "wb") as out:
            out.write(base64.b64decode(result["data"]))
        return path

    def stop(self):
        if getattr(self, "socket", None) is not None:
            self.socket.close()
        stop_process(self.process)
        shutil.rmtree(self.profile, ignore_errors=True)
