"""An X server of a test's own."""

import os
import select
import subprocess
import time

from . import Failure
from .processes import start, stop_process


class XServer:
    """An Xvfb of the given screen ("WIDTHxHEIGHTxDEPTH") on a display number
    that it picks itself.

    It never resets: an X server that restarts when its last client leaves
    drops whoever connects meanwhile, and programs come and go here."""

    def __init__(self, screen="800x600x24"):
        read_fd, write_fd = os.pipe()
        self.process = start(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.display = None
        try:
            number = self._read_display(read_fd)
        finally:
            os.close(read_fd)
        if number is None:
            self.stop()
            raise Failure("Xvfb did not report a display number within 30 s")
        self.display = ":" + number

    @classmethod
    def of_size(cls, width, height):
        return cls("%dx%dx24" % (width, height))

    def _read_display(self, fd):
        deadline = time.monotonic() + 30
        data = b""
        while time.monotonic() < deadline and b"\n" not in data:
            if self.process.poll() is not None:
                return None
            ready, _, _ = select.select([fd], [], [], 0.5)
            if ready:
                chunk = os.read(fd, 64)
                if not chunk:
                    break
                data += chunk
        text = data.decode().strip()
        return text if text.isdigit() else None

    def stop(self):
        stop_process(self.process)

