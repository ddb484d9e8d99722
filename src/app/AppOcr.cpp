// Text recognition of a marked area (placeholder until the engine is wired).
#include "app/CurvetapApp.h"

void curvetapApp::RecogniseArea(int, int, int, int) {}
