# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Acts on zandrel's controls through AT-SPI and checks that the dialog followed."""
import sys
import time

import pyatspi


def wait_for(what, fn, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = fn()
        if value:
            return value
        time.sleep(0.1)
    sys.exit(f"FAIL: {what}")


def find(node, pred):
    if pred(node):
        return node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        found = child and find(child, pred)
        if found:
            return found
    return None


def app():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((a for a in desktop if a and a.name == "zandrel"), None)


def control(role, name=None):
    return wait_for(f"{role} {name or ''} in the tree",
                    lambda: find(app(), lambda n: n.getRole() == role
                                 and (name is None or n.name == name)))


def toggle(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Toggle" not in names:
        sys.exit(f"FAIL: {node.name} offers no Toggle action: {names}")
    action.doAction(names.index("Toggle"))


def entry_text():
    text = control(pyatspi.ROLE_TEXT).queryText()
    return text.getText(0, text.characterCount)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


wait_for("zandrel on the accessibility bus", app, 30)
kind4 = control(pyatspi.ROLE_RADIO_BUTTON, "numbers4")
use = control(pyatspi.ROLE_CHECK_BOX, "使用")
if entry_text() != "041":
    sys.exit(f"FAIL: the start shows '{entry_text()}', not 041")

toggle(kind4)
wait_for("the entry to show the four-digit number", lambda: entry_text() == "0042")
wait_for("numbers4 to be checked", lambda: checked(kind4))
wait_for("the caption to follow", lambda: find(app(), lambda n: n.name == "before-no = 0042"))

toggle(control(pyatspi.ROLE_RADIO_BUTTON, "numbers3"))
wait_for("the entry to show the three-digit number", lambda: entry_text() == "041")

toggle(use)
wait_for("使用 to be unticked", lambda: not checked(use))
toggle(use)
wait_for("使用 to be ticked again", lambda: checked(use))
print("AT-SPI: Toggle on numbers4, numbers3 and 使用 acted as clicks")
