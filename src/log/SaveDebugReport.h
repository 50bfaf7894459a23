#pragma once

#include <cstdio>
#include <string>

// How the debug file is opened to append a report: std::fopen unless a front end puts its own
// way in place before the dialog runs (the console program refuses a symbolic link and keeps the
// file the user's alone). An opener returns the file, or null with the reason.
using DebugFileOpener = std::FILE* (*)(const std::string& path, std::string& reason);
void SetDebugFileOpener(DebugFileOpener opener);
