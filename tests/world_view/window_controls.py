#!/usr/bin/python3
# velmora-world's buttons and labels on screen, as a screen reader finds them on the
# accessibility bus.
#   window_controls.py             prints "role: name", one a line, buttons and labels
#   window_controls.py press NAME  presses the button named NAME as a screen reader does (its
#                                  first action); fails when there is none
import sys

import pyatspi


def walk(node, found):
    try:
        role = node.getRoleName()
        count = node.childCount
    except Exception:
        return
    if role in ("push button", "label") and node.getState().contains(pyatspi.STATE_SHOWING):
        found.append((role, node.name, node))
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, found)


def controls():
    found = []
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name == "velmora-world":
            walk(application, found)
    return found


if len(sys.argv) == 3 and sys.argv[1] == "press":
    for role, name, node in controls():
        if role == "push button" and name == sys.argv[2]:
            node.queryAction().doAction(0)
            sys.exit(0)
    sys.exit(1)
for role, name, _ in controls():
    print(role + ": " + name)
