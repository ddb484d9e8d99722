#!/usr/bin/env python3
"""Project round trip over the accuracy set: for every chart, digitize it with the
harness's clicks and calibration, saving the run as a project; then export the
project and check the CSV is the same, byte for byte.

usage: project_roundtrip.py PLOTSNAP_CLI CHART_DIR
"""
import json
import os

import numpy as np
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from score import pick_args  # noqa: E402  the harness's own picks


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, chartdir = sys.argv[1], sys.argv[2]
    same, failed = 0, []
    names = sorted(n for n in os.listdir(chartdir) if n.endswith(".json"))
    with tempfile.TemporaryDirectory() as tmp:
        for name in names:
            with open(os.path.join(chartdir, name)) as f:
                truth = json.load(f)
            for c in truth["curves"]:  # as the scorer prepares them
                c["_px"], c["_py"] = np.array(c["px"]), np.array(c["py"])
                c["_spans"] = {col: (lo, hi) for col, lo, hi in c["visible"]}
            direct, exported = os.path.join(tmp, "direct.csv"), os.path.join(tmp, "exported.csv")
            project = os.path.join(tmp, "p.plotsnap")
            picture = os.path.join(chartdir, truth["picture"])
            run = subprocess.run([cli, "process", picture, "--no-common-x"] + truth["args"] +
                                 pick_args(truth, "clicks", False) + ["-o", direct, "--save-project", project],
                                 capture_output=True, text=True)
            back = subprocess.run([cli, "export", project, "-o", exported], capture_output=True, text=True)
            if run.returncode == 0 and back.returncode == 0 and open(direct, "rb").read() == open(exported, "rb").read():
                same += 1
            else:
                failed.append("%s (process %d, export %d)" % (name, run.returncode, back.returncode))
    print("project round trip: %d of %d charts export the same bytes" % (same, len(names)))
    for f in failed:
        print("  differs: " + f)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
