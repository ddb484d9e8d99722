#!/usr/bin/env bash
# Puts small deliberate faults into the core, one at a time, and reports whether
# the test suite fails on each. Works on a scratch copy of the tree, so the
# working tree is never touched; a fault that no longer applies is reported too.
#   tools/mutants.sh [scratch-dir [commit]]   (default: .mutants beside src/, the working tree)
#   ONLY="3 8" tools/mutants.sh ...           runs only those faults (by number)
# Exit status: 0 when every fault was caught and applied.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SCRATCH=${1:-$ROOT/.mutants}
COMMIT=${2:-}
TREE=$SCRATCH/tree
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$ROOT")} CCACHE_NOHASHDIR=1 OMP_THREAD_LIMIT=1
export HOME=$SCRATCH/home
mkdir -p "$TREE" "$HOME"
# The same layout below the scratch tree as below the real one keeps the compiler cache warm.
if [ -n "$COMMIT" ]; then
    find "$TREE" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
    git -C "$ROOT" archive "$COMMIT" | tar -x -m -C "$TREE"  # new times: nothing built from an earlier fault stays
else
    rsync -a --delete --exclude /build --exclude '/.mutants*' --exclude /.git "$ROOT"/ "$TREE"/
fi
cmake -S "$TREE" -B "$TREE/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2

# file | text to find (exactly once) | replacement | what the fault is
MUTANTS=$(cat <<'LIST'
src/output/mapping.cpp|const double t = (p - pixel1) /|const double t = (p + 1 - pixel1) /|off-by-one in the pixel-to-value mapping
src/output/mapping.cpp|if (xPixel2 - xPixel1 == 1) bits|if (xPixel2 - xPixel1 == 2) bits|too-small X scale test off by one
src/output/mapping.cpp|std::chars_format::general, 6)|std::chars_format::general, 5)|five significant digits in exported numbers
src/output/csv_writer.cpp|return ValueToText(PixelToValueX(px, c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, table.logX));|return ValueToText(PixelToValueY(px, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2, table.logY, table.yOffset));|X and Y swapped in the exported X values
src/detect/colour.cpp|return 169u * dl * dl + 576u * da * da + 676u * db * db;|return 169u * dl * dl + 676u * da * da + 676u * db * db;|wrong colour weight for the a channel
src/detect/grid.cpp|for (int i = 1; i <= gap; ++i) {|for (int i = 1; i < gap; ++i) {|a grid-width step dropped when erasing a line
src/detect/thinning.cpp|sum >= 2 && sum <= 6;|sum >= 2 && sum <= 5;|thinning keeps pixels with six neighbours
src/detect/grouping.cpp|if (minPatchSize <= runs.size() \|\| minPatchSize <= height)|if (minPatchSize < runs.size() \|\| minPatchSize < height)|minimum patch size off by one
src/detect/binarise.cpp|cv::threshold(grey, out, threshold, 255, cv::THRESH_BINARY);|cv::threshold(grey, out, threshold + 1, 255, cv::THRESH_BINARY);|manual threshold off by one
src/text/label_rules.cpp|if ((others & ~otherAxis) == 0) return others \| withK;|if ((others & ~otherAxis) != 0) return others \| withK;|a label kind rule inverted
src/base/numbers.cpp|if (!in.eof()) return std::nullopt;|if (in.eof()) return std::nullopt;|whole-number test inverted
src/document/selection.cpp|return std::abs(p.x - run.col) < tol && lo - tol < p.y|return std::abs(p.x - run.col) <= tol && lo - tol < p.y|click tolerance one pixel too wide
src/document/selection.cpp|for (const PatchList& slot : slots) picked.insert|for (const PatchList& slot : slots) if (false) picked.insert|picks lost when new results arrive
src/document/document.cpp|    selection.insert(selection.end(), added.begin(), added.end());\n    history.Record(before);|    selection.insert(selection.end(), added.begin(), added.end());|a history snapshot missed for a pick
src/document/document.cpp|if (gen != generation) return false;  // made for patches that are gone|if (gen > generation) return false;|a stale worker result accepted
src/document/document.cpp|const int kinds = AxisKinds(axis);|const int kinds = AxisKinds(axis == Axis::X ? Axis::Y : Axis::X);|clearing an axis clears the other axis's label kinds
src/document/document.cpp|IPoint{label.left + label.width / 2, label.top + label.height + 2}|IPoint{label.left + label.width / 2, label.top + label.height}|X label calibration point on the wrong row
src/detect/axes.cpp|if (top && !right && thick(top) < thick(left)) top = nullptr;|if (top && !right && thick(top) < thick(left) - 1) top = nullptr;|a thin grid line at open axes' top taken for the frame
src/detect/class_pick.cpp|std::isnan(back) ? 0 : (back - r) / float(step * k);|0.0f;|a followed curve's slope ignored across a gap
src/detect/annotation.cpp|s.oneInkPerClass && c.pieces >= 3 &&|s.oneInkPerClass && c.pieces >= 30 &&|dashes beside a curve of their colour dropped as writing
src/output/file_writer.cpp|    else if (::fsync(fd) != 0)\n        err = errno;\n    if (::close(fd) != 0 && err == 0) err = errno;\n    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;|    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;\n    if (err == 0 && ::fsync(fd) != 0) err = errno;\n    if (::close(fd) != 0 && err == 0) err = errno;|an atomic write that renames before it syncs
LIST
)

apply() {  # file, from, to: replaces exactly one occurrence; fails otherwise
    python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2], sys.argv[3]
unescape = lambda s: s.replace('\\n', '\n').replace('\x01', '|')
old, new = unescape(old), unescape(new)
text = open(path).read()
if text.count(old) != 1:
    sys.exit(1)
open(path, 'w').write(text.replace(old, new))
PY
}

