#!/usr/bin/python3
"""Draws the accuracy set: charts with exactly known curves.

For every chart it writes NAME.png or NAME.jpg, and NAME.json holding the
command-line arguments for the calibration (taken from the drawing's own
transform, so they are exact), each curve's colour and kind, its true centre
line in pixel coordinates, and the pixels where it is visible (not hidden by a
curve drawn over it, and not in a gap of its dashes).

Pixel coordinates follow the program: column c and row r name the pixel whose
centre is at (c, r); row 0 is the top.

usage: charts.py OUTDIR
"""
import json
import math
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

PALETTES = {
    "plotlib": ["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                "#8c564b", "#e377c2", "#bcbd22", "#17becf"],
    "office": ["#4472c4", "#ed7d31", "#a5a5a5", "#ffc000", "#70ad47", "#5b9bd5"],
    "pure": ["#000000", "#ff0000", "#00ff00", "#0000ff", "#ff00ff", "#ffff00"],
}

SIZES = [(400, 300), (640, 480), (800, 600), (1200, 800), (1600, 1000), (3000, 2000)]


def chart_list():
    """The fixed set: every property varies, and each pair of neighbouring hues
    the palettes hold is drawn crossing at least twice."""
    charts = []
    pairs = {
        "plotlib": [[3, 1], [4, 6], [2, 7], [0, 8], [5, 1], [0, 4], [6, 3], [7, 1],
                    [1, 3], [6, 4], [7, 2], [8, 0]],
        "office": [[0, 2], [1, 3], [0, 5], [4, 3], [2, 5], [1, 0], [3, 1], [5, 2]],
        "pure": [[1, 3], [2, 0], [3, 4], [1, 5], [0, 4], [4, 1], [2, 3], [3, 0]],
    }
    i = 0
    for palette, plist in pairs.items():
        colours = PALETTES[palette]
        for k, pair in enumerate(plist):
            rng = np.random.default_rng(1000 + i)
            extra = [c for c in range(len(colours)) if c not in pair]
            rng.shuffle(extra)
            n = 2 + (i % 3)  # two to four curves
            idx = pair + extra[: n - 2]
            size = SIZES[i % len(SIZES)]
            spec = {
                "name": "c%02d-%s" % (i, palette),
                "palette": palette,
                "colours": [colours[c] for c in idx],
                "size": size,
                "aa": i % 4 != 3,
                "format": "jpg" if i % 3 == 1 else "png",
                "grid": ["none", "light", "dark"][i % 3 if palette != "office" else (1 + k % 2)],
                "dashed": [n - 1] if i % 4 == 2 else [],
                "scatter": [n - 1] if i % 5 == 4 else [],
                "logx": i % 7 == 5,
                "logy": i % 6 == 3,
                # Office charts come without a frame: the user draws the plot rectangle.
                "frame": palette != "office",
                "legend": i % 2 == 0,
                "lw": [1.0, 1.5, 2.0][i % 3],
                "seed": 2000 + i,
            }
            if spec["scatter"] and spec["dashed"] == spec["scatter"]:
                spec["dashed"] = []
            charts.append(spec)
            i += 1
    # A chart of six curves in the full plotting palette order, and one of the
    # whole office palette, to show more than a pair side by side.
    for palette, n in (("plotlib", 9), ("office", 6)):
        charts.append({
            "name": "c%02d-%s" % (i, palette), "palette": palette,
            "colours": PALETTES[palette][:n], "size": (1200, 800), "aa": True,
            "format": "png", "grid": "light", "dashed": [], "scatter": [],
            "logx": False, "logy": False, "frame": True, "legend": True,
            "lw": 1.5, "seed": 2000 + i})
        i += 1
    return charts


def curve_data(spec, j, n, rng):
    """Values of curve j of n: smooth waves over a common range, so curves cross."""
    x = np.linspace(0.0, 10.0, 1500)
    centre = 0.2 + 0.6 * (j + 0.5) / n
    amp = 0.08 + 0.08 * rng.random()
    freq = 0.4 + 0.5 * rng.random()
    phase = rng.random() * 2 * math.pi
    slope = (rng.random() - 0.5) * 0.04
    y = centre + amp * np.sin(freq * x + phase) + slope * (x - 5)
    y = np.clip(y, 0.05, 0.95)
    if spec["logx"]:
        x = 10.0 ** (x * 0.3)  # 1 .. 1000
    if spec["logy"]:
        y = 10.0 ** (y * 3.0)  # 1 .. 1000
    else:
        y = y * 100.0
    return x, y


def column_spans(rows, cols):
    spans = {}
    for r, c in zip(rows.tolist(), cols.tolist()):
        lo, hi = spans.get(c, (r, r))
        spans[c] = (min(lo, r), max(hi, r))
    return [[c, lo, hi] for c, (lo, hi) in sorted(spans.items())]


def render(fig):
    fig.canvas.draw()
    return np.asarray(fig.canvas.buffer_rgba())[:, :, :3].copy()


def draw_chart(spec, outdir):
    w, h = spec["size"]
    dpi = min(max(w / 8.0, 72.0), 250.0)
    fig = plt.figure(figsize=(w / dpi, h / dpi), dpi=dpi, facecolor="white")
    top = 0.86 if spec["legend"] else 0.95
    ax = fig.add_axes([0.1, 0.1, 0.86, top - 0.1])
    rng = np.random.default_rng(spec["seed"])
    n = len(spec["colours"])
    lines = []
    truths = []
    for j, colour in enumerate(spec["colours"]):
        x, y = curve_data(spec, j, n, rng)
        if j in spec["scatter"]:
            step = max(1, len(x) // 30)
            xs, ys = x[::step], y[::step]
            (ln,) = ax.plot(xs, ys, linestyle="none", marker="o", markersize=3 + spec["lw"] * 2,
                            color=colour, label="series %d" % j)
            truths.append(("scatter", xs, ys))
        else:
            style = "--" if j in spec["dashed"] else "-"
            (ln,) = ax.plot(x, y, linestyle=style, linewidth=spec["lw"], color=colour,
                            label="series %d" % j)
            truths.append(("dashed" if style == "--" else "line", x, y))
        ln.set_antialiased(spec["aa"])
        lines.append(ln)
    if spec["logx"]:
        ax.set_xscale("log")
        ax.set_xlim(10 ** -0.1, 10 ** 3.1)
    else:
        ax.set_xlim(-0.3, 10.3)
    if spec["logy"]:
        ax.set_yscale("log")
        ax.set_ylim(10 ** -0.05, 10 ** 3.05)
    else:
        ax.set_ylim(0, 100)
    if spec["grid"] != "none":
        ax.set_axisbelow(True)
        ax.grid(True, which="major", color="#dddddd" if spec["grid"] == "light" else "#606060",
                linewidth=0.8)
    if not spec["frame"]:
        for s in ax.spines.values():
            s.set_visible(False)
        ax.tick_params(length=0)
    legend = None
    if spec["legend"]:
        legend = ax.legend(loc="lower center", bbox_to_anchor=(0.5, 1.01), ncol=min(n, 5),
                           frameon=False, fontsize=8)
    picture = render(fig)
    H, W = picture.shape[:2]

    # Each curve alone, to know its pixels; what later curves cover hides it.
    ax.axis("off")
    if legend:
        legend.set_visible(False)
    alone = []
    for j, ln in enumerate(lines):
        for k, other in enumerate(lines):
            other.set_visible(k == j)
        img = render(fig).astype(np.int16)
        alone.append(255 - img.min(axis=2))  # ink strength 0..255
    visible = []
    for j in range(n):
        covered = np.zeros((H, W), bool)
        for k in range(j + 1, n):
            covered |= alone[k] > 96
        visible.append((alone[j] > 96) & ~covered)

    # The drawing's transform, data to pixel centres.
    def to_pixels(xs, ys):
        pts = ax.transData.transform(np.column_stack([xs, ys]))
        return pts[:, 0] - 0.5, H - pts[:, 1] - 0.5

    def x_value(col):
        return float(ax.transData.inverted().transform((col + 0.5, 0))[0])

    def y_value(row):
        return float(ax.transData.inverted().transform((0, H - row - 0.5))[1])

    bbox = ax.get_window_extent()
    left, right = int(math.ceil(bbox.x0)), int(math.floor(bbox.x1)) - 1
    top_row, bottom_row = int(math.ceil(H - bbox.y1)), int(math.floor(H - bbox.y0)) - 1
    c1, c2 = left + 5, right - 5
    r1, r2 = bottom_row - 5, top_row + 5
    args = ["--x", "%d=%.17g,%d=%.17g" % (c1, x_value(c1), c2, x_value(c2)),
            "--y", "%d=%.17g,%d=%.17g" % (r1, y_value(r1), r2, y_value(r2))]
    if spec["logx"]:
        args.append("--log-x")
    if spec["logy"]:
        args.append("--log-y")
    if spec["grid"] == "dark":
        args += ["--remove-grid", "--grid-width", "2"]
    if not spec["frame"]:
        args += ["--plot-rect", "%d,%d,%d,%d" % (left + 1, top_row + 1, right, bottom_row)]

    curves = []
    for j, (kind, xs, ys) in enumerate(truths):
        px, py = to_pixels(xs, ys)
        vis = visible[j]
        rows, cols = np.nonzero(vis)
        curves.append({
            "colour": spec["colours"][j],
            "kind": kind,
            "px": [round(float(v), 3) for v in px],
            "py": [round(float(v), 3) for v in py],
            # Per visible column: [column, first visible row, last visible row].
            "visible": column_spans(rows, cols),
            "marker_radius": (3 + spec["lw"] * 2) * dpi / 72.0 / 2 if kind == "scatter" else 0,
        })
    plt.close(fig)

    ext = spec["format"]
    path = os.path.join(outdir, spec["name"] + "." + ext)
    im = Image.fromarray(picture)
    if ext == "jpg":
        im.save(path, quality=85)
    else:
        im.save(path)
    truth = {
        "name": spec["name"], "picture": os.path.basename(path), "spec": spec,
        "width": W, "height": H, "args": args,
        "plot": {"left": left, "top": top_row, "right": right, "bottom": bottom_row},
        "curves": curves,
    }
    with open(os.path.join(outdir, spec["name"] + ".json"), "w") as f:
        json.dump(truth, f)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for spec in chart_list():
        draw_chart(spec, outdir)
    print("accuracy: %d charts in %s" % (len(chart_list()), outdir))


if __name__ == "__main__":
    main()
