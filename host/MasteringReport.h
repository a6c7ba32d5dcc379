// What varnholt-render prints after jobs: the one-file report with the mastering settings and
// passes, or the batch's summary table; both also as JSON.
#pragma once

#include "host/RenderJobs.h"

#include <optional>
#include <string>

// A plain render of one file: the table of input and output figures alone.
std::string formatPlainReport(const FileOutcome& file);
std::string formatPlainReportJson(const FileOutcome& file);

std::string formatFileReport(const FileOutcome& file, const std::optional<MasteringGoal>& goal);
std::string formatFileReportJson(const FileOutcome& file, const std::optional<MasteringGoal>& goal);

std::string formatBatchTable(const BatchOutcome& batch, const std::optional<MasteringGoal>& goal);
std::string formatBatchJson(const BatchOutcome& batch, const std::optional<MasteringGoal>& goal);
