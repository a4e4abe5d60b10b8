#pragma once

#include <string>

// Why a file cannot be handed to the dynamic loader, or "" when it may be.
// The loader maps a library's segments as its headers describe them and
// crashes the process (SIGBUS) on a segment that runs past the end of a
// truncated file, so the headers are checked against the file first. Whether
// the library is for this machine and links is still the loader's to say.
std::string LibraryFileProblem(const std::string& path);
