#include "ui/Workers.h"

wxDEFINE_EVENT(EVT_THINNED_READY, wxThreadEvent);
wxDEFINE_EVENT(EVT_HOVERS_READY, wxThreadEvent);

void ResultSink::Deliver(wxEvent* event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (target_)
        wxQueueEvent(target_, event);
    else
        delete event;
}

wxThread::ExitCode CalculateThinned::Entry() {
    auto result = std::make_shared<ThinnedResult>();
    result->reserve(patches.size());
    for (const Patch& patch : patches) {
        PointList points;
        ColumnMap columns;
        BuildPointList(points, PatchList{patch}, imageHeight, imageWidth, true, columns);
        result->push_back(std::move(columns));
    }
    Post(EVT_THINNED_READY, result);
    return 0;
}

wxThread::ExitCode CalculateHovers::Entry() {
    auto result = std::make_shared<HoverMap>();
    BuildHoverPictures(*result, patches, imageHeight, imageWidth, kHoverMargin);
    Post(EVT_HOVERS_READY, result);
    return 0;
}

void StartPatchWorkers(const Document& doc, const std::shared_ptr<ResultSink>& sink) {
    for (int kind = 0; kind < 2; ++kind) {
        PatchWorker* worker = kind == 0
            ? static_cast<PatchWorker*>(new CalculateThinned(sink, doc.ResultsGeneration(), doc.Patches(), doc.Height(), doc.Width()))
            : new CalculateHovers(sink, doc.ResultsGeneration(), doc.Patches(), doc.Height(), doc.Width());
        if (worker->Run() != wxTHREAD_NO_ERROR) delete worker;
    }
}

bool AcceptWorkerResult(Document& doc, wxThreadEvent& event) {
    if (event.GetEventType() == EVT_THINNED_READY)
        return doc.AcceptThinned(event.GetInt(), std::move(*event.GetPayload<std::shared_ptr<ThinnedResult>>()));
    return doc.AcceptHovers(event.GetInt(), std::move(*event.GetPayload<std::shared_ptr<HoverMap>>()));
}
