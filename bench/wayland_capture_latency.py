"""Copies 20 texts with wl-copy on a running compositor and reports, for each, the time from
wl-copy returning to the moment the running program recorded the entry (the entry's own
timestamp, read back from the history file once it is saved).

    wayland_capture_latency.py <history file> <output json>
"""
import json
import random
import subprocess
import sys
import time
from pathlib import Path

# The history stores seconds since 2001-01-01 00:00:00 UTC.
REFERENCE_EPOCH = 978307200
COPIES = 20


def recorded_at(history, text, deadline):
    while time.time() < deadline:
        try:
            entries = json.loads(history.read_text())
        except (OSError, ValueError):
            entries = []
        for entry in entries[:1]:
            if entry.get("content") == text:
                return entry["timestamp"] + REFERENCE_EPOCH
        time.sleep(0.01)
    raise SystemExit(f"not recorded within the deadline: {text!r}")


def main():
    history, output = Path(sys.argv[1]), Path(sys.argv[2])
    latencies = []
    for index in range(COPIES):
        # The program polls twice a second, and each probe would otherwise start at the same
        # phase of that poll, right after the previous save: a random pause spreads them.
        time.sleep(random.uniform(0, 0.5))
        text = f"latency probe {index} {time.time()}"
        subprocess.run(["wl-copy", text], check=True)
        returned = time.time()
        latencies.append(recorded_at(history, text, returned + 10) - returned)
    output.write_text(json.dumps({"latencies": latencies}))


if __name__ == "__main__":
    main()
