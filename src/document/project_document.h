#pragma once
// A document as a project and a project as the open document.
#include <opencv2/core.hpp>

#include <vector>

#include "base/log_sink.h"
#include "detect/grouping.h"
#include "document/document.h"
#include "document/project_file.h"

// The reference colours (index into kReferenceColours) as red, green, blue.
cv::Vec3b ReferenceColourRgb(int index);

// The project of a document. pickColours holds the class colour of every picked
// patch, graph by graph in pick order; the log flags and output settings are the
// window's.
Project ProjectFromDocument(const Document& doc, const std::vector<cv::Vec3b>& pickColours, bool logX, bool logY,
                            const ProjectOutput& output);

// Makes the project the document: picture, plot rectangle, picks, calibration and
// labels, processed again with the saved settings when it had been processed, so
// the patches are back and every pick is exactly as saved; no undo history. The
// pass runs before the document is touched, so an exception leaves it as it was.
void OpenProjectInDocument(Document& doc, const Project& p, LogSink& log, const AbortQuestion& ask);
