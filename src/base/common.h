#pragma once
// Constants every part of the program shares. Plain narrow strings so the
// toolkit-free core can use them too; the window layer widens them.
#include <array>

#define PLOTSNAP_VERSION_MAJOR 1
#define PLOTSNAP_VERSION_MINOR 21

inline constexpr const char* kAppName = "plotsnap";
inline constexpr const char* kVendorName = "Vantorel";
inline constexpr const char* kExportCaption = "Export data";
inline constexpr const char* kVersionBanner = "plotsnap version 1.21 - chart digitizer";
inline constexpr const char* kWebSite = "https://plotsnap.example.org";
inline constexpr int kVersionNumber = PLOTSNAP_VERSION_MAJOR * 100 + PLOTSNAP_VERSION_MINOR;
inline constexpr std::array<const char*, 7> kZoomLabels = {"8:1", "4:1", "2:1", "1:1", "1:2", "1:4", "1:8"};
inline constexpr std::array<double, 7> kZoomFactors = {8, 4, 2, 1, 0.5, 0.25, 0.125};
inline constexpr const char* kShowTipsKey = "ShowTips";
inline constexpr const char* kNotFirstRunKey = "NotFirstRun";

// Largest picture we agree to open: 100 megapixels (the three-channel copy alone is 300 MB).
inline constexpr long long kMaxImagePixels = 100LL * 1000 * 1000;

struct IPoint {
    int x = -1, y = -1;
    bool operator==(const IPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const IPoint& o) const { return !(*this == o); }
};

struct IRect {
    int left = -1, top = -1, right = -1, bottom = -1;
    bool IsUnset() const { return left == -1 && top == -1 && right == -1 && bottom == -1; }
    bool operator==(const IRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const IRect& o) const { return !(*this == o); }
};

inline constexpr IPoint kNoPoint{-1, -1};
inline constexpr IRect kNoRect{-1, -1, -1, -1};
