#pragma once
// Whether the open document holds work its project file does not, which file that
// is, and the window title that says so.
#include <string>

#include "document/document.h"

class UnsavedWork {
public:
    // Follows the document's edits from now on; the document must outlive this.
    void Watch(Document& doc);
    ~UnsavedWork();

    // The document now matches the file at path (saved or opened). A new picture
    // forgets the file: there is nothing to save until the first edit.
    void Saved(const std::string& path);
    void Forget();

    // An edit or a processing pass since the picture came or the project was saved.
    bool Changed() const { return changed; }
    const std::string& ProjectPath() const { return path; }

private:
    Document* watched = nullptr;
    int id = -1;
    bool changed = false;
    std::string path;
};

// "plotsnap" without a project; "chart.plotsnap - plotsnap" with one, and a
// leading "*" while it has unsaved changes.
std::string WindowTitle(const std::string& projectPath, bool changed);
