#include "canvas/edit_state.h"

bool AxisCalibration::operator==(const AxisCalibration& o) const {
    return x1 == o.x1 && x2 == o.x2 && y1 == o.y1 && y2 == o.y2 && xValue1 == o.xValue1 && xValue2 == o.xValue2 &&
           yValue1 == o.yValue1 && yValue2 == o.yValue2 && x1Set == o.x1Set && x2Set == o.x2Set &&
           y1Set == o.y1Set && y2Set == o.y2Set && xLog == o.xLog && yLog == o.yLog;
}

namespace {
std::size_t PatchBytes(const PatchList& list) {
    std::size_t n = list.size() * sizeof(Patch);
    for (const Patch& p : list) n += p.size() * sizeof(Run);
    return n;
}
}  // namespace

std::size_t EditState::ApproxBytes() const {
    std::size_t n = sizeof(EditState) + PatchBytes(working);
    for (const PatchList& s : slots) n += PatchBytes(s);
    for (const ColumnMap& m : thinned) {
        n += m.size() * 48;
        for (const auto& kv : m) n += kv.second.size() * sizeof(int);
    }
    for (const TextLabel& l : textLabels) n += sizeof(TextLabel) + l.text.size();
    for (const ValueMarker& v : valueMarkers) n += sizeof(ValueMarker) + v.text.size();
    return n;
}

void EditHistory::Clear() {
    entries.clear();
    position = 0;
    bytes = 0;
}

void EditHistory::Record(EditState before) {
    while (entries.size() > position) {
        bytes -= entries.back().ApproxBytes();
        entries.pop_back();
    }
    bytes += before.ApproxBytes();
    entries.push_back(std::move(before));
    position = entries.size();
    Trim();
}

bool EditHistory::Undo(const EditState& current, EditState& restore) {
    if (position == 0) return false;
    if (position == entries.size()) {
        // Keep the state we leave so Redo can come back to it.
        bytes += current.ApproxBytes();
        entries.push_back(current);
    }
    --position;
    restore = entries[position];
    Trim();
    return true;
}

bool EditHistory::Redo(EditState& restore) {
    if (position + 1 >= entries.size()) return false;
    ++position;
    restore = entries[position];
    return true;
}

void EditHistory::Trim() {
    while (entries.size() > 1 && (entries.size() > kMaxEntries || bytes > kMaxBytes) && position > 0) {
        bytes -= entries.front().ApproxBytes();
        entries.pop_front();
        --position;
    }
}
