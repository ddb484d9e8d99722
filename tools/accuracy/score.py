#!/usr/bin/python3
"""Runs plotsnap-cli over the accuracy set and scores every curve against its truth.

usage: score.py PLOTSNAP_CLI CHARTDIR [--modes clicks,colour,reference] [--json FILE]

Picking modes, one command-line run per chart and mode, one graph per curve:
  clicks     a careful user: a --pick every few columns along the visible curve
             (every visible marker of a scatter series)
  colour     one action per curve: --colour with the curve's own colour
             (#rrggbb where the program takes it, else the nearest reference name);
             a curve whose colour another curve shares is named by the colour of
             neither, so it gets a Shift+click on it instead (--curve)
  reference  as colour, with the six reference colours (--reference-colours)

Per curve:
  cover  share of the columns where the curve is visible that hold an exported
         point (scatter: share of visible markers with an exported point on them)
  mean, max  |dY| between exported point and the true curve over that column,
         as % of the plot's height (the Y axis span); px: the mean in pixels
  foreign    share of exported points that lie on another curve instead
A curve passes with cover >= 99 %, mean <= 0.5 % and foreign <= 1 %.
"""
import json
import math
import os
import subprocess
import sys
import time

import numpy as np

PASS_COVER, PASS_MEAN, PASS_FOREIGN = 99.0, 0.5, 1.0
REFERENCES = [("black", (0, 128, 128)), ("red", (136, 208, 195)), ("green", (224, 42, 211)),
              ("blue", (82, 207, 20)), ("magenta", (154, 226, 67)), ("yellow", (248, 106, 223))]


def lab8(hex_colour):
    """8-bit Lab of an sRGB colour, encoded as the program's image library does."""
    rgb = [int(hex_colour[i:i + 2], 16) / 255.0 for i in (1, 3, 5)]
    lin = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in rgb]
    m = [[0.412453, 0.357580, 0.180423], [0.212671, 0.715160, 0.072169], [0.019334, 0.119193, 0.950227]]
    X, Y, Z = [sum(m[i][k] * lin[k] for k in range(3)) for i in range(3)]
    X, Z = X / 0.950456, Z / 1.088754

    def f(t):
        return t ** (1 / 3) if t > 0.008856 else 7.787 * t + 16 / 116

    L = 116 * Y ** (1 / 3) - 16 if Y > 0.008856 else 903.3 * Y
    a, b = 500 * (f(X) - f(Y)), 200 * (f(Y) - f(Z))
    return round(L * 255 / 100), round(a + 128), round(b + 128)


def reference_name(hex_colour):
    L, a, b = lab8(hex_colour)
    best = min(REFERENCES, key=lambda r: (169 * (L - r[1][0]) ** 2 + 576 * (a - r[1][1]) ** 2
                                          + 676 * (b - r[1][2]) ** 2, r[1]))
    return best[0]


class Axis:
    """Pixel <-> value from the two calibration points of one --x or --y."""

    def __init__(self, text, log):
        (p1, v1), (p2, v2) = [(float(s.split("=")[0]), float(s.split("=")[1])) for s in text.split(",")]
        self.log = log
        f = math.log10 if log else (lambda v: v)
        self.p1, self.p2, self.f1, self.f2 = p1, p2, f(v1), f(v2)

    def pixel(self, value):
        if self.log:
            if value <= 0:
                return float("nan")
            value = math.log10(value)
        return self.p1 + (value - self.f1) * (self.p2 - self.p1) / (self.f2 - self.f1)


def parse_csv(text, ncurves):
    """Graph g's points as (x value, y value) lists, from the X_g column and the
    one after it (headed Y_g, or by the graph's legend name)."""
    lines = text.splitlines()
    points = [[] for _ in range(ncurves)]
    try:
        start = next(i for i, ln in enumerate(lines) if ln.startswith("X_0"))
    except StopIteration:
        return points
    heads = [h.strip() for h in lines[start].split(",")]
    for ln in lines[start + 1:]:
        fields = [f.strip() for f in ln.split(",")]
        for g in range(ncurves):
            try:
                xi = heads.index("X_%d" % g)
                yi = xi + 1
            except ValueError:
                continue
            if xi < len(fields) and yi < len(fields) and fields[xi] and fields[yi]:
                points[g].append((float(fields[xi]), float(fields[yi])))
    return points


def line_range(curve, col):
    """Least and greatest true row over the column's width."""
    px, py = curve["_px"], curve["_py"]
    lo, hi = col - 0.5, col + 0.5
    if hi < px[0] or lo > px[-1]:
        return None
    ys = list(np.interp([max(lo, px[0]), min(hi, px[-1])], px, py))
    inside = (px > lo) & (px < hi)
    ys.extend(py[inside].tolist())
    return min(ys), max(ys)


