// --import-sites FILE and --export-sites FILE: the user's sites taken from
// or written to a KML, GPX, GeoJSON or CSV file without opening a window,
// through the same tables, terrain and "usersite.bin" the viewer uses.
#pragma once

#include <cstdio>

#include "app/command_line.h"

namespace tnx::app {

// Import: each skipped entry (and each name that had to change) as a line
// on `err`, the summary on `out`; 0 when everything came in or was there
// already, 1 when entries were skipped, 2 when the file could not be read,
// held no place, or "usersite.bin" could not be written. Export: 0, or 2
// with the reason.
int runSiteFileCommand(const SiteFileRequest& request, std::FILE* out, std::FILE* err);

}  // namespace tnx::app
