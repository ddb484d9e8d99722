#!/usr/bin/python3
"""Draws the frame and axes layouts of the accuracy set with charts.py's drawing:
black curves on a dark grid inside a 3-px frame, a 1-px frame, a 4000x3000 chart
with a 2-px frame, 4-px curves and forty tick labels beside it, and open axes
(left and bottom lines only) with a boxed legend inside the plot.

usage: frames.py OUTDIR
"""
import os
import sys

from charts import draw_chart

BASE = {"palette": "pure", "aa": True, "format": "png", "dashed": [], "scatter": [], "logx": False,
        "logy": False, "frame": True, "legend": False}


def frame_list():
    specs = [
        {"name": "f00-dark3px", "colours": ["#000000", "#ff0000", "#0000ff"], "size": (800, 600),
         "grid": "dark", "frame_px": 3, "lw": 2.0, "seed": 3000},
        {"name": "f01-dark1px", "colours": ["#000000", "#0000ff", "#ff00ff"], "size": (1200, 800),
         "grid": "dark", "frame_px": 1, "lw": 1.5, "seed": 3001},
        {"name": "f02-12mp", "colours": ["#000000", "#ff0000", "#0000ff", "#00ff00", "#ff00ff", "#000000"],
         "size": (4000, 3000), "grid": "light", "frame_px": 2, "lw": 4 * 72.0 / 250, "yticks": 41,
         "seed": 3002},
        {"name": "f03-open", "colours": ["#000000", "#ff0000", "#0000ff", "#ff00ff", "#00ff00"],
         "size": (729, 613), "grid": "none", "frame_px": 3, "open": True, "legend_inside": True,
         "lw": 3.0, "format": "jpg", "seed": 3003},
        {"name": "f04-opendark", "colours": ["#000000", "#ff0000", "#0000ff"], "size": (800, 600),
         "grid": "dark", "frame_px": 2, "open": True, "lw": 2.0, "seed": 3004},
    ]
    return [dict(BASE, **s) for s in specs]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    for spec in frame_list():
        draw_chart(spec, sys.argv[1])
    print("accuracy: %d frame and axes charts in %s" % (len(frame_list()), sys.argv[1]))


if __name__ == "__main__":
    main()
