#include "ui/window_layout.h"

#include <algorithm>

ClientSize ClientSizeForPicture(int pictureWidth, int pictureHeight, int toolbarWidth, int logPaneHeight,
                                int screenWidth, int screenHeight, int decorationWidth, int decorationHeight) {
    // A window narrower than its toolbar hides tools; one larger than the screen is
    // refused by the X server. The toolbar wins over the picture, the screen over both.
    const int maxW = std::max(200, screenWidth - decorationWidth);
    const int maxH = std::max(200, screenHeight - decorationHeight);
    const int w = std::max(pictureWidth + 2 * kCanvasMargin, toolbarWidth);
    const int h = pictureHeight + 2 * kCanvasMargin + logPaneHeight;
    return {std::min(w, maxW), std::min(h, maxH)};
}

bool FitSavedWindow(const WindowBox& saved, const WindowBox& display, int minWidth, int minHeight, WindowBox& out) {
    if (saved.width <= 0 || saved.height <= 0 || display.width <= 0 || display.height <= 0) return false;
    out.width = std::min(std::max(saved.width, minWidth), display.width);
    out.height = std::min(std::max(saved.height, minHeight), display.height);
    out.x = std::clamp(saved.x, display.x, display.x + display.width - out.width);
    out.y = std::clamp(saved.y, display.y, display.y + display.height - out.height);
    return true;
}