def error_px(curve, x, y):
    if curve["kind"] == "scatter":
        px, py = curve["_px"], curve["_py"]
        k = int(np.argmin(np.abs(px - x)))
        return abs(py[k] - y)
    r = line_range(curve, round(x))
    if r is None:
        return float("inf")
    return max(0.0, r[0] - y, y - r[1])


def clear_of(others, c, r, margin=5):
    """No other curve is visible within `margin` rows of (c, r): a careful user
    does not click where two curves meet."""
    for o in others:
        span = o["_spans"].get(c)
        if span and span[0] - margin <= r <= span[1] + margin:
            return False
    return True


def picks_for(curve, others):
    if curve["kind"] == "scatter":
        vis = {c: (lo, hi) for c, lo, hi in curve["visible"]}
        out = []
        for x, y in zip(curve["_px"], curve["_py"]):
            c, r = int(round(x)), int(round(y))
            if c in vis and vis[c][0] <= r <= vis[c][1] and clear_of(others, c, r):
                out.append((c, r))
        return out
    spans = curve["visible"]
    step = max(3, len(spans) // 150)
    out = []
    for c, lo, hi in spans[::step]:
        r = line_range(curve, c)
        row = (r[0] + r[1]) / 2 if r else (lo + hi) / 2
        row = int(min(max(round(row), lo), hi))
        if clear_of(others, c, row):
            out.append((c, row))
    return out


def pick_args(truth, mode, takes):
    """`takes`: the options this plotsnap-cli has of those the newer modes use."""
    takes_hex = "#rrggbb" in takes
    args = []
    for g, curve in enumerate(truth["curves"]):
        if g:
            args.append("--graph")
        if mode == "clicks":
            others = [o for k, o in enumerate(truth["curves"]) if k != g]
            for c, r in picks_for(curve, others):
                args += ["--pick", "%d,%d" % (c, r)]
        elif "--curve" in takes and sum(o["colour"] == curve["colour"] for o in truth["curves"]) > 1:
            others = [o for k, o in enumerate(truth["curves"]) if k != g]
            c, r = picks_for(curve, others)[0]
            args += ["--curve", "%d,%d" % (c, r)]
        else:
            args += ["--colour", curve["colour"] if takes_hex and mode == "colour"
                     else reference_name(curve["colour"])]
    if mode == "reference":
        args.append("--reference-colours")
    return args


def score_curve(truth, g, points, xaxis, yaxis):
    curve = truth["curves"][g]
    plot_h = truth["plot"]["bottom"] - truth["plot"]["top"] + 1
    pix = [(xaxis.pixel(x), yaxis.pixel(y)) for x, y in points]
    pix = [(x, y) for x, y in pix if not (math.isnan(x) or math.isnan(y))]
    errs, foreign = [], 0
    for x, y in pix:
        e = error_px(curve, x, y)
        errs.append(e)
        if e > 2 and any(error_px(o, x, y) < e for k, o in enumerate(truth["curves"]) if k != g):
            foreign += 1
    if curve["kind"] == "scatter":
        rad = curve["marker_radius"] + 1
        vis = {c for c, _, _ in curve["visible"]}
        markers = [(x, y) for x, y in zip(curve["_px"], curve["_py"]) if int(round(x)) in vis]
        found = sum(1 for mx, my in markers if any(abs(x - mx) <= rad and abs(y - my) <= rad for x, y in pix))
        cover = 100.0 * found / max(1, len(markers))
    else:
        cols = {int(round(x)) for x, _ in pix}
        vis = [c for c, _, _ in curve["visible"]]
        cover = 100.0 * sum(1 for c in vis if c in cols) / max(1, len(vis))
    finite = [e for e in errs if math.isfinite(e)]
    strays = len(errs) - len(finite)
    mean_px = (sum(finite) / len(finite)) if finite else float("nan")
    max_px = max(finite) if finite else float("nan")
    res = {"cover": cover, "mean": 100 * mean_px / plot_h, "max": 100 * max_px / plot_h, "px": mean_px,
           "foreign": 100.0 * (foreign + strays) / max(1, len(errs)), "points": len(errs)}
    res["ok"] = bool(pix) and bool( cover >= PASS_COVER and res["mean"] <= PASS_MEAN and res["foreign"] <= PASS_FOREIGN)
    return res


def run_chart(cli, chartdir, truth, mode, takes):
    picture = os.path.join(chartdir, truth["picture"])
    args = [cli, "process", picture, "--no-common-x"] + truth["args"] + pick_args(truth, mode, takes)
    t0 = time.monotonic()
    proc = subprocess.run(args, capture_output=True, text=True)
    seconds = time.monotonic() - t0
    a = truth["args"]
    xaxis = Axis(a[a.index("--x") + 1], "--log-x" in a)
    yaxis = Axis(a[a.index("--y") + 1], "--log-y" in a)
    points = parse_csv(proc.stdout, len(truth["curves"])) if proc.returncode == 0 else [[] for _ in truth["curves"]]
    return [score_curve(truth, g, points[g], xaxis, yaxis) for g in range(len(truth["curves"]))], seconds, proc


def fmt(r):
    if not r["points"]:
        return "   -- nothing exported --      FAIL"
    return "%5.1f %6.2f %6.2f %5.1f %5.1f %s" % (r["cover"], r["mean"], r["max"], r["px"], r["foreign"],
                                               "ok  " if r["ok"] else "FAIL")


def main():
    argv = sys.argv[1:]
    if len(argv) < 2:
        sys.exit(__doc__)
    cli, chartdir = argv[0], argv[1]
    modes, json_out = None, None
    if "--modes" in argv:
        modes = argv[argv.index("--modes") + 1].split(",")
    if "--json" in argv:
        json_out = argv[argv.index("--json") + 1]
    helptext = subprocess.run([cli, "--help"], capture_output=True, text=True).stdout
    takes = {o for o in ("#rrggbb", "--curve") if o in helptext}
    if modes is None:
        modes = ["clicks", "colour"] + (["reference"] if "--reference-colours" in helptext else [])

    truths = []
    for name in sorted(os.listdir(chartdir)):
        if name.endswith(".json"):
            with open(os.path.join(chartdir, name)) as f:
                t = json.load(f)
            for c in t["curves"]:
                c["_px"], c["_py"] = np.array(c["px"]), np.array(c["py"])
                c["_spans"] = {col: (lo, hi) for col, lo, hi in c["visible"]}
            truths.append(t)

    results = {m: [] for m in modes}
    seconds = {m: 0.0 for m in modes}
    for t in truths:
        for m in modes:
            scores, s, proc = run_chart(cli, chartdir, t, m, takes)
            seconds[m] += s
            if proc.returncode != 0:
                print("%s %s: plotsnap-cli exit %d: %s" % (t["name"], m, proc.returncode,
                                                          proc.stderr.strip().splitlines()[-1:]), file=sys.stderr)
            for g, r in enumerate(scores):
                c = t["curves"][g]
                r.update({"chart": t["name"], "curve": g, "colour": c["colour"], "kind": c["kind"],
                          "palette": t["spec"]["palette"]})
                results[m].append(r)

    head = "%-13s %2s %-7s %-7s" % ("chart", "#", "colour", "kind")
    print(head + "".join(" | %-35s" % (m + ": cover mean%  max%   px frgn") for m in modes))
    for i, r0 in enumerate(results[modes[0]]):
        row = "%-13s %2d %-7s %-7s" % (r0["chart"], r0["curve"], r0["colour"], r0["kind"])
        print(row + "".join(" | %-35s" % fmt(results[m][i]) for m in modes))
    print()
    for m in modes:
        rs = results[m]
        for palette in ("plotlib", "office", "pure"):
            sub = [r for r in rs if r["palette"] == palette]
            if sub:
                means = [r["mean"] for r in sub if r["points"] and math.isfinite(r["mean"])]
                print("  %-9s %-8s %3d/%-3d curves pass, mean error %.2f %%, mean cover %.1f %%" % (
                    m, palette, sum(r["ok"] for r in sub), len(sub),
                    sum(means) / max(1, len(means)), sum(r["cover"] for r in sub) / len(sub)))
    for m in modes:
        rs = results[m]
        means = [r["mean"] for r in rs if r["points"] and math.isfinite(r["mean"])]
        print("accuracy %-9s: %d/%d curves pass on %d charts, mean error %.2f %% of the axis span, "
              "mean cover %.1f %%, worst curve %.2f %%, plotsnap-cli %.1f s" % (
                  m, sum(r["ok"] for r in rs), len(rs), len(truths), sum(means) / max(1, len(means)),
                  sum(r["cover"] for r in rs) / max(1, len(rs)), max(means) if means else float("nan"),
                  seconds[m]))
    if json_out:
        with open(json_out, "w") as f:
            json.dump(results, f, indent=0)


if __name__ == "__main__":
    main()
