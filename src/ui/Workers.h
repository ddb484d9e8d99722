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
#include "document/document.h"

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

using ThinnedResult = ThinnedCurves;

// What both workers are given: where to deliver, their generation, and their own copy
// of the patches and the image size (they never read the canvas).
class PatchWorker : public wxThread {
public:
    PatchWorker(std::shared_ptr<ResultSink> sink, int generation, PatchList patches, int imageHeight, int imageWidth)
        : wxThread(wxTHREAD_DETACHED), sink(std::move(sink)), generation(generation), patches(std::move(patches)),
          imageHeight(imageHeight), imageWidth(imageWidth) {}

protected:
    // Posts the result with the generation number to the sink.
    template <class Result>
    void Post(wxEventType type, std::shared_ptr<Result> result) {
        auto* event = new wxThreadEvent(type, int(GetId()));
        event->SetInt(generation);
        event->SetPayload(result);
        sink->Deliver(event);
    }

    std::shared_ptr<ResultSink> sink;
    int generation;
    PatchList patches;
    int imageHeight, imageWidth;
};

class CalculateThinned : public PatchWorker {
public:
    using PatchWorker::PatchWorker;

protected:
    ExitCode Entry() override;
};

class CalculateHovers : public PatchWorker {
public:
    using PatchWorker::PatchWorker;

protected:
    ExitCode Entry() override;
};

// Starts both workers for the document's current patches, tagged with its results
// generation; the document takes back only results of the generation it is at.
void StartPatchWorkers(const Document& doc, const std::shared_ptr<ResultSink>& sink);
// Hands a delivered event's result to the document; false when it was stale.
bool AcceptWorkerResult(Document& doc, wxThreadEvent& event);
