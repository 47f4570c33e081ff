#!/usr/bin/python3
"""The running editor as a screen reader sees it over AT-SPI: every control has its name, the
list is a table whose columns have headings, and a flag label is a check box whose press
action switches it and whose checked state follows.

    test_atspi.py    (with the editor running in this D-Bus session)
"""
import sys
import time

import pyatspi


def find_application(name, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == name:
                return app
        time.sleep(0.2)
    sys.exit(f"FAIL: no application '{name}' on the accessibility bus")


def controls(node, found):
    for child in node:
        if child is None:
            continue
        found.append(child)
        controls(child, found)
    return found


def main():
    app = find_application("sondrel")
    window = next((w for w in app if w is not None and w.name.endswith(" - OBEL Sondrel")), None)
    if window is None:
        sys.exit("FAIL: no window '... - OBEL Sondrel'")
    seen = controls(window, [])
    named = {(c.getRoleName(), c.name) for c in seen}
    wanted = {("tree", "Sounds"), ("text", "Find a sound"), ("text", "Range"), ("text", "Volume"), ("text", "Pitch"),
              ("text", "Chance"), ("push button", "Save"), ("push button", "Update"),
              ("check box", "P flag"), ("check box", "V flag"), ("check box", "Loop mode R"),
              ("check box", "Loop mode L"), ("check box", "N flag"),
              ("table cell", "KV5 Sound 12 - 45")}
    wanted |= {("table column header", heading) for heading in
               ("Sound", "Range", "Volume", "Pitch", "Chance", "Flags", "Samples", "Slots")}
    missing = wanted - named
    if missing:
        sys.exit(f"FAIL: not announced: {sorted(missing)}; seen: {sorted(named)}")
    if not any(c.getRoleName() == "combo box" for c in seen):
        sys.exit("FAIL: no combo box for the samples")

    # The list is a table: each cell is read with its column's heading.
    table = next(c for c in seen if c.name == "Sounds").queryTable()
    headings = [table.getColumnHeader(i).name for i in range(table.nColumns)]
    if headings[:3] != ["Sound", "Range", "Volume"] or table.nRows < 10:
        sys.exit(f"FAIL: the list's columns read {headings}, {table.nRows} rows")

    flag = next(c for c in seen if c.name == "V flag")
    action = flag.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    press = names.index("Press") if "Press" in names else 0

    def checked():
        return flag.getState().contains(pyatspi.STATE_CHECKED)

    states = []
    for _ in range(2):  # the first press clears the start colour, the second sets the flag
        action.doAction(press)
        time.sleep(0.3)
        states.append(checked())
    if states != [False, True]:
        sys.exit(f"FAIL: the V flag's checked state after two presses: {states}")
    print("announced:", ", ".join(f"{role} '{name}'" for role, name in sorted(wanted)))


main()
