#!/usr/bin/python3
"""Draws the published-figure set: charts as journals and plotting programs print
them, with exactly known curves.

The layouts: open axes (only a left and a bottom line, in the styles of common
plotting programs), legends inside the plot at several places and in several
frames, black arrows and numbers drawn over the curves, thick curves of 4 to 6
px, PNG and JPEG, and a figure like a 729 x 613 journal plot (five thick curves,
three of them close together and overlapping near the left edge, a boxed legend
inside, 3-px axes, arrows with the numbers 1-5).

Writes NAME.png or NAME.jpg and NAME.json in the format of charts.py, plus per
curve its legend "label", and "axes": the plot area the axes enclose (first
column right of the left axis line, last row above the bottom line, and where
the lines end), for the scorer's plot-area check.

usage: published.py OUTDIR
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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from charts import column_spans, render  # noqa: E402

NAMES = ["Control", "Heated", "Cooled", "Mixed", "Dried", "Treated"]
COLOURS = {
    "journal": ["#000000", "#ff0000", "#0000ff", "#ff00ff", "#00a000"],
    "plotlib": ["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd"],
}
LEGEND_PLACES = ["upper right", "upper left", "lower right", "center right", "lower left"]


def chart_list():
    charts = []
    styles = ["matplotlib", "journal", "detached"]
    frames = ["rounded", "box", "none"]
    for i in range(15):
        palette = "journal" if i % 2 == 0 else "plotlib"
        charts.append({
            "name": "p%02d-%s" % (i, styles[i % 3]),
            "palette": palette,
            "colours": COLOURS[palette][: 2 + i % 4],
            "size": [(640, 480), (800, 600), (1000, 700), (729, 613), (1200, 900)][i % 5],
            "style": styles[i % 3],
            "legend": LEGEND_PLACES[i % 5],
            "legend_frame": frames[(i // 3) % 3],
            "annotations": i % 3 != 2,
            "px": [4, 5, 6][i % 3],
            "format": "jpg" if i % 2 == 1 else "png",
            "converge": i % 4 == 0,
            "seed": 5000 + i,
        })
    # The journal figure: five thick curves, three meeting near the left edge.
    charts.append({"name": "p15-journal-figure", "palette": "journal", "colours": COLOURS["journal"],
                   "size": (729, 613), "style": "journal", "legend": "upper right", "legend_frame": "box",
                   "annotations": True, "px": 5, "format": "jpg", "converge": True, "seed": 5100})
    return charts


def curve_data(spec, j, n, rng):
    x = np.linspace(0.0, 10.0, 1500)
    if spec["converge"] and j < 3:
        # Three curves that start together and part to the right.
        y = 30 + (8 + 12 * j) * (1 - np.exp(-x / 3.0)) * (1 + 0.05 * rng.random())
    else:
        centre = 20 + 60 * (j + 0.5) / n
        y = centre + (6 + 6 * rng.random()) * np.sin((0.3 + 0.4 * rng.random()) * x + 6 * rng.random())
    return x, np.clip(y, 3, 97)


def style_axes(ax, spec, dpi):
    ax.spines["top"].set_visible(False)
    ax.spines["right"].set_visible(False)
    if spec["style"] == "journal":
        # 3-px axis lines, ticks inward.
        for s in ("left", "bottom"):
            ax.spines[s].set_linewidth(3 * 72.0 / dpi)
        ax.tick_params(direction="in", width=2 * 72.0 / dpi, length=6)
    elif spec["style"] == "detached":
        # Axis lines set off from the plot and drawn over the ticks' range only.
        for s in ("left", "bottom"):
            ax.spines[s].set_position(("outward", 8))
        ax.spines["left"].set_bounds(0, 100)
        ax.spines["bottom"].set_bounds(0, 10)


def free_spot(masks, H, W, near, rng, margin, keep_out):
    """A pixel at least `margin` px from every curve and outside `keep_out`, close to `near`."""
    ink = np.zeros((H, W), bool)
    for m in masks:
        ink |= m
    ys, xs = np.nonzero(ink)
    for _ in range(400):
        cx = int(near[0] + rng.normal(0, 40))
        cy = int(near[1] + rng.normal(0, 40))
        if not (20 < cx < W - 20 and 20 < cy < H - 20):
            continue
        x0, y0, x1, y1 = keep_out
        if x0 - margin <= cx <= x1 + margin and y0 - margin <= cy <= y1 + margin:
            continue
        if ys.size == 0 or np.min((xs - cx) ** 2 + (ys - cy) ** 2) >= margin ** 2:
            return cx, cy
    return None


def draw_chart(spec, outdir):
    w, h = spec["size"]
    dpi = 100.0
    fig = plt.figure(figsize=(w / dpi, h / dpi), dpi=dpi, facecolor="white")
    ax = fig.add_axes([0.12, 0.12, 0.83, 0.82])
    style_axes(ax, spec, dpi)
    rng = np.random.default_rng(spec["seed"])
    n = len(spec["colours"])
    lw = spec["px"] * 72.0 / dpi
    lines, truths = [], []
    for j, colour in enumerate(spec["colours"]):
        x, y = curve_data(spec, j, n, rng)
        (ln,) = ax.plot(x, y, linewidth=lw, color=colour, label=NAMES[j], solid_capstyle="butt")
        lines.append(ln)
        truths.append(("line", x, y))
    ax.set_xlim(0, 10)
    ax.set_ylim(0, 100)
    frame = spec["legend_frame"]
    legend = ax.legend(loc=spec["legend"], frameon=frame != "none", fancybox=frame == "rounded",
                       edgecolor="black" if frame == "box" else "0.8", framealpha=1.0 if frame == "box" else 0.8,
                       fontsize=10)
    fig.canvas.draw()
    H, W = int(fig.bbox.height), int(fig.bbox.width)

    def to_pixels(xs, ys):
        pts = ax.transData.transform(np.column_stack([xs, ys]))
        return pts[:, 0] - 0.5, H - pts[:, 1] - 0.5

    # Each curve alone, for its pixels.
    hidden = [a for a in [legend] + list(ax.spines.values()) if a.get_visible()]
    for a in hidden:
        a.set_visible(False)
    ax.xaxis.set_visible(False)
    ax.yaxis.set_visible(False)
    alone = []
    for j in range(n):
        for k, other in enumerate(lines):
            other.set_visible(k == j)
        alone.append(255 - render(fig).astype(np.int16).min(axis=2))
    for ln in lines:
        ln.set_visible(False)

    # The plot area the axis lines enclose, from the lines' own pixels: the first
    # column right of the left line and the last row above the bottom line (a
    # faint fringe counts as clear), and the rows and columns where the lines end.
    for s in ("left", "bottom"):
        ax.spines[s].set_visible(True)
    spines = 255 - render(fig).astype(np.int16).min(axis=2) > 55
    ax.spines["left"].set_visible(False)
    ax.spines["bottom"].set_visible(False)
    col_ink, row_ink = spines.sum(axis=0), spines.sum(axis=1)
    left_cols = np.nonzero(col_ink > H // 3)[0]
    bottom_rows = np.nonzero(row_ink > W // 3)[0]
    left_rows = np.nonzero(spines[:, left_cols].any(axis=1))[0]
    bottom_cols = np.nonzero(spines[bottom_rows, :].any(axis=0))[0]
    axes_area = {"left": int(left_cols.max()) + 1, "top": int(left_rows.min()),
                 "right": int(bottom_cols.max()), "bottom": int(bottom_rows.min()) - 1}

    lb = legend.get_window_extent()
    legend_box = (int(math.floor(lb.x0)) - 1, int(math.floor(H - lb.y1)) - 1,
                  int(math.ceil(lb.x1)) + 1, int(math.ceil(H - lb.y0)) + 1)
    # Numbers and arrows, in black, pointing at curves but clear of every curve.
    notes = []
    if spec["annotations"]:
        masks = [a > 40 for a in alone]
        for k in range(5):
            j = k % n
            px, py = to_pixels(*truths[j][1:])
            t = int(len(px) * (0.15 + 0.17 * k))
            spot = free_spot(masks, H, W, (px[t] + 30, py[t] - 45), rng, 26, legend_box)
            if spot is None:
                continue
            xy = ax.transData.inverted().transform((px[t] + 0.5, H - py[t] - 0.5))
            xytext = ax.transData.inverted().transform((spot[0] + 0.5, H - spot[1] - 0.5))
            notes.append(ax.annotate(str(k + 1), xy=xy, xytext=xytext, fontsize=11, color="black",
                                     ha="center", va="center",
                                     arrowprops=dict(arrowstyle="->", color="black", lw=1.2, shrinkA=6,
                                                     shrinkB=9)))
    over = 255 - render(fig).astype(np.int16).min(axis=2)  # the notes alone
    for a in hidden:
        a.set_visible(True)
    ax.xaxis.set_visible(True)
    ax.yaxis.set_visible(True)
    for ln in lines:
        ln.set_visible(True)
    picture = render(fig)

    covered_by_notes = over > 24
    visible = []
    for j in range(n):
        covered = covered_by_notes.copy()
        for k in range(j + 1, n):
            covered |= alone[k] > 96
        covered[legend_box[1]:legend_box[3] + 1, legend_box[0]:legend_box[2] + 1] = True
        visible.append((alone[j] > 96) & ~covered)

    def x_value(col):
        return float(ax.transData.inverted().transform((col + 0.5, 0))[0])

    def y_value(row):
        return float(ax.transData.inverted().transform((0, H - row - 0.5))[1])

    # Calibration on exact ticks.
    c1, c2 = [int(round(to_pixels([v], [0])[0][0])) for v in (2, 8)]
    r1, r2 = [int(round(to_pixels([0], [v])[1][0])) for v in (20, 80)]
    args = ["--x", "%d=%.17g,%d=%.17g" % (c1, x_value(c1), c2, x_value(c2)),
            "--y", "%d=%.17g,%d=%.17g" % (r1, y_value(r1), r2, y_value(r2))]

    bbox = ax.get_window_extent()
    curves = []
    for j, (kind, xs, ys) in enumerate(truths):
        px, py = to_pixels(xs, ys)
        rows, cols = np.nonzero(visible[j])
        curves.append({"colour": spec["colours"][j], "kind": kind, "label": NAMES[j],
                       "px": [round(float(v), 3) for v in px], "py": [round(float(v), 3) for v in py],
                       "visible": column_spans(rows, cols), "marker_radius": 0})
    plt.close(fig)

    path = os.path.join(outdir, spec["name"] + "." + spec["format"])
    im = Image.fromarray(picture)
    if spec["format"] == "jpg":
        im.save(path, quality=85)
    else:
        im.save(path)
    truth = {"name": spec["name"], "picture": os.path.basename(path), "spec": dict(spec, palette="published"),
             "width": W, "height": H, "args": args,
             "plot": {"left": int(math.ceil(bbox.x0)), "top": int(math.ceil(H - bbox.y1)),
                      "right": int(math.floor(bbox.x1)) - 1, "bottom": int(math.floor(H - bbox.y0)) - 1},
             "axes": axes_area, "legend_box": legend_box, "curves": curves}
    with open(os.path.join(outdir, spec["name"] + ".json"), "w") as f:
        json.dump(truth, f)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for spec in chart_list():
        draw_chart(spec, outdir)
    print("accuracy: %d published-style charts in %s" % (len(chart_list()), outdir))


if __name__ == "__main__":
    main()
