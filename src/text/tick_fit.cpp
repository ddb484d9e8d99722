#include "text/tick_fit.h"

#include <algorithm>
#include <cmath>

#include "base/numbers.h"

namespace {

struct Line {
    double offset = 0, slope = 0;
};

// Least squares of pixel on value over the chosen points.
bool FitLine(const std::vector<TickValue>& t, const std::vector<double>& u, const std::vector<size_t>& idx, Line& line) {
    if (idx.size() < 2) return false;
    double su = 0, sp = 0;
    for (size_t i : idx) {
        su += u[i];
        sp += t[i].pixel;
    }
    const double mu = su / double(idx.size()), mp = sp / double(idx.size());
    double suu = 0, sup = 0;
    for (size_t i : idx) {
        suu += (u[i] - mu) * (u[i] - mu);
        sup += (u[i] - mu) * (t[i].pixel - mp);
    }
    if (suu <= 0) return false;
    line.slope = sup / suu;
    line.offset = mp - line.slope * mu;
    return line.slope != 0 && std::isfinite(line.slope);
}

struct Consensus {
    std::vector<size_t> members;
    Line line;
    double residual = 0;  // rms px
};

double Rms(const std::vector<TickValue>& t, const std::vector<double>& u, const std::vector<size_t>& idx, const Line& l) {
    double s = 0;
    for (size_t i : idx) {
        const double d = t[i].pixel - (l.offset + l.slope * u[i]);
        s += d * d;
    }
    return idx.empty() ? 0 : std::sqrt(s / double(idx.size()));
}

std::vector<size_t> Within(const std::vector<TickValue>& t, const std::vector<double>& u, const std::vector<bool>& usable,
                           const Line& l, double tol) {
    std::vector<size_t> in;
    for (size_t k = 0; k < t.size(); ++k)
        if (usable[k] && std::abs(t[k].pixel - (l.offset + l.slope * u[k])) <= tol) in.push_back(k);
    return in;
}

// The best supported line through pairs of points; `rival` gets the size of the
// best consensus that shares at most one point with it.
Consensus BestConsensus(const std::vector<TickValue>& t, const std::vector<double>& u, const std::vector<bool>& usable,
                        double tol, size_t& rival) {
    Consensus best;
    std::vector<std::vector<size_t>> found;
    for (size_t i = 0; i < t.size(); ++i)
        for (size_t j = i + 1; j < t.size(); ++j) {
            if (!usable[i] || !usable[j] || u[i] == u[j] || t[i].pixel == t[j].pixel) continue;
            Line l;
            l.slope = (t[j].pixel - t[i].pixel) / (u[j] - u[i]);
            l.offset = t[i].pixel - l.slope * u[i];
            std::vector<size_t> in = Within(t, u, usable, l, tol);
            // Settle on the least-squares line through the members and take its members.
            Line refined;
            if (in.size() >= 2 && FitLine(t, u, in, refined)) {
                std::vector<size_t> again = Within(t, u, usable, refined, tol);
                if (again.size() >= in.size()) {
                    in = std::move(again);
                    FitLine(t, u, in, refined);
                }
                l = refined;
            }
            found.push_back(in);
            const double r = Rms(t, u, in, l);
            if (in.size() > best.members.size() || (in.size() == best.members.size() && r < best.residual)) {
                best.members = in;
                best.line = l;
                best.residual = r;
            }
        }
    rival = 0;
    for (const auto& f : found) {
        size_t shared = 0;
        for (size_t k : f) shared += std::count(best.members.begin(), best.members.end(), k);
        if (shared <= 1) rival = std::max(rival, f.size());
    }
    return best;
}

// The other scale reads the labels as well as the chosen one, but from other labels.
bool Rivals(const Consensus& other, const Consensus& chosen) {
    if (other.members.size() < chosen.members.size()) return false;
    size_t shared = 0;
    for (size_t k : other.members) shared += std::count(chosen.members.begin(), chosen.members.end(), k);
    return other.members.size() - shared >= 2;
}

}  // namespace

AxisFit FitAxisValues(const std::vector<TickValue>& ticks, const AxisFitSettings& settings) {
    AxisFit out;
    const size_t need = size_t(std::max(2, settings.minAgreeing));
    if (ticks.size() < need) {
        out.reason = ticks.size() == 1 ? "only 1 tick label read" : "only " + std::to_string(ticks.size()) + " tick labels read";
        return out;
    }

    struct Candidate {
        AxisScale scale;
        Consensus c;
        size_t rival = 0;
        std::vector<double> u;
    };
    std::vector<Candidate> candidates;
    for (AxisScale scale : {AxisScale::Linear, AxisScale::Logarithmic}) {
        Candidate cand{scale, {}, 0, std::vector<double>(ticks.size(), 0)};
        std::vector<bool> usable(ticks.size(), true);
        for (size_t k = 0; k < ticks.size(); ++k) {
            const double v = ticks[k].value;
            if (scale == AxisScale::Logarithmic) {
                usable[k] = v > 0;
                cand.u[k] = v > 0 ? std::log10(v) : 0;
            } else {
                cand.u[k] = v;
            }
            usable[k] = usable[k] && std::isfinite(cand.u[k]) && std::isfinite(ticks[k].pixel);
        }
        cand.c = BestConsensus(ticks, cand.u, usable, settings.inlierTolerance, cand.rival);
        candidates.push_back(std::move(cand));
    }
    // More agreeing labels win; on a tie the closer fit, and linear when both are close.
    const Candidate& lin = candidates[0];
    const Candidate& lg = candidates[1];
    const bool useLog = lg.c.members.size() > lin.c.members.size() ||
                        (lg.c.members.size() == lin.c.members.size() && lg.c.residual < lin.c.residual &&
                         lin.c.residual > settings.maxResidual);
    const Candidate& chosen = useLog ? lg : lin;
    const size_t agree = chosen.c.members.size();

    out.scale = chosen.scale;
    out.agreeing = chosen.c.members;
    out.residual = chosen.c.residual;
    out.offset = chosen.c.line.offset;
    out.slope = chosen.c.line.slope;
    std::sort(out.agreeing.begin(), out.agreeing.end(),
              [&](size_t a, size_t b) { return ticks[a].pixel < ticks[b].pixel; });

    const std::string counts = " (" + std::to_string(agree) + " of " + std::to_string(ticks.size()) + ")";
    if (agree < need) {
        out.reason = "fewer than " + std::to_string(need) + " tick labels agree" + counts;
    } else if (2 * agree <= ticks.size()) {
        out.reason = "too few tick labels agree" + counts;
    } else if ((chosen.rival >= need && chosen.rival >= agree) || Rivals(useLog ? lin.c : lg.c, chosen.c)) {
        out.reason = "two readings of the tick labels fit equally well";
    } else if (out.residual > settings.maxResidual) {
        out.reason = "the tick labels fit with a residual of " + FormatDouble("%.2g", out.residual) + " px";
    } else {
        out.ok = true;
    }
    return out;
}
