#!/usr/bin/python3
"""Runs plotsnap-cli --auto-calibrate over the tick-label set and scores it.

Per chart and axis: calibrated or the reason it was refused, and the
calibration's error, the largest distance over the plot between where it and the
exact calibration put a value, as % of the axis span. Per chart: the mean error
of the two exported curves against their truth, as % of the Y span: with the
exact calibration (the drawing's own transform), with the calibration a perfect
user would click on the outermost ticks (at the pixels nearest their values, and
on the tick marks as drawn, which a renderer may have moved by up to a pixel),
and with the one read from the labels, which is set against all three.

usage: tick_score.py PLOTSNAP_CLI CHARTDIR
"""
import json
import math
import os
import subprocess
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tick_charts import to_fraction  # noqa: E402

WRONG = 1.0  # % of span: a calibration further off than this is wrong


def axis_of(args, flag, log_flag):
    """(p1, v1, p2, v2, log) of one --x or --y."""
    if flag not in args:
        return None
    (p1, v1), (p2, v2) = [(float(a), float(b)) for a, b in (s.split("=") for s in args[args.index(flag) + 1].split(","))]
    return p1, v1, p2, v2, log_flag in args


def value_at(axis, pixel):
    p1, v1, p2, v2, log = axis
    f = math.log10 if log else (lambda v: v)
    u = f(v1) + (pixel - p1) * (f(v2) - f(v1)) / (p2 - p1)
    return 10 ** u if log else u


def pixel_of(axis, value):
    p1, v1, p2, v2, log = axis
    f = math.log10 if log else (lambda v: v)
    if log and value <= 0:
        return float("nan")
    return p1 + (f(value) - f(v1)) * (p2 - p1) / (f(v2) - f(v1))


def calibration_error(exact, found, ends):
    if found is None:
        return None
    span = abs(ends[1] - ends[0])
    worst = 0.0
    for p in ends:
        d = abs(pixel_of(exact, value_at(found, p)) - p)
        worst = max(worst, d if math.isfinite(d) else float("inf"))
    return 100.0 * worst / span


def parse_csv(text, n):
    lines = text.splitlines()
    try:
        start = next(i for i, ln in enumerate(lines) if ln.startswith("X_0"))
    except StopIteration:
        return [[] for _ in range(n)]
    out = [[] for _ in range(n)]
    for ln in lines[start + 1:]:
        fields = [f.strip() for f in ln.split(",")]
        for g in range(n):
            if 2 * g + 1 < len(fields) and fields[2 * g] and fields[2 * g + 1]:
                out[g].append((float(fields[2 * g]), float(fields[2 * g + 1])))
    return out


def export_error(truth, points):
    """Mean |dY| of the exported points against the true curves, % of the Y span."""
    spec = truth["spec"]
    errs = []
    for g, curve in enumerate(truth["curves"]):
        tx = to_fraction(spec["x"], np.array(curve["x"]))
        ty = to_fraction(spec["y"], np.array(curve["y"]))
        for x, y in points[g]:
            if (spec["x"].startswith("log") and x <= 0) or (spec["y"].startswith("log") and y <= 0):
                errs.append(float("inf"))
                continue
            fx, fy = to_fraction(spec["x"], x), to_fraction(spec["y"], y)
            if fx < tx[0] or fx > tx[-1]:
                continue
            errs.append(abs(fy - float(np.interp(fx, tx, ty))) * 100)
    finite = [e for e in errs if math.isfinite(e)]
    return sum(finite) / len(finite) if finite else float("nan")


