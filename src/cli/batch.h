#pragma once
// Project files on the command line: exporting a project, saving a run as a
// project, and the batch that applies one project's set-up to many pictures.
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "base/log_sink.h"
#include "cli/cli_options.h"
#include "document/document.h"

// Exit code of a batch in which at least one picture failed.
inline constexpr int kExitBatchFailures = 6;

// Why the project options cannot go together (empty when they can); `given`
// lists the option names of the command line in order.
std::string ProjectOptionsProblem(const CliOptions& o, const std::vector<std::string>& given);

// export PROJECT: the window's CSV for the project, labels included, to -o FILE or
// standard output. Returns the exit code.
int ExportProject(const CliOptions& o, LogSink& log);

// --save-project: the picture, settings, plot rectangle, picks and calibration of
// this run; `processed` holds the processed picture, classes the reference colour
// of each of its patches.
int SaveRunAsProject(const CliOptions& o, const Document& processed, const std::vector<int>& classes, LogSink& log);

// --project: every picture digitized with the project's set-up, one CSV each in
// the -o folder; a failing picture is reported and skipped. One progress line per
// picture and a summary go to log.
int RunBatch(const CliOptions& o, LogSink& log);
