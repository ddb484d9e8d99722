#pragma once
// Window sizes the frame asks for: never narrower than its toolbar, never beyond
// the screen, and where the user left it last time.
struct WindowBox {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowBox& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// Picture margin on each side of the canvas, in pixels.
inline constexpr int kCanvasMargin = 8;

struct ClientSize {
    int width = 0, height = 0;
};

// The client size that shows a picture of the given size at 1:1 with the margin
// (canvas) above the log pane, at least as wide as the toolbar and no larger than
// the screen's free area minus the window decoration.
ClientSize ClientSizeForPicture(int pictureWidth, int pictureHeight, int toolbarWidth, int logPaneHeight,
                                int screenWidth, int screenHeight, int decorationWidth, int decorationHeight);

// A saved window place, fitted to the display: no larger than the display and not
// smaller than the minimum, moved so that it lies on the display. An unusable
// record (no size) gives nothing: the caller keeps its default place.
bool FitSavedWindow(const WindowBox& saved, const WindowBox& display, int minWidth, int minHeight, WindowBox& out);
