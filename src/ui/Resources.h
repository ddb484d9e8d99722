#pragma once
// Toolbar bitmaps and the window icon, compiled into the program.
#include <wx/bitmap.h>
#include <wx/icon.h>

wxBitmap LoadResourceBitmap(const char* name);
wxIcon LoadResourceIcon(const char* name);
