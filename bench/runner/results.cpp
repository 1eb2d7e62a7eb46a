#include "runner/results.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace bench {

namespace {

const char kBeginMarker[] = "<!-- results:begin (written by wcbench) -->";
const char kEndMarker[] = "<!-- results:end -->";

constexpr double kFloorTarget = 1.5;
constexpr double kPlainFloorTarget = 1.0;       // at 10,000 hosts
constexpr double kPlainFloorTargetSmall = 1.3;  // at 1,000, where the process start weighs more
constexpr double kPeerTarget = 0.3;
constexpr double kCheckTarget = 1.5;  // hcpcheck against one add-alias on its state
constexpr double kMiB = 1024.0 * 1024.0;

std::string format(const char* pattern, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, value);
  return buffer;
}

std::string milliseconds(double seconds) {
  double ms = seconds * 1000;
  return format(ms < 10 ? "%.2f ms" : ms < 1000 ? "%.1f ms" : "%.0f ms", ms);
}

std::string mebibytes(double bytes) { return format(bytes < 10 * kMiB ? "%.2f MiB" : "%.1f MiB", bytes / kMiB); }

std::string hostsLabel(int hosts) {
  return hosts % 1000 == 0 ? std::to_string(hosts / 1000) + "k" : std::to_string(hosts);
}

const Measurement* measured(const CommandResult& result, Variant variant) {
  auto found = result.variants.find(variant);
  if (found == result.variants.end() || !found->second.failure.empty() || found->second.seconds.empty()) {
    return nullptr;
  }
  return &found->second;
}

using Samples = std::vector<double> Measurement::*;
constexpr Samples kWall = &Measurement::seconds;
constexpr Samples kCpu = &Measurement::cpuSeconds;

std::string medianCell(const CommandResult& result, Variant variant, Samples samples = kWall) {
  auto found = result.variants.find(variant);
  if (found == result.variants.end()) return "not run";
  if (!found->second.failure.empty()) return "failed";
  const std::vector<double>& values = found->second.*samples;
  return values.empty() ? "not run" : milliseconds(median(values));
}

std::string spreadCell(const Measurement* m) {
  if (!m) return "";
  auto [low, high] = std::minmax_element(m->seconds.begin(), m->seconds.end());
  return milliseconds(*low) + " – " + milliseconds(*high);
}

// wcadmin's median over the other variant's, or nothing.
std::optional<double> ratio(const CommandResult& result, Variant other, Samples samples = kWall) {
  const Measurement* mine = measured(result, Variant::Wcadmin);
  const Measurement* theirs = measured(result, other);
  if (!mine || !theirs) return std::nullopt;
  return median(mine->*samples) / median(theirs->*samples);
}

// The same with the fastest runs: on a busy machine the least disturbed run
// of each is the closest to what the work costs.
std::optional<double> ratioOfMinima(const CommandResult& result, Variant other) {
  const Measurement* mine = measured(result, Variant::Wcadmin);
  const Measurement* theirs = measured(result, other);
  if (!mine || !theirs) return std::nullopt;
  return *std::min_element(mine->seconds.begin(), mine->seconds.end()) /
         *std::min_element(theirs->seconds.begin(), theirs->seconds.end());
}

std::string ratioCell(std::optional<double> value) { return value ? format("%.2f×", *value) : "–"; }

// Twice server.xml's size and 10 MiB: the file as read, its output written
// in pieces, and the nodes of the few elements a command touches.
double memoryLimitBytes(const SizeResult& size) {
  auto serverXml = size.fileSizes.find("server.xml");
  return 2.0 * static_cast<double>(serverXml == size.fileSizes.end() ? 0 : serverXml->second) + 10 * kMiB;
}

std::string verdict(bool met, const std::string& detail) { return (met ? "yes (" : "**no** (") + detail + ")"; }

const SizeResult* sizeNearest(const std::vector<SizeResult>& sizes, int hosts) {
  const SizeResult* best = nullptr;
  for (const SizeResult& size : sizes) {
    if (!best || std::abs(size.hosts - hosts) < std::abs(best->hosts - hosts)) best = &size;
  }
  return best;
}

const CommandResult* commandIn(const SizeResult& size, const std::string& name) {
  for (const CommandResult& result : size.commands) {
    if (result.command.row() == name) return &result;
  }
  return nullptr;
}

