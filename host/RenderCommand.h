// varnholt-render from arguments to exit status: loads, renders, reports.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Returns 0 on success, 1 when the render fails, 2 for a malformed command line; each failure
// is one line on `errors` and leaves no output file behind.
int runRenderCommand(const std::vector<std::string>& arguments, std::ostream& report,
                     std::ostream& errors);
