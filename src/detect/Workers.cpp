#include "detect/Workers.h"

wxDEFINE_EVENT(EVT_THINNED_READY, wxThreadEvent);
wxDEFINE_EVENT(EVT_HOVERS_READY, wxThreadEvent);

void ResultSink::Deliver(wxEvent* event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (target_)
        wxQueueEvent(target_, event);
    else
        delete event;
}

CalculateThinned::CalculateThinned(std::shared_ptr<ResultSink> s, int g, PatchList p, int h, int w)
    : wxThread(wxTHREAD_DETACHED), sink(std::move(s)), generation(g), patches(std::move(p)), imageHeight(h), imageWidth(w) {}

wxThread::ExitCode CalculateThinned::Entry() {
    auto result = std::make_shared<ThinnedResult>();
    result->reserve(patches.size());
    for (const Patch& patch : patches) {
        PointList points;
        ColumnMap columns;
        BuildPointList(points, PatchList{patch}, imageHeight, imageWidth, true, columns);
        result->push_back(std::move(columns));
    }
    auto* event = new wxThreadEvent(EVT_THINNED_READY, int(GetId()));
    event->SetInt(generation);
    event->SetPayload(result);
    sink->Deliver(event);
    return 0;
}

CalculateHovers::CalculateHovers(std::shared_ptr<ResultSink> s, int g, PatchList p, int h, int w)
    : wxThread(wxTHREAD_DETACHED), sink(std::move(s)), generation(g), patches(std::move(p)), imageHeight(h), imageWidth(w) {}

wxThread::ExitCode CalculateHovers::Entry() {
    auto result = std::make_shared<HoverMap>();
    BuildHoverPictures(*result, patches, imageHeight, imageWidth, kHoverMargin);
    auto* event = new wxThreadEvent(EVT_HOVERS_READY, int(GetId()));
    event->SetInt(generation);
    event->SetPayload(result);
    sink->Deliver(event);
    return 0;
}
