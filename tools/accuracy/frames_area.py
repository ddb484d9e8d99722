#!/usr/bin/python3
"""Checks the plot area plotsnap-cli finds on the frame and axes charts against the
frame's inner edges (the axes' box moved inward by half the frame's width; with
open axes the top and right are where the axis lines end).

usage: frames_area.py PLOTSNAP_CLI CHARTDIR
"""
import json
import os
import re
import subprocess
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, chartdir = sys.argv[1:]
    print("%-14s %-28s %-28s %s" % ("chart", "inner edges", "found", "worst px"))
    for name in sorted(os.listdir(chartdir)):
        if not name.endswith(".json"):
            continue
        t = json.load(open(os.path.join(chartdir, name)))
        if "frame_px" not in t["spec"] or "bbox" not in t:
            continue
        half = t["spec"]["frame_px"] / 2.0
        x0, y0, x1, y1 = t["bbox"]
        open_axes = t["spec"].get("open")
        want = [x0 + half, y0 - half if open_axes else y0 + half, x1 + half if open_axes else x1 - half, y1 - half]
        proc = subprocess.run([cli, "process", os.path.join(chartdir, t["picture"]), "--list-patches"],
                              capture_output=True, text=True)
        m = re.search(r"top left =(-?\d+),(-?\d+); bottom right=(-?\d+),(-?\d+)", proc.stderr)
        got = [int(v) for v in m.groups()] if m else None
        worst = max(abs(g - w) for g, w in zip(got, want)) if got else float("nan")
        print("%-14s %-28s %-28s %.1f" % (t["name"], ",".join("%.1f" % v for v in want),
                                           ",".join(map(str, got)) if got else "-", worst))


if __name__ == "__main__":
    main()
