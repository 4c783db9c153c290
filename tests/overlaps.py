#!/usr/bin/python3
# overlaps: whether a box shows all it says. Reads the box's controls from
# the accessibility tree (what a screen reader finds, and where), and fails
# when two of them lie over each other or one lies past the edge of the box
# as the X server sizes it (xwininfo): a note drawn over a field, a button
# cut in half.
# Usage: overlaps.py TITLE XID   (the program runs with its accessibility on)
import subprocess
import sys

import pyatspi

# What holds controls, rather than being one: looked into, not compared.
CONTAINERS = {"filler", "panel", "scroll pane", "viewport", "dialog", "frame", "window"}
# The size grip sits in the box's corner over whatever is there, by design.
DECORATIONS = {"unknown"}


def showing(node):
    return node is not None and node.getState().contains(pyatspi.STATE_SHOWING)


def controls(node):
    for child in node:
        if not showing(child):
            continue
        role = child.getRoleName()
        if role in CONTAINERS:
            yield from controls(child)
        elif role not in DECORATIONS:
            yield child


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def find(title):
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == title and showing(window):
                return window
    return None


def main():
    title, xid = sys.argv[1], sys.argv[2]
    box = find(title)
    if box is None:
        sys.exit(f"FAIL: no box {title} in the accessibility tree")
    info = subprocess.run(["xwininfo", "-id", xid], capture_output=True, text=True, check=True).stdout
    field = {line.split(":")[0].strip(): line.split(":")[1].strip() for line in info.splitlines() if ":" in line}
    width, height = int(field["Width"]), int(field["Height"])
    bx, by, bw, bh = extents(box)
    # The tree may count in the desktop's scaled pixels, the X server in the
    # screen's: the box's own width tells the one from the other.
    scale = width / bw
    found = []
    faults = []
    for control in controls(box):
        x, y, w, h = extents(control)
        name = f"{control.getRoleName()} «{control.name[:40]}»"
        left, top = (x - bx) * scale, (y - by) * scale
        right, bottom = left + w * scale, top + h * scale
        if left < -1 or top < -1 or right > width + 1 or bottom > height + 1:
            faults.append(f"{name} at {left:.0f},{top:.0f}-{right:.0f},{bottom:.0f} past a box of {width}x{height}")
        found.append((name, x, y, w, h))
    for i, (a, ax, ay, aw, ah) in enumerate(found):
        for b, x, y, w, h in found[i + 1:]:
            across = min(ax + aw, x + w) - max(ax, x)
            down = min(ay + ah, y + h) - max(ay, y)
            if across > 1 and down > 1:
                faults.append(f"{a} and {b} overlap by {across}x{down}")
    if faults:
        sys.exit(f"FAIL: in {title}: " + "; ".join(faults))
    print(f"ok: {len(found)} controls of {title}, none over another, all inside its {width}x{height}")


main()
