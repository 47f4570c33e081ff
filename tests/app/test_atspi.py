#!/usr/bin/python3
"""The running editor as a screen reader sees it over AT-SPI, with the filter showing the sounds
that hold TEXT: the window is a frame; the list a table, several of whose rows may be picked,
whose columns have headings; a row picked is told in the numbering of the rows shown, alike by
both ways of asking. (The names of the controls and the flags' actions are the window tests'.)

    test_atspi.py TEXT    (with the editor running in this D-Bus session)
"""
import sys
import time

import pyatspi


def fail(why):
    sys.exit(f"FAIL: {why}")


def find(node, role):
    for child in node or []:
        if child is not None:
            found = child if child.getRoleName() == role else find(child, role)
            if found:
                return found
    return None


def main():
    needle = sys.argv[1].lower()
    window = None
    for _ in range(75):
        apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None]
        app = next((a for a in apps if a.name.lower() == "sondrel"), None)
        window = find(app, "frame") if app else None
        if window is not None:
            break
        time.sleep(0.2)
    if window is None or not window.name.endswith(" - OBEL Sondrel"):
        fail(f"no frame '... - OBEL Sondrel' for the application: {window}")
    sounds = find(window, "table")
    if sounds is None or sounds.name != "Sounds":
        fail("the list is not a table named 'Sounds'")
    if not sounds.getState().contains(pyatspi.STATE_MULTISELECTABLE):
        fail("the list does not say that several sounds may be picked")
    table = sounds.queryTable()
    headings = [table.getColumnHeader(i).name for i in range(table.nColumns)]
    if headings[:3] != ["Sound", "Range", "Volume"]:
        fail(f"the list's columns read {headings}")
    # Every row shown holds the text; the fourth picked is the fourth, asked either way.
    names = [table.getAccessibleAt(row, 0).name for row in range(table.nRows)]
    if len(names) < 4 or any(needle not in name.lower() for name in names):
        fail(f"the filter '{needle}' shows {names}")
    table.addRowSelection(3)
    time.sleep(0.5)
    picked = [row for row in range(table.nRows) if table.isRowSelected(row)]
    if list(table.getSelectedRows()) != [3] or picked != [3]:
        fail(f"picked the fourth row shown: selected rows {table.getSelectedRows()}, {picked}")
    print(f"a frame, and a table of {table.nRows} sounds holding '{needle}', the fourth picked")


main()
