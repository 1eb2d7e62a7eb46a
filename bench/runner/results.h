#pragma once
// The measurements of a benchmark run and the report made of them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runner/scenario.h"

namespace bench {

struct Measurement {
  std::vector<double> seconds;     // wall time, one per measured run
  std::vector<double> cpuSeconds;  // user + system time, one per measured run
  long peakRssKiB = 0;             // the largest over the runs
  std::string failure;             // not empty: the variant failed, with its output
};

struct CommandResult {
  CommandCase command;
  std::map<Variant, Measurement> variants;
  std::string mismatch;  // not empty: the variants left different states
};

struct SizeResult {
  int hosts = 0;
  int runs = 0;
  double generateSeconds = 0;
  double generateConsistentSeconds = 0;  // 0: the consistent state was not needed
  std::string loadBefore;                // the machine's load averages before and after the size's runs
  std::string loadAfter;
  std::map<std::string, uintmax_t> fileSizes;  // the generated files, by name
  std::vector<CommandResult> commands;
};

struct ReportContext {
  std::string date;
  std::string machine;
  std::string buildType;
  double totalSeconds = 0;
};

double median(std::vector<double> values);

// The whole report as markdown.
std::string renderReport(const std::vector<SizeResult>& sizes, const ReportContext& context);

// Writes the report into `path` between the result markers, keeping what the
// file holds outside them; a file without markers gets the report appended.
void writeReportInto(const std::string& path, const std::string& report);

}  // namespace bench
