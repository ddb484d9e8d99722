#pragma once
// Why a picture file could not be read, in words a user can act on: missing,
// not a picture, a picture format we do not read, or a damaged file.
#include <string>

struct PictureProblem {
    enum Kind { Missing, NotAFile, CannotOpen, Empty, NotAPicture, Unsupported, Damaged };
    Kind kind = NotAPicture;
    std::string format;  // "PNG", "WebP", ...: the format the first bytes show, if any
    std::string detail;  // the system's reason for CannotOpen
};

// Tells from the file's first bytes (16 are enough) what it holds; called only for a
// file that could not be decoded. A format we decode makes it Damaged; a known
// picture format we do not decode, Unsupported; anything else, NotAPicture.
PictureProblem ClassifyUnreadableBytes(const std::string& head);

// Looks at the file itself: missing, a folder, unreadable, empty, else by its bytes.
PictureProblem DiagnoseUnreadablePicture(const std::string& path);

// "Can not read image file PATH: REASON", e.g. ": it is not a picture file".
std::string UnreadablePictureMessage(const std::string& path, const PictureProblem& problem);
