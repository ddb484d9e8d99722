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

