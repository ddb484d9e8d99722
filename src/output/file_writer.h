#pragma once
// Saving text without ever leaving a half-written file behind.
#include <string>

// Writes text to path. A regular file (or a new name) is written to a temporary
// file beside it, flushed to disk and only then renamed over it, so an existing file
// is either replaced whole or left as it was, keeping its permissions. Symbolic links
// are followed and the file they lead to is replaced, the links stay. A pipe (FIFO)
// or a character device (a terminal, /dev/null) is written straight into. Anything
// else (a folder, a socket, a block device) is refused. Returns false, with a
// message in *error (may be null), when nothing or not all could be written.
bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string* error);