suite() {  # 0 when the suite passes; the window tests only run when the core ones pass
    cmake --build "$TREE/build" -j2 --target core_tests >"$SCRATCH/build.log" 2>&1 || return 2
    # The quick tests first; the slow file-damage and usage runs only when those pass.
    local quick='-DamagedFiles.*:CliUsage.*'
    "$TREE/build/tests/core_tests" --gtest_brief=1 --gtest_fail_fast --gtest_filter="$quick" >"$SCRATCH/core.log" 2>&1 || return 1
    [ "${1:-}" = quick ] && return 0
    "$TREE/build/tests/core_tests" --gtest_brief=1 --gtest_fail_fast --gtest_filter="${quick#-}" >>"$SCRATCH/core.log" 2>&1 || return 1
    cmake --build "$TREE/build" -j2 --target gui_tests >>"$SCRATCH/build.log" 2>&1 || return 2
    (cd "$TREE/build" && xvfb-run -a -s "-screen 0 1280x1024x24" ./tests/gui_tests >"$SCRATCH/gui.log" 2>&1) || return 1
    return 0
}

missed=0 n=0
printf '%-4s %-8s %s\n' "#" "result" "fault"
suite quick || { echo "the unchanged suite does not pass; see $SCRATCH/*.log"; exit 2; }
while IFS='|' read -r file from to what; do
    [ -z "$file" ] && continue
    n=$((n + 1))
    if [ -n "${ONLY:-}" ] && [[ " $ONLY " != *" $n "* ]]; then continue; fi
    cp "$TREE/$file" "$SCRATCH/original"
    if ! apply "$TREE/$file" "$from" "$to"; then
        printf '%-4s %-8s %s (%s: text not found)\n' "$n" "STALE" "$what" "$file"
        missed=$((missed + 1))
        continue
    fi
    suite
    case $? in
        0) result=SURVIVED; missed=$((missed + 1)) ;;
        1) result=caught ;;
        *) result=BROKEN; missed=$((missed + 1)) ;;  # a fault must compile to count
    esac
    printf '%-4s %-8s %s (%s)\n' "$n" "$result" "$what" "$file"
    cp "$SCRATCH/original" "$TREE/$file"
done <<<"$(printf '%s\n' "$MUTANTS" | sed -e 's/\\|/\x01/g')"
[ -n "${ONLY:-}" ] && n=$(wc -w <<<"$ONLY")
echo "$((n - missed)) of $n faults caught"
[ "$missed" -eq 0 ]
