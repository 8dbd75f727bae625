#!/usr/bin/python3
"""A screen reader's ear on a Memory run: starts TORVIK (the command line's
arguments), presses Memory through the accessibility bus and records every
name and value change it hears, with the moment it arrived. Each change must
arrive when it happens (not in one burst when the completion box opens) and
once: the result and the total once each, the gauge's step once with its
value at that moment, nothing from labels whose text did not change.

Then a screen reader's question during a processor test: when the gauge
steps to 50 % (the prime test done, the trigonometric test beginning), it
asks about the gauge as a reader does, one call after the other (each sent
when the one before is answered), more calls than the test has blocks. The
whole question must be answered while the test still runs: the gauge's
value in the last answer is still 50 (it steps to 100 when the test ends).
A program that answered one call at each pump between the test's blocks
would reach the end of the test first.
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


def press(name):
    app = torvik()
    if app is None or any(window.getRole() == pyatspi.ROLE_ALERT for window in app):
        return True  # not on the bus yet, or a box still open: ask again
    button = pyatspi.findDescendant(app, lambda a: a.name == name and a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    if button is None or not button.getState().contains(pyatspi.STATE_ENABLED):
        return True
    moments["press"] = time.monotonic()
    button.queryAction().doAction(0)
    return False


# The question asked at the gauge's step to 50 %: this many calls, one after
# the other (the trigonometric test has ten blocks).
QUESTION_CALLS = 24
question = {}


def on_cpu_event(event):
    if event.type.endswith("accessible-value") and "values" not in question:
        gauge = event.source
        if gauge.queryValue().currentValue != 50:
            return  # the group's start, the gauge back to 0
        question["values"] = []
        value = gauge.queryValue()
        for call in range(QUESTION_CALLS):
            # Each a call of the program of its own (libatspi keeps no value).
            if call % 3 == 0:
                value.minimumValue
            elif call % 3 == 1:
                value.maximumValue
            else:
                question["values"].append(value.currentValue)
        question["calls"] = QUESTION_CALLS
    elif event.type.startswith("object:state-changed:showing") and event.detail1 == 1 \
            and event.source.getRole() == pyatspi.ROLE_ALERT and "box" not in question:
        question["box"] = True
        GLib.timeout_add(500, pyatspi.Registry.stop)


def ask_during_cpu():
    """The second run of the same program: CPU, with a question during its
    trigonometric test. Returns the failures."""
    pyatspi.Registry.deregisterEventListener(on_event, *LISTENED)
    pyatspi.Registry.registerEventListener(on_cpu_event, *LISTENED)
    GLib.timeout_add(200, lambda: press("CPU"))
    GLib.timeout_add_seconds(300, give_up)
    pyatspi.Registry.start()
    if "box" not in question:
        return ["no completion box after the CPU group"]
    values = question.get("values", [])
    print("question at the 50 %% step: %d calls, gauge values %s" % (question.get("calls", 0), values))
    if not values or values[-1] != 50:
        return ["the question asked at the 50 %% step was not answered while the trigonometric test ran "
                "(the gauge had moved on to %s by its last answer)" % (values[-1] if values else None)]
    return []


LISTENED = ("object:property-change:accessible-name", "object:property-change:accessible-value",
            "object:state-changed:showing")


def give_up():
    print("FAIL: no completion box within the time allowed; heard:")
    for arrival, kind, source, value in heard[-12:]:
        print("  %.3f %s %s %s" % (arrival - moments.get("press", 0), kind, source, value))
    pyatspi.Registry.stop()
    return False


def main():
    global app_process
    # A call waits for its answer however long the program takes (libatspi
    # gives up after 0.8 s by itself): the order of the answers and the
    # events decides, not a clock.
    pyatspi.setTimeout(120_000, 120_000)
    # Listening before the program starts: its bridge asks which events are
    # listened to once, as it comes up.
    pyatspi.Registry.registerEventListener(on_event, *LISTENED)
    app_process = subprocess.Popen(sys.argv[1:])
    failures = []
    try:
        GLib.timeout_add(200, lambda: press("Memory"))
        GLib.timeout_add_seconds(300, give_up)
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
        # The completion box answered, the same program runs the CPU group.
        box = pyatspi.findDescendant(torvik(), lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "OK")
        if box is None:
            failures.append("the completion box has no OK button")
        else:
            box.queryAction().doAction(0)
            failures += ask_during_cpu()
    finally:
        app_process.kill()
        app_process.wait()
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
