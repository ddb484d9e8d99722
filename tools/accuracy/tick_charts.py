#!/usr/bin/python3
"""Draws the tick-label set: charts whose axes plotsnap should calibrate by
reading their tick labels, with exactly known axes and curves.

Fonts, sizes and tick densities vary; axes are linear or logarithmic (powers of
ten with raised exponents, or plain numbers), with negative values, decimals,
thousands separators, e-notation and years on X.

For every chart it writes NAME.png and NAME.json: the exact calibration as
command-line arguments (from the drawing's own transform), the calibration a
perfect user would click (the two outermost major ticks inside the plot, at the
pixel each one's value falls on, with its value), the plot box, and per curve its
reference colour name and its true points in data units.

usage: tick_charts.py OUTDIR [--only NAME]
"""
import json
import math
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import matplotlib.ticker as ticker  # noqa: E402
import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

SIZES = [(480, 360), (640, 480), (800, 600), (1024, 768), (1280, 960), (1600, 1200), (2400, 1600), (3000, 2000)]
FAMILIES = ["DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"]

# Axis styles: data range, scale and how the labels are written.
STYLES = {
    "linear": dict(lo=0, hi=10, log=False),
    "hundred": dict(lo=0, hi=100, log=False),
    "years": dict(lo=1990, hi=2020, log=False),
    "negative": dict(lo=-50, hi=50, log=False),
    "decimal": dict(lo=0, hi=1, log=False),
    "thousands": dict(lo=0, hi=50000, log=False, fmt=lambda v, p: "{:,.0f}".format(v)),
    "enote": dict(lo=0, hi=0.005, log=False, step=0.001,
                  fmt=lambda v, p: "0" if abs(v) < 1e-12 else "{:.0e}".format(v).replace("e-0", "e-")),
    "log": dict(lo=1, hi=1e4, log=True),  # 10^n with raised exponents
    "logneg": dict(lo=1e-3, hi=10, log=True),
    "logplain": dict(lo=1, hi=1000, log=True, fmt=lambda v, p: "%g" % v),
}
X_STYLES = ["linear", "years", "negative", "decimal", "thousands", "log", "linear", "logplain", "enote", "years"]
Y_STYLES = ["hundred", "negative", "log", "decimal", "thousands", "logneg", "linear", "enote", "logplain", "hundred"]


