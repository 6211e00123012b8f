#!/usr/bin/python3
# Prints the status bar fields of velmora-world's window, one a line, as a screen reader finds
# them on the accessibility bus: the one panel whose children are four labels.
import sys

import pyatspi


def fields(node):
    try:
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return None
    if len(children) == 4 and all(c is not None and c.getRoleName() == "label"
                                  for c in children):
        return [c.name for c in children]
    for child in children:
        found = fields(child) if child is not None else None
        if found is not None:
            return found
    return None


for application in pyatspi.Registry.getDesktop(0):
    if application is not None and application.name == "velmora-world":
        found = fields(application)
        if found is not None:
            print("\n".join(found))
            sys.exit(0)
sys.exit(1)
