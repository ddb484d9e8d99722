#pragma once
// The two background workers started after every new result: thinned curves for
// the value markers and highlight pictures for hovering. Each gets its own copy of
// the patches and hands its result back to the user-interface thread as an event.
#include <wx/thread.h>
#include <wx/event.h>

#include <memory>
#include <mutex>
#include <vector>

#include "detect/hover.h"
#include "detect/thinning.h"
#include "detect/types.h"

wxDECLARE_EVENT(EVT_THINNED_READY, wxThreadEvent);
wxDECLARE_EVENT(EVT_HOVERS_READY, wxThreadEvent);

// Where workers deliver results. The window that owns it clears the target when it
// is destroyed; a worker that finishes later then drops its result.
class ResultSink {
public:
    explicit ResultSink(wxEvtHandler* target) : target_(target) {}
    void Detach() {
        std::lock_guard<std::mutex> lock(mutex_);
        target_ = nullptr;
    }
    // Queues the event for the target if it still exists (takes ownership of the event).
    void Deliver(wxEvent* event);

private:
    std::mutex mutex_;
    wxEvtHandler* target_;
};

using ThinnedResult = std::vector<ColumnMap>;

class CalculateThinned : public wxThread {
public:
    CalculateThinned(std::shared_ptr<ResultSink> sink, int generation, PatchList patches, int imageHeight, int imageWidth);
    ~CalculateThinned() override = default;

protected:
    ExitCode Entry() override;

private:
    std::shared_ptr<ResultSink> sink;
    int generation;
    PatchList patches;
    int imageHeight, imageWidth;
};

class CalculateHovers : public wxThread {
public:
    CalculateHovers(std::shared_ptr<ResultSink> sink, int generation, PatchList patches, int imageHeight, int imageWidth);
    ~CalculateHovers() override = default;

protected:
    ExitCode Entry() override;

private:
    std::shared_ptr<ResultSink> sink;
    int generation;
    PatchList patches;
    int imageHeight, imageWidth;
};