void renderSize(std::ostringstream& out, const SizeResult& size) {
  out << "### " << size.hosts << " hosts\n\n";
  out << "Files:";
  const char* separator = " ";
  for (const auto& [name, bytes] : size.fileSizes) {
    out << separator << name << " " << mebibytes(static_cast<double>(bytes));
    separator = ", ";
  }
  out << ". State generated in " << milliseconds(size.generateSeconds);
  if (size.generateConsistentSeconds > 0) {
    out << ", the consistent one in " << milliseconds(size.generateConsistentSeconds);
  }
  out << "; " << size.runs << " measured runs per command and variant after one unmeasured check run; load average "
      << size.loadBefore << " before and " << size.loadAfter << " after. Times are medians.\n\n";
  out << "| Command | wcadmin | wcadmin min – max | floor | plain floor | peer | wcadmin / floor | wcadmin / plain | "
         "wcadmin / peer | wcadmin CPU | floor CPU | plain CPU | peer CPU | CPU / floor | CPU / plain | CPU / peer | "
         "wcadmin peak RSS | RSS limit | floor RSS | plain RSS | peer RSS |\n";
  out << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const CommandResult& result : size.commands) {
    auto rss = [&](Variant v) {
      auto found = result.variants.find(v);
      return found == result.variants.end() || found->second.peakRssKiB == 0
                 ? std::string("–")
                 : mebibytes(static_cast<double>(found->second.peakRssKiB) * 1024);
    };
    out << "| " << result.command.row() << " | " << medianCell(result, Variant::Wcadmin) << " | "
        << spreadCell(measured(result, Variant::Wcadmin)) << " | " << medianCell(result, Variant::Floor) << " | "
        << medianCell(result, Variant::Plain) << " | " << medianCell(result, Variant::Peer) << " | "
        << ratioCell(ratio(result, Variant::Floor)) << " | " << ratioCell(ratio(result, Variant::Plain)) << " | "
        << ratioCell(ratio(result, Variant::Peer)) << " | " << medianCell(result, Variant::Wcadmin, kCpu) << " | "
        << medianCell(result, Variant::Floor, kCpu) << " | " << medianCell(result, Variant::Plain, kCpu) << " | "
        << medianCell(result, Variant::Peer, kCpu) << " | " << ratioCell(ratio(result, Variant::Floor, kCpu)) << " | "
        << ratioCell(ratio(result, Variant::Plain, kCpu)) << " | " << ratioCell(ratio(result, Variant::Peer, kCpu))
        << " | " << rss(Variant::Wcadmin) << " | " << mebibytes(memoryLimitBytes(size)) << " | " << rss(Variant::Floor)
        << " | " << rss(Variant::Plain) << " | " << rss(Variant::Peer) << " |\n";
  }
  out << "\n";
  for (const CommandResult& result : size.commands) {
    for (const auto& [variant, m] : result.variants) {
      if (!m.failure.empty()) {
        out << "- " << result.command.row() << ", " << variantName(variant) << " failed: `" << m.failure << "`\n";
      }
    }
    if (!result.mismatch.empty()) {
      out << "- " << result.command.row() << ": the variants left different states:\n\n```\n"
          << result.mismatch << "```\n";
    }
  }
  out << "\n";
}

void renderGrowth(std::ostringstream& out, const std::vector<SizeResult>& sizes) {
  const SizeResult& first = sizes.front();
  const SizeResult& last = sizes.back();
  out << "### Growth from " << first.hosts << " to " << last.hosts << " hosts\n\n";
  out << "| Command |";
  for (const SizeResult& size : sizes) out << " wcadmin " << hostsLabel(size.hosts) << " |";
  for (Variant variant : kVariants) out << " " << variantName(variant) << " growth |";
  out << "\n|---|";
  for (size_t i = 0; i < sizes.size() + std::size(kVariants); ++i) out << "---:|";
  out << "\n";
  for (const CommandResult& result : first.commands) {
    out << "| " << result.command.row() << " |";
    for (const SizeResult& size : sizes) {
      const CommandResult* at = commandIn(size, result.command.row());
      out << " " << (at ? medianCell(*at, Variant::Wcadmin) : "–") << " |";
    }
    for (Variant variant : kVariants) {
      const CommandResult* at = commandIn(last, result.command.row());
      const Measurement* a = measured(result, variant);
      const Measurement* b = at ? measured(*at, variant) : nullptr;
      out << " " << (a && b ? format("%.1f×", median(b->seconds) / median(a->seconds)) : "–") << " |";
    }
    out << "\n";
  }
  out << "\n";
}

