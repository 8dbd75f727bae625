#!/usr/bin/python3
"""A screen reader's ear on a Memory run: starts TORVIK (the command line's
arguments), presses Memory through the accessibility bus and records every
name and value change it hears, with the moment it arrived. Each change must
arrive when it happens (not in one burst when the completion box opens) and
once: the result and the total once each, the gauge's step once with its
value at that moment, nothing from labels whose text did not change.
Run inside a D-Bus session of its own; prints FAIL lines, exits 1 on any."""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

RESULT_NAMES = {"Prime Calc", "Trigonometric", "Square", "Circle", "Triangle", "Text", "Scroll", "Memory",
                "HDD Write 40MB", "HDD Write 50MB", "HDD Write 60MB", "HDD Read 40MB", "HDD Read 50MB",
                "HDD Read 60MB", "MIX Mode", "Total"}
MEASURING = "計測中！"
# The memory test pauses for one second before its copies: a status and the
# result that arrive closer together than this came in one burst.
APART = 0.5

heard = []  # (arrival, event type, source, value read on arrival or None)
moments = {}
app_process = None


def on_event(event):
    arrival = time.monotonic()
    value = None
    if event.type.endswith("accessible-value"):
        value = event.source.queryValue().currentValue  # as a reader asks it, at once
    heard.append((arrival, event.type, event.source, value))
    if event.type.startswith("object:state-changed:showing") and event.detail1 == 1 \
            and event.source.getRole() == pyatspi.ROLE_ALERT and "box" not in moments:
        moments["box"] = arrival
        GLib.timeout_add(500, pyatspi.Registry.stop)


def torvik():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "TORVIK":
            return app
    return None


def press_memory():
    app = torvik()
    if app is None:
        return True  # not on the bus yet: ask again
    button = pyatspi.findDescendant(app, lambda a: a.name == "Memory" and a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    moments["press"] = time.monotonic()
    button.queryAction().doAction(0)
    return False


def give_up():
    print("FAIL: no completion box within the time allowed; heard:")
    for arrival, kind, source, value in heard[-12:]:
        print("  %.3f %s %s %s" % (arrival - moments.get("press", 0), kind, source, value))
    pyatspi.Registry.stop()
    return False


def main():
    global app_process
    # Listening before the program starts: its bridge asks which events are
    # listened to once, as it comes up.
    pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-name",
                                           "object:property-change:accessible-value",
                                           "object:state-changed:showing")
    app_process = subprocess.Popen(sys.argv[1:])
    failures = []
    try:
        GLib.timeout_add(200, press_memory)
        GLib.timeout_add_seconds(120, give_up)
        pyatspi.Registry.start()
        if "box" not in moments:
            return 1
        # Names are read now, the box still open: a result is announced once,
        # with its final text, so what it says now is what it said then.
        names, steps, status = [], [], None
        for arrival, kind, source, value in heard:
            if arrival < moments["press"] or arrival > moments["box"]:
                continue
            if kind.endswith("accessible-value"):
                steps.append((arrival, value))
            elif kind.endswith("accessible-name") and source.getRole() == pyatspi.ROLE_LABEL:
                name = source.name
                if name.split(":")[0] in RESULT_NAMES:
                    names.append((arrival, name))
                elif name == MEASURING and status is None:
                    status = arrival
        said = [name for _, name in names]
        if len(said) != 2 or not said[0].startswith("Memory: ") or not said[1].startswith("Total: ") \
                or not all(name.endswith(" sec") for name in said):
            failures.append("results heard %s, not the memory result and the total once each" % said)
        if [value for _, value in steps] != [100]:
            failures.append("gauge steps heard %s, not 100 once" % [value for _, value in steps])
        if status is None:
            failures.append("the status '%s' was not heard" % MEASURING)
        elif names and names[0][0] - status < APART:
            failures.append("the result came %.3f s after the status: one burst" % (names[0][0] - status))
        print("heard:", ", ".join("%.3f %s" % (t - moments["press"], n) for t, n in names + [(status or 0, MEASURING)]),
              "; gauge", ", ".join("%.3f %s" % (t - moments["press"], v) for t, v in steps),
              "; box %.3f" % (moments["box"] - moments["press"]))
    finally:
        app_process.kill()
        app_process.wait()
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
