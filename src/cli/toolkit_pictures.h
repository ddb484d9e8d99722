#pragma once
// Formats other than PNG and JPEG are read by the toolkit's decoders, which live in a
// module opened on the first such picture: a run on PNG or JPEG never loads the
// window system's libraries.
#include "app/picture_read.h"

// A picture is refused as unreadable, with the reason on standard error, when the
// module cannot be found or opened.
PictureMatrix ReadPictureForCli(const std::string& path);

// Opens the module and starts its toolkit on the calling thread, which must be the
// main thread; before other threads read pictures.
void StartToolkitPictures();

// Frees what the module's decoders hold, once no picture is being read; call before exit.
void EndToolkitPictures();