// hcpcheck against one add-alias on the consistent state, and against the
// usual state's add-alias, at every size; CPU beside wall time, and the file
// system work the check cannot do without (its floor) against add-alias too.
void renderCheckTarget(std::ostringstream& out, const std::vector<SizeResult>& sizes) {
  if (!commandIn(sizes.front(), kCheckCommand)) return;
  out << "hcpcheck: at most " << format("%.1f×", kCheckTarget)
      << " the time of one add-alias on the same (consistent) state; their runs take turns, so that a busier moment"
         " of the machine falls on both alike.\n\n"
      << "| Hosts | check | add-alias, consistent | check / add-alias | fastest runs | check CPU | add-alias CPU | "
         "CPU ratio | "
         "file system work (floor) | floor / add-alias | add-alias, usual state | check / that | met |\n"
         "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
  for (const SizeResult& size : sizes) {
    auto median = [&size](const std::string& row, Samples samples,
                          Variant variant = Variant::Wcadmin) -> std::optional<double> {
      const CommandResult* at = commandIn(size, row);
      const Measurement* m = at ? measured(*at, variant) : nullptr;
      return m ? std::optional<double>(bench::median(m->*samples)) : std::nullopt;
    };
    // A busier moment of the machine that falls on one command's runs only
    // moves its median; the fastest runs of each show it.
    auto fastest = [&size](const std::string& row) -> std::optional<double> {
      const CommandResult* at = commandIn(size, row);
      const Measurement* m = at ? measured(*at, Variant::Wcadmin) : nullptr;
      return m ? std::optional<double>(*std::min_element(m->seconds.begin(), m->seconds.end())) : std::nullopt;
    };
    auto cell = [](std::optional<double> seconds) { return seconds ? milliseconds(*seconds) : std::string("–"); };
    auto over = [](std::optional<double> a, std::optional<double> b) {
      return a && b ? std::optional<double>(*a / *b) : std::nullopt;
    };
    const std::optional<double> check = median(kCheckCommand, kWall);
    const std::optional<double> same = median("add-alias, consistent", kWall);
    const std::optional<double> checkCpu = median(kCheckCommand, kCpu);
    const std::optional<double> sameCpu = median("add-alias, consistent", kCpu);
    const std::optional<double> usual = median("add-alias", kWall);
    const std::optional<double> floor = median(kCheckCommand, kWall, Variant::Floor);
    const std::optional<double> ratio = over(check, same);
    out << "| " << size.hosts << " | " << cell(check) << " | " << cell(same) << " | " << ratioCell(ratio) << " | "
        << ratioCell(over(fastest(kCheckCommand), fastest("add-alias, consistent"))) << " | " << cell(checkCpu) << " | "
        << cell(sameCpu) << " | " << ratioCell(over(checkCpu, sameCpu)) << " | " << cell(floor) << " | "
        << ratioCell(over(floor, same)) << " | " << cell(usual) << " | " << ratioCell(over(check, usual)) << " | "
        << (ratio ? (*ratio <= kCheckTarget ? "yes" : "**no**") : "not measured") << " |\n";
  }
  out << "\n";
}

