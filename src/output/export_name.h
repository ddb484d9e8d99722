#pragma once
// The file name the export offers and the one it writes to.
#include <string>

// The picture's file name with ".csv" for its extension ("chart.png" -> "chart.csv");
// "data.csv" when there is no picture file (a pasted bitmap).
std::string DefaultExportName(const std::string& picturePath);

// A name typed without an extension gets ".csv"; one with an extension is kept.
// Only the last path element counts: "run.1/data" gets it, ".hidden" does too,
// "data." becomes "data.csv".
std::string WithCsvExtension(const std::string& path);
