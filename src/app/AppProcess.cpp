// Processing and export entry points of the document.
#include "app/CurvetapApp.h"

void curvetapApp::ProcessImage() {}
bool curvetapApp::HasSelectedGraphs() { return false; }
bool curvetapApp::ExportData(const wxString&, bool) { return false; }
void curvetapApp::RecogniseArea(int, int, int, int) {}