void renderTargets(std::ostringstream& out, const std::vector<SizeResult>& sizes) {
  const SizeResult* reference = sizeNearest(sizes, 10000);
  const SizeResult& first = sizes.front();
  const SizeResult& last = sizes.back();
  const double growthLimit = 1.0 * last.hosts / first.hosts;
  out << "### Targets\n\n";
  out << "Mutating commands: within " << format("%.1f×", kFloorTarget) << " of the floor and within "
      << format("%.1f×", kPlainFloorTarget) << " of the plain floor (" << format("%.1f×", kPlainFloorTargetSmall)
      << " at the smallest size; ratio of the medians; the ratio of the fastest "
      << "runs beside it) and within " << format("%.1f×", kPeerTarget) << " of the peer at " << reference->hosts
      << " hosts; ";
  if (sizes.size() > 1) {
    out << "time growth from " << first.hosts << " to " << last.hosts << " hosts at most "
        << format("%.0f×", growthLimit) << "; ";
  }
  out << "peak memory below 2× server.xml's size + 10 MiB at every size. The plain floor's and the peer's targets "
         "are those of the commands that edit server.xml; for the others the ratios stand without a verdict.\n\n";
  out << "| Command | vs floor | vs plain floor | vs peer | growth | memory |\n|---|---|---|---|---|---|\n";
  for (const CommandResult& result : reference->commands) {
    if (!result.command.mutating || result.command.consistentState) continue;
    out << "| " << result.command.row() << " | ";
    std::optional<double> toFloor = ratio(result, Variant::Floor);
    std::optional<double> toPeer = ratio(result, Variant::Peer);
    std::optional<double> cpuToFloor = ratio(result, Variant::Floor, kCpu);
    std::optional<double> cpuToPeer = ratio(result, Variant::Peer, kCpu);
    out << (toFloor ? verdict(*toFloor <= kFloorTarget, format("%.2f×", *toFloor) + ", CPU " + ratioCell(cpuToFloor))
                    : "not measured")
        << " | ";
    // A ratio with its verdict, or for a command that edits no server.xml the
    // ratio alone.
    const bool targeted = result.command.editsServerXml();
    auto judged = [targeted](bool met, const std::string& text) {
      return targeted ? verdict(met, text) : text + ", no target";
    };
    std::optional<double> toPlain = ratio(result, Variant::Plain);
    out << (toPlain ? judged(*toPlain <= kPlainFloorTarget, format("%.2f×", *toPlain) + ", fastest " +
                                                                ratioCell(ratioOfMinima(result, Variant::Plain)))
                    : "not measured");
    const CommandResult* atSmall = commandIn(sizes.front(), result.command.row());
    if (std::optional<double> small = atSmall ? ratio(*atSmall, Variant::Plain) : std::nullopt;
        small && &sizes.front() != reference) {
      out << "; at " << sizes.front().hosts << " hosts "
          << judged(*small <= kPlainFloorTargetSmall, format("%.2f×", *small));
    }
    out << " | ";
    out << (toPeer ? judged(*toPeer <= kPeerTarget, format("%.2f×", *toPeer) + ", CPU " + ratioCell(cpuToPeer))
                   : "not measured")
        << " | ";
    const CommandResult* small = commandIn(first, result.command.row());
    const CommandResult* large = commandIn(last, result.command.row());
    const Measurement* a = small ? measured(*small, Variant::Wcadmin) : nullptr;
    const Measurement* b = large ? measured(*large, Variant::Wcadmin) : nullptr;
    if (a && b && sizes.size() > 1) {
      double growth = median(b->seconds) / median(a->seconds);
      out << verdict(growth <= growthLimit, format("%.1f×", growth));
    } else {
      out << "not measured";
    }
    out << " | ";
    bool allMeasured = true;
    bool within = true;
    double worst = 0;
    for (const SizeResult& size : sizes) {
      const CommandResult* at = commandIn(size, result.command.row());
      const Measurement* m = at ? measured(*at, Variant::Wcadmin) : nullptr;
      if (!m) {
        allMeasured = false;
        continue;
      }
      double share = static_cast<double>(m->peakRssKiB) * 1024 / memoryLimitBytes(size);
      worst = std::max(worst, share);
      within = within && share < 1.0;
    }
    out << (allMeasured ? verdict(within, format("at most %.0f%% of the limit", worst * 100)) : "not measured")
        << " |\n";
  }
  out << "\n";
  renderCheckTarget(out, sizes);
}

}  // namespace

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string renderReport(const std::vector<SizeResult>& sizes, const ReportContext& context) {
  std::ostringstream out;
  out << "## Last run\n\n";
  out << context.date << ", " << context.machine << ", " << context.buildType << " build, whole benchmark "
      << format("%.0f s", context.totalSeconds) << ".\n\n";
  out << "Each time is the wall time of one whole process (start to exit) on a fresh copy of the state; the "
         "copy is not timed (the consistent state is generated in place once, and the files a run edited are put "
         "back before the next). CPU is the user and system time of the process and its children. Peak RSS is the "
         "largest resident set of the process or of one of its children (GNU time). The verdicts below go by "
         "wall time; the CPU ratio is given beside it because other work on the machine stretches wall times.\n\n";
  if (sizes.empty()) return out.str();
  for (const SizeResult& size : sizes) renderSize(out, size);
  if (sizes.size() > 1) renderGrowth(out, sizes);
  renderTargets(out, sizes);
  return out.str();
}

void writeReportInto(const std::string& path, const std::string& report) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
  }
  const std::string block = std::string(kBeginMarker) + "\n" + report + kEndMarker + "\n";
  size_t begin = text.find(kBeginMarker);
  size_t end = text.find(kEndMarker);
  if (begin != std::string::npos && end != std::string::npos && end > begin) {
    size_t after = end + std::string(kEndMarker).size();
    if (after < text.size() && text[after] == '\n') ++after;
    text.replace(begin, after - begin, block);
  } else {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += (text.empty() ? "" : "\n") + block;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
