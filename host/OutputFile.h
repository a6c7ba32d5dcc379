// Putting a finished output in place: written to a temporary beside the target and renamed once
// complete, so an error, a full disk or an interrupt leaves neither a partial file nor the
// temporary.
#pragma once

#include <string>
#include <vector>

// Throws HostError naming the target and the reason.
void writeFileInPlace(const std::string& targetPath, const std::vector<char>& bytes);
