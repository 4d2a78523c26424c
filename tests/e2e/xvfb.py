"""A virtual X screen on a free display, for the end-to-end tests."""

import os
import subprocess


def start_xvfb(width, height):
    """Starts Xvfb with one screen of that size; the process and its display
    number. The caller stops the process by its id."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
         "-nolisten", "tcp"],
        pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        display = numbers.readline().strip()
    if not display:
        xvfb.kill()
        xvfb.wait()
        raise RuntimeError("Xvfb did not start")
    return xvfb, display