def chart_list():
    charts = []
    for i in range(36):
        w, h = SIZES[i % len(SIZES)]
        charts.append({
            "name": "t%02d-%s-%s" % (i, X_STYLES[i % 10], Y_STYLES[(i * 3 + i // 10) % 10]),
            "size": [w, h],
            # Figure widths in inches, so that the text keeps a usual size for the chart.
            "inches": [6.4, 8.0, 5.0, 10.0, 7.0][i % 5],
            # Most renderers put a tick on whole pixels; some draw it where it falls.
            "snap": i % 2 == 0,
            "family": FAMILIES[i % 3],
            "fontsize": [8, 10, 12, 9, 14, 11][i % 6],
            "x": X_STYLES[i % 10],
            "y": Y_STYLES[(i * 3 + i // 10) % 10],
            "nbins": [5, 6, 8, 4, 10, 7][i % 6],
            "direction": ["out", "out", "in", "inout"][i % 4],
            "grid": i % 3 == 1,
            "unicode_minus": i % 2 == 0,
            "pad": [0.0, 0.03, 0.05][i % 3],
            "seed": 500 + i,
        })
    return charts


def to_fraction(style, v):
    s = STYLES[style]
    if s["log"]:
        return (np.log10(v) - math.log10(s["lo"])) / (math.log10(s["hi"]) - math.log10(s["lo"]))
    return (np.asarray(v, float) - s["lo"]) / (s["hi"] - s["lo"])


def from_fraction(style, t):
    s = STYLES[style]
    t = np.asarray(t, float)
    if s["log"]:
        return 10.0 ** (math.log10(s["lo"]) + t * (math.log10(s["hi"]) - math.log10(s["lo"])))
    return s["lo"] + t * (s["hi"] - s["lo"])


def set_axis(ax, which, style, nbins, pad):
    s = STYLES[style]
    axis = ax.xaxis if which == "x" else ax.yaxis
    lim = from_fraction(style, [-pad, 1 + pad])
    if s["log"]:
        (ax.set_xscale if which == "x" else ax.set_yscale)("log")
        axis.set_major_locator(ticker.LogLocator(base=10, numticks=12))
    elif "step" in s:
        axis.set_major_locator(ticker.MultipleLocator(s["step"]))
    else:
        axis.set_major_locator(ticker.MaxNLocator(nbins=nbins))
    (ax.set_xlim if which == "x" else ax.set_ylim)(lim[0], lim[1])
    if "fmt" in s:
        axis.set_major_formatter(ticker.FuncFormatter(s["fmt"]))
        if s["log"]:
            axis.set_minor_formatter(ticker.NullFormatter())
    elif not s["log"]:
        fmt = ticker.ScalarFormatter(useOffset=False)
        fmt.set_scientific(False)
        axis.set_major_formatter(fmt)


def draw_chart(spec, outdir):
    w, h = spec["size"]
    dpi = max(72.0, w / spec["inches"])
    plt.rcParams.update({
        "path.snap": spec["snap"],
        "font.family": spec["family"], "font.size": spec["fontsize"],
        "xtick.direction": spec["direction"], "ytick.direction": spec["direction"],
        "axes.unicode_minus": spec["unicode_minus"], "mathtext.default": "regular",
    })
    fig = plt.figure(figsize=(w / dpi, h / dpi), dpi=dpi, facecolor="white", layout="constrained")
    ax = fig.add_subplot(111)
    set_axis(ax, "x", spec["x"], spec["nbins"], spec["pad"])
    set_axis(ax, "y", spec["y"], spec["nbins"], spec["pad"])
    if spec["grid"]:
        ax.grid(True, which="major", color="#cccccc", linewidth=0.8)
    rng = np.random.default_rng(spec["seed"])
    t = np.linspace(0.0, 1.0, 2000)
    curves = []
    for colour in ("red", "blue"):
        phase, freq = rng.random() * 6.28, 2 + 3 * rng.random()
        centre = 0.3 + 0.4 * rng.random()
        ty = centre + 0.18 * np.sin(freq * t + phase)
        xs, ys = from_fraction(spec["x"], t), from_fraction(spec["y"], ty)
        ax.plot(xs, ys, color={"red": "#ff0000", "blue": "#0000ff"}[colour], linewidth=1.5)
        curves.append({"colour": colour, "x": [float(v) for v in xs], "y": [float(v) for v in ys]})
    ax.set_xlabel("time" if spec["x"] != "years" else "year")
    ax.set_ylabel("signal")
    fig.canvas.draw()
    picture = np.asarray(fig.canvas.buffer_rgba())[:, :, :3].copy()
    H = picture.shape[0]

    def x_value(col):
        return float(ax.transData.inverted().transform((col + 0.5, 0))[0])

    def y_value(row):
        return float(ax.transData.inverted().transform((0, H - row - 0.5))[1])

    bbox = ax.get_window_extent()
    left, right = int(math.ceil(bbox.x0)), int(math.floor(bbox.x1)) - 1
    top, bottom = int(math.ceil(H - bbox.y1)), int(math.floor(H - bbox.y0)) - 1
    c1, c2, r1, r2 = left + 5, right - 5, bottom - 5, top + 5
    args = ["--x", "%d=%.17g,%d=%.17g" % (c1, x_value(c1), c2, x_value(c2)),
            "--y", "%d=%.17g,%d=%.17g" % (r1, y_value(r1), r2, y_value(r2))]
    # Clicking the outermost ticks: the pixel whose centre is nearest each tick's value.
    def tick_pixels(values, lo, hi, to_pixel):
        inside = [v for v in values if lo <= to_pixel(v) <= hi]
        return [(to_pixel(v), v) for v in (min(inside), max(inside))] if len(inside) >= 2 else None

    def col_of(v):
        return int(round(float(ax.transData.transform((v, 0))[0]) - 0.5))

    def row_of(v):
        return int(round(H - float(ax.transData.transform((0, v))[1]) - 0.5))

    # Clicking the tick marks as drawn: a renderer may put a mark up to a pixel
    # from its value, and a user can only click where it is. The whole pixel
    # nearest the mark's darkness-weighted centre, over its rows (columns) beside
    # the frame.
    dark = 255 - picture.astype(int).min(axis=2)
    outside = spec["direction"] != "in"

    def centre_of(profile, start):
        """Centre of the run of ink through the darkest pixel within two of the middle."""
        mid = len(profile) // 2
        peak = mid - 2 + int(np.argmax(profile[mid - 2:mid + 3]))
        if profile[peak] < 30:
            return None
        lo, hi = peak, peak
        while lo > 0 and profile[lo - 1] >= 30:
            lo -= 1
        while hi + 1 < len(profile) and profile[hi + 1] >= 30:
            hi += 1
        w = profile[lo:hi + 1].astype(float)
        return int(round(start + lo + float((w * np.arange(len(w))).sum() / w.sum())))

    def mark_zone(profile_at, first, step):
        """Three lines of the mark beyond the frame line (dark all along the window), which may be several pixels thick."""
        i = first
        while profile_at(i).min() >= 60:
            i += step
        return sorted(range(i, i + 3 * step, step))

    def drawn_col(c):
        window = slice(c - 8, c + 9)
        rows = mark_zone(lambda r: dark[r, window], bottom + 1 if outside else bottom, 1 if outside else -1)
        found = centre_of(dark[rows, window].sum(axis=0) / 3, c - 8)
        return c if found is None else found

    def drawn_row(r):
        window = slice(r - 8, r + 9)
        cols = mark_zone(lambda x: dark[window, x], left - 1 if outside else left, -1 if outside else 1)
        found = centre_of(dark[window, cols].sum(axis=1) / 3, r - 8)
        return r if found is None else found

    xt = tick_pixels(ax.get_xticks(), left, right, col_of)
    yt = tick_pixels(ax.get_yticks(), top, bottom, row_of)
    tick_args = drawn_args = None
    if xt and yt:
        tick_args = ["--x", "%d=%.17g,%d=%.17g" % (xt[0][0], xt[0][1], xt[1][0], xt[1][1]),
                     "--y", "%d=%.17g,%d=%.17g" % (yt[0][0], yt[0][1], yt[1][0], yt[1][1])]
        drawn_args = ["--x", "%d=%.17g,%d=%.17g" % (drawn_col(xt[0][0]), xt[0][1], drawn_col(xt[1][0]), xt[1][1]),
                      "--y", "%d=%.17g,%d=%.17g" % (drawn_row(yt[0][0]), yt[0][1], drawn_row(yt[1][0]), yt[1][1])]
    for a in [args] + ([tick_args, drawn_args] if tick_args else []):
        if STYLES[spec["x"]]["log"]:
            a.append("--log-x")
        if STYLES[spec["y"]]["log"]:
            a.append("--log-y")
    plt.close(fig)
    Image.fromarray(picture).save(os.path.join(outdir, spec["name"] + ".png"))
    truth = {"name": spec["name"], "picture": spec["name"] + ".png", "spec": spec, "args": args, "tick_args": tick_args,
             "drawn_args": drawn_args,
             "plot": {"left": left, "top": top, "right": right, "bottom": bottom}, "curves": curves}
    with open(os.path.join(outdir, spec["name"] + ".json"), "w") as f:
        json.dump(truth, f)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv else None
    os.makedirs(outdir, exist_ok=True)
    specs = [s for s in chart_list() if only is None or s["name"].startswith(only)]
    for spec in specs:
        draw_chart(spec, outdir)
    print("tick labels: %d charts in %s" % (len(specs), outdir))


if __name__ == "__main__":
    main()
