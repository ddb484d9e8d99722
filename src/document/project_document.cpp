#include "document/project_document.h"

#include <opencv2/imgproc.hpp>

#include "detect/colour.h"
#include "document/project_picks.h"

cv::Vec3b ReferenceColourRgb(int index) {
    static const std::vector<cv::Vec3b> rgb = [] {
        cv::Mat lab(1, static_cast<int>(kReferenceColours.size()), CV_8UC3), out;
        for (size_t i = 0; i < kReferenceColours.size(); ++i) lab.at<cv::Vec3b>(0, static_cast<int>(i)) = kReferenceColours[i];
        cv::cvtColor(lab, out, cv::COLOR_Lab2RGB);
        return std::vector<cv::Vec3b>(out.begin<cv::Vec3b>(), out.end<cv::Vec3b>());
    }();
    return index >= 0 && index < static_cast<int>(rgb.size()) ? rgb[size_t(index)] : cv::Vec3b(0, 0, 0);
}

Project ProjectFromDocument(const Document& doc, const std::vector<cv::Vec3b>& pickColours, bool logX, bool logY,
                            const ProjectOutput& output) {
    Project p;
    p.picture = doc.Picture();
    p.process = doc.Settings();
    p.processed = doc.Processed();
    p.plotRect = doc.PlotRect();
    p.graphs = PicksFromSlots(doc.Graphs(), pickColours);
    p.currentGraph = doc.CurrentGraph();
    p.calibration = doc.GetCalibration();
    p.logX = logX;
    p.logY = logY;
    p.labels = doc.Labels();
    p.output = output;
    return p;
}

void OpenProjectInDocument(Document& doc, const Project& p, LogSink& log, const AbortQuestion& ask) {
    ProcessResult result;
    if (p.processed) {
        const IRect& r = p.plotRect;
        result = RunProcessing(p.picture, p.process, {r.left, r.top, r.right, r.bottom}, log, ask);
    }
    DocumentState saved;
    saved.calibration = p.calibration;
    saved.plotRect = p.plotRect;
    saved.graphs = SlotsFromPicks(p.graphs);
    saved.currentGraph = p.currentGraph;
    saved.labels = p.labels;
    doc.SetPicture(p.picture);
    // The saved picks go in first, so the new patch list keeps every one of them.
    doc.Restore(saved);
    if (result.ran) {
        doc.InstallResults(std::move(result), p.process);
        doc.Restore(saved);  // the saved rectangle, not the pass's cut of it
    }
    doc.ClearHistory();
}
