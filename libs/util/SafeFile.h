#pragma once
// Writing an output file safely: the content goes to a temporary file in the same folder,
// which is renamed over the target only once it is complete. A failure never leaves a
// half-written file and never destroys the previous one.
#include <string>
#include <string_view>

// Writes content to path atomically. On failure returns false and sets error (when given)
// to a sentence naming the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error = nullptr);

// True when WriteFileAtomically could write path now: it is no folder or other special
// file, and its folder takes a new file. Nothing is written and an existing file is left
// as it is. On failure sets error (when given) as WriteFileAtomically would.
bool CanWriteFileAtomically(const std::string& path, std::string* error = nullptr);

// Reads a whole regular file. False with a reason naming the file when it is missing, a
// folder, or unreadable.
bool ReadWholeFile(const std::string& path, std::string& content, std::string* error = nullptr);