def run(cli, picture, args):
    t0 = time.monotonic()
    proc = subprocess.run([cli, "process", picture, "--no-common-x", "--colour", "red", "--graph", "--colour", "blue"]
                          + args, capture_output=True, text=True, env=dict(os.environ, OMP_THREAD_LIMIT="1"))
    return proc, time.monotonic() - t0


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, chartdir = sys.argv[1], sys.argv[2]
    truths = []
    for name in sorted(os.listdir(chartdir)):
        if name.endswith(".json"):
            with open(os.path.join(chartdir, name)) as f:
                truths.append(json.load(f))
    print("%-26s %-28s %-28s %6s %6s %6s %6s %6s %6s %6s %5s" %
          ("chart", "X axis", "Y axis", "exact%", "ticks%", "drawn%", "auto%", "/exact", "/ticks", "/drawn", "+s"))
    both = wrong = within = within_ticks = within_drawn = calibrated = 0
    extra = []
    for t in truths:
        picture = os.path.join(chartdir, t["picture"])
        exact_proc, exact_s = run(cli, picture, t["args"])
        auto_proc, auto_s = run(cli, picture, ["--auto-calibrate"])
        extra.append(auto_s - exact_s)
        found = ""
        for ln in auto_proc.stderr.splitlines():
            if ln.startswith("Calibration from tick labels:"):
                found = ln.split(":", 1)[1].split()
        plot = t["plot"]
        cells = []
        ok_axes = 0
        for flag, log_flag, ends, name in (("--x", "--log-x", (plot["left"], plot["right"]), "X"),
                                          ("--y", "--log-y", (plot["bottom"], plot["top"]), "Y")):
            reason = next((ln.split(": ", 1)[1] for ln in auto_proc.stderr.splitlines()
                           if ln.startswith(name + " axis not calibrated")), None)
            line = next((ln for ln in auto_proc.stderr.splitlines() if ln.startswith(name + " axis from")), "")
            err = calibration_error(axis_of(t["args"], flag, log_flag), axis_of(found, flag, log_flag) if found else None, ends)
            if line and err is not None:
                ok_axes += 1
                wrong += err > WRONG
                cells.append("%s %.3f%%" % (line.split(": ")[1].split(",")[-1].strip()[:3], err))
            else:
                cells.append("refused: " + (reason or "?")[:19])
        both += ok_axes == 2
        e_exact = export_error(t, parse_csv(exact_proc.stdout, 2))
        e_ticks = e_drawn = float("nan")
        if t.get("tick_args"):
            e_ticks = export_error(t, parse_csv(run(cli, picture, t["tick_args"])[0].stdout, 2))
            e_drawn = export_error(t, parse_csv(run(cli, picture, t["drawn_args"])[0].stdout, 2))
        if ok_axes == 2:
            calibrated += 1
            e_auto = export_error(t, parse_csv(auto_proc.stdout, 2))
            ratio = e_auto / e_exact if e_exact > 0 else float("nan")
            ratio_ticks = e_auto / e_ticks if e_ticks > 0 else float("nan")
            ratio_drawn = e_auto / e_drawn if e_drawn > 0 else float("nan")
            within += ratio <= 2.0
            within_ticks += ratio_ticks <= 2.0
            within_drawn += ratio_drawn <= 2.0
            tail = "%6.3f %6.3f %6.3f %6.3f %6.2f %6.2f %6.2f" % (e_exact, e_ticks, e_drawn, e_auto, ratio, ratio_ticks,
                                                                 ratio_drawn)
        else:
            tail = "%6.3f %6.3f %6.3f %6s %6s %6s %6s" % (e_exact, e_ticks, e_drawn, "-", "-", "-", "-")
        print("%-26s %-28s %-28s %s %5.2f" % (t["name"], cells[0], cells[1], tail, auto_s - exact_s))
    n = len(truths)
    print()
    print("tick labels: both axes calibrated on %d/%d charts (%.0f %%), %d axes off by more than %.0f %% of span, "
          "export error within 2x of the calibration clicked on the tick marks as drawn on %d/%d calibrated charts "
          "(within 2x of one clicked at the pixels nearest the tick values on %d/%d, of the drawing's own transform "
          "on %d/%d), auto-calibration %.2f s per chart (median)"
          % (both, n, 100.0 * both / max(1, n), wrong, WRONG, within_drawn, calibrated, within_ticks, calibrated,
             within, calibrated, float(np.median(extra)) if extra else 0))


if __name__ == "__main__":
    main()
