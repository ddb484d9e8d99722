#include "document/project_state.h"

#include "base/common.h"

void UnsavedWork::Watch(Document& doc) {
    if (watched) watched->Unobserve(id);
    watched = &doc;
    id = doc.Observe([this](unsigned c) {
        // A new picture is a new document with no file; worker results are no edits.
        if (c & Changes::Picture) Forget();
        else if (c & (Changes::Results | Changes::Graphs | Changes::Calibration | Changes::Labels | Changes::PlotRect))
            changed = true;
    });
}

UnsavedWork::~UnsavedWork() {
    if (watched) watched->Unobserve(id);
}

void UnsavedWork::Saved(const std::string& file) {
    path = file;
    changed = false;
}

void UnsavedWork::Forget() {
    path.clear();
    changed = false;
}

std::string WindowTitle(const std::string& projectPath, bool changed) {
    if (projectPath.empty()) return kAppName;
    const size_t slash = projectPath.find_last_of('/');
    return (changed ? "*" : "") + projectPath.substr(slash == std::string::npos ? 0 : slash + 1) + " - " + kAppName;
}
