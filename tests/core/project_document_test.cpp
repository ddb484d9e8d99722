// A document saved as a project and opened again is the same document: the same
// patches, picks, calibration, labels and export, byte for byte.
#include <gtest/gtest.h>

#include "cli_sample_chart.h"
#include "document/project_document.h"
#include "document/selection.h"
#include "output/csv_writer.h"
#include "output/series.h"

namespace {

class NoQuestions : public ExportQuestions {
public:
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string&, const std::string&) override {}
};

std::string Csv(const Document& doc, const ProjectOutput& out, bool logY) {
    ExportSettings s;
    s.logY = logY;
    s.thin = out.lineFiltering;
    s.commonX = out.commonXAxis;
    s.imageHeight = doc.Height();
    s.imageWidth = doc.Width();
    NoQuestions q;
    const auto table = PrepareExport(doc.Graphs(), doc.GetCalibration(), s, q, nullptr);
    return table ? BuildCsvText(*table, doc.Labels()) : "refused";
}

TEST(ProjectDocument, OpeningASavedDocumentGivesItBackExactly) {
    namespace sc = sample_chart;
    NullLog log;
    Document doc;
    doc.SetPicture(sc::Draw());
    ProcessSettings first;
    first.minPatchSize = 1;
    doc.InstallResults(RunProcessing(doc.Picture(), first, {-1, -1, -1, -1}, log, {}), first);
    // A pick from a pass with other settings must survive the pass the project repeats.
    doc.Pick([](const Patch& p) { return HitPatch({static_cast<int>(sc::ColumnOf(5)), static_cast<int>(sc::RowOf(sc::Red(5)))}, p, 3); });
    ProcessSettings second;
    second.removeGrid = true;
    doc.InstallResults(RunProcessing(doc.Picture(), second, {-1, -1, -1, -1}, log, {}), second);
    doc.SelectGraph(1);
    doc.Pick([](const Patch& p) { return HitPatch({static_cast<int>(sc::ColumnOf(8)), static_cast<int>(sc::RowOf(sc::Blue(8)))}, p, 3); });
    ASSERT_EQ(doc.Graphs()[0].size() + doc.Graphs()[1].size(), 2u);
    doc.SetCalibration({0, sc::kLeft, 10, sc::kRight, 1, sc::kBottom, 100, sc::kTop, sc::kBottom + 3, sc::kLeft - 3});
    TextLabel legend;
    legend.text = "Speed";
    legend.kind = LABEL_YLEGEND;
    doc.AddLabels({legend});
    const ProjectOutput out{false, true};

    const std::vector<cv::Vec3b> colours(2, cv::Vec3b(230, 20, 20));
    const ProjectRead read = ProjectFromText(ProjectToText(ProjectFromDocument(doc, colours, false, true, out)));
    ASSERT_TRUE(read.project) << read.message;
    Document opened;
    OpenProjectInDocument(opened, *read.project, log, {});

    EXPECT_TRUE(opened.State() == doc.State());
    EXPECT_EQ(opened.Patches(), doc.Patches());
    EXPECT_FALSE(opened.CanUndo());
    EXPECT_TRUE(read.project->logY);
    EXPECT_EQ(Csv(opened, read.project->output, read.project->logY), Csv(doc, out, true));
    EXPECT_NE(Csv(doc, out, true), "refused");
}

}  // namespace
