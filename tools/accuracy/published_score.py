#!/usr/bin/python3
"""Scores plotsnap-cli on the published-figure set (published.py): one --colour
pick per curve, as score.py does, and besides the per-curve figures:

  area   the largest distance in px between the plot area the program logs and
         the area the axis lines enclose (inner edges, and where the lines end)
  named  whether every curve's column is headed by its legend label

With --axes-rect the plot rectangle is given as the axes enclose it
(--plot-rect), to score picking and export apart from frame detection.

usage: published_score.py PLOTSNAP_CLI CHARTDIR [--axes-rect] [--json FILE]
"""
import json
import math
import os
import re
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import score  # noqa: E402


def headings(text, ncurves):
    """The heading of each graph's Y column (the field after X_g)."""
    line = next((ln for ln in text.splitlines() if ln.startswith("X_0")), "")
    heads = [h.strip() for h in line.split(", ")]
    return [heads[2 * g + 1] if 2 * g + 1 < len(heads) else "" for g in range(ncurves)]


def area_error(stderr, axes):
    m = re.search(r"top left =(-?\d+),(-?\d+); bottom right=(-?\d+),(-?\d+)", stderr)
    if not m:
        return float("inf")
    left, top, right, bottom = map(int, m.groups())
    return max(abs(left - axes["left"]), abs(top - axes["top"]), abs(right - 1 - axes["right"]),
               abs(bottom - 1 - axes["bottom"]))


def main():
    argv = sys.argv[1:]
    if len(argv) < 2:
        sys.exit(__doc__)
    cli, chartdir = argv[0], argv[1]
    json_out = argv[argv.index("--json") + 1] if "--json" in argv else None
    helptext = subprocess.run([cli, "--help"], capture_output=True, text=True).stdout
    takes = {o for o in ("#rrggbb", "--curve") if o in helptext}
    rows, charts = [], []
    for name in sorted(os.listdir(chartdir)):
        if not name.endswith(".json"):
            continue
        with open(os.path.join(chartdir, name)) as f:
            t = json.load(f)
        for c in t["curves"]:
            c["_px"], c["_py"] = np.array(c["px"]), np.array(c["py"])
        args = [cli, "process", os.path.join(chartdir, t["picture"]), "--no-common-x"] + t["args"]
        args += score.pick_args(t, "colour", takes)
        if "--axes-rect" in argv:
            ax = t["axes"]
            args += ["--plot-rect", "%d,%d,%d,%d" % (ax["left"], ax["top"], ax["right"] + 1, ax["bottom"] + 1)]
        proc = subprocess.run(args, capture_output=True, text=True, env=dict(os.environ, OMP_THREAD_LIMIT="1"))
        a = t["args"]
        xaxis = score.Axis(a[a.index("--x") + 1], False)
        yaxis = score.Axis(a[a.index("--y") + 1], False)
        n = len(t["curves"])
        ok = proc.returncode == 0
        points = score.parse_csv(proc.stdout, n) if ok else [[] for _ in range(n)]
        names = headings(proc.stdout, n) if ok else [""] * n
        area = area_error(proc.stderr, t["axes"])
        named = all(names[g] == c["label"] for g, c in enumerate(t["curves"]))
        charts.append({"chart": t["name"], "area": area, "named": named, "names": names})
        for g, c in enumerate(t["curves"]):
            r = score.score_curve(t, g, points[g], xaxis, yaxis)
            r.update({"chart": t["name"], "curve": g, "colour": c["colour"], "name": names[g], "label": c["label"]})
            rows.append(r)

    print("%-20s %2s %-7s %-9s | cover  mean%%   max%%    px  frgn      | heading" % ("chart", "#", "colour", "legend"))
    for r in rows:
        print("%-20s %2d %-7s %-9s | %s | %s" % (r["chart"], r["curve"], r["colour"], r["label"], score.fmt(r),
                                                  r["name"]))
    print()
    print("%-20s %8s %6s" % ("chart", "area px", "named"))
    for c in charts:
        print("%-20s %8s %6s" % (c["chart"], c["area"], "yes" if c["named"] else "no"))
    means = [r["mean"] for r in rows if r["points"] and math.isfinite(r["mean"])]
    print()
    print("published: %d/%d curves pass on %d charts, mean error %.2f %% of the axis span, mean cover %.1f %%, "
          "worst curve %.2f %%; plot area within 1 px on %d/%d charts; legends named on %d/%d charts" % (
              sum(r["ok"] for r in rows), len(rows), len(charts), sum(means) / max(1, len(means)),
              sum(r["cover"] for r in rows) / max(1, len(rows)), max(means) if means else float("nan"),
              sum(c["area"] <= 1 for c in charts), len(charts), sum(c["named"] for c in charts), len(charts)))
    if json_out:
        with open(json_out, "w") as f:
            json.dump({"curves": rows, "charts": charts}, f, indent=0)


if __name__ == "__main__":
    main()
