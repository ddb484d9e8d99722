#include "ui/Resources.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include "ui/embedded_resources.h"

wxBitmap LoadResourceBitmap(const char* name) {
    const EmbeddedResource* res = FindEmbeddedResource(name);
    if (!res) return wxBitmap(24, 24);
    wxMemoryInputStream in(res->data, res->size);
    wxImage img(in, wxBITMAP_TYPE_PNG);
    return img.IsOk() ? wxBitmap(img) : wxBitmap(24, 24);
}

wxIcon LoadResourceIcon(const char* name) {
    wxIcon icon;
    icon.CopyFromBitmap(LoadResourceBitmap(name));
    return icon;
}
