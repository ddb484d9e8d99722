#pragma once
// Saving text without ever leaving a half-written file behind.
#include <string>

// Writes text to a temporary file beside path, flushes it to disk and only then
// renames it over path, so an existing file is either replaced whole or left as it
// was. A symbolic link at path is followed and its target replaced; an existing
// file keeps its permissions. Returns false, with a message in *error (may be
// null), when the folder is missing or not writable or the write fails.
bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string* error);
