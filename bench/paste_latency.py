"""Times a paste from the panel on a running X desktop (window manager and the program already
up): a test window with a text field has the focus, the panel is opened with the shortcut, and
Shift+Return is pressed; the time runs from the moment xdotool is started to press the keys
(its own start included) to the moment the field holds the pasted text. The moment the test
window reports the focus back is noted too, for the share of the focus wait. Median of 20.

    paste_latency.py <nimbrook> <test window program> <folder> <output json>
"""
import json
import subprocess
import sys
import threading
import time
from pathlib import Path

PASTES = 20
TITLE = "pastebench"


def until(condition, seconds, pause=0.001):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(pause)
    return False


def succeeds(*command):
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def output(*command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout


def active_title():
    return output("xdotool", "getactivewindow", "getwindowname").decode(errors="replace").strip()


def panel_shown():
    return succeeds("xdotool", "search", "--onlyvisible", "--name", "^萤川$")


def open_panel():
    # The shortcut may be pressed before the program has the grab back after the last paste.
    for _ in range(10):
        subprocess.run(["xdotool", "key", "super+v"], check=True)
        if until(panel_shown, 2, 0.01):
            return
    raise SystemExit("the panel never showed")


def main():
    program, window, folder, out = sys.argv[1], sys.argv[2], Path(sys.argv[3]), Path(sys.argv[4])
    field = folder / "pasted.txt"
    target = subprocess.Popen([window, TITLE, str(field)], stdout=subprocess.PIPE, text=True)
    # Each time the test window gets the focus it prints a line; the moments are kept.
    focused_at = []
    threading.Thread(target=lambda: [focused_at.append(time.perf_counter()) for _ in target.stdout],
                     daemon=True).start()
    try:
        if not until(lambda: active_title() == TITLE, 20, 0.05):
            raise SystemExit("the test window never had the focus")
        totals, focus_waits = [], []
        for index in range(PASTES):
            text = f"paste probe {index} 萤川 {time.time()}"
            subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode(), check=True)
            if not until(lambda: output(program, "get", "1").decode(errors="replace") == text, 20, 0.05):
                raise SystemExit(f"not recorded: {text!r}")
            open_panel()
            seen = len(focused_at)
            start = time.perf_counter()
            subprocess.run(["xdotool", "key", "shift+Return"], check=True)
            arrived = until(lambda: field.exists() and field.read_text().endswith(text), 10)
            end = time.perf_counter()
            if not arrived:
                raise SystemExit(f"not pasted: {text!r}")
            totals.append(end - start)
            # The window manager settles before the next round opens the panel again, and the
            # test window's line about the focus has been read by then.
            until(lambda: active_title() == TITLE and len(focused_at) > seen, 5, 0.01)
            if len(focused_at) > seen:
                focus_waits.append(focused_at[seen] - start)
        json.dump({"totals": totals, "focus_waits": focus_waits}, out.open("w"))
    finally:
        target.kill()
        target.wait()


if __name__ == "__main__":
    main()
