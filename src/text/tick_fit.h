#pragma once
// Fitting one axis from its tick labels: which scale (equal steps or equal
// ratios at equal spacings) the read values follow, found by consensus so that a
// misread label is outvoted rather than trusted.
#include <string>
#include <vector>

// A label's value at its tick's position (pixels along the axis, sub-pixel).
struct TickValue {
    double pixel = 0;
    double value = 0;
};

enum class AxisScale { Linear, Logarithmic };

struct AxisFitSettings {
    double inlierTolerance = 1.0;  // px between a label's tick and where the fit puts its value
    double maxResidual = 0.5;      // px, root mean square over the agreeing labels
    int minAgreeing = 3;
};

struct AxisFit {
    bool ok = false;
    std::string reason;  // why not, when !ok: a phrase for the log
    AxisScale scale = AxisScale::Linear;
    std::vector<size_t> agreeing;  // indices into the input, by pixel
    double residual = 0;           // px, root mean square over `agreeing`
    // pixel = offset + slope * u, u the value (its log10 on a log axis).
    double offset = 0, slope = 0;
};

// Tries every pair of labels as the axis, linear and logarithmic, and keeps the
// reading most labels agree with (within inlierTolerance). Refuses when fewer than
// minAgreeing labels agree, when they are not a clear majority of the labels read,
// when two different readings are equally supported, or when the least-squares fit
// through them misses by more than maxResidual.
AxisFit FitAxisValues(const std::vector<TickValue>& ticks, const AxisFitSettings& settings = {});
