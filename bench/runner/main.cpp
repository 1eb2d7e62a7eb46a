// wcbench: times the panel's commands on generated servers with thousands of
// hosts, next to their floor (wcfloor), their plain floor (wcplain) and their
// peer (peer.sh), and writes the results into bench/RESULTS.md.
//
//   wcbench [--sizes=1000,10000,50000] [--runs=7,5,3] [--work=/tmp/wcbench]
//           [--results=FILE] [--commands=a,b] [--variants=wcadmin,floor,plain,peer]
//           [--aliases-per-host=2]

#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/bench_layout.h"
#include "generator/state_generator.h"
#include "runner/bench_machine.h"
#include "runner/child_process.h"
#include "runner/results.h"
#include "runner/scenario.h"
#include "runner/state_fingerprint.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

struct Options {
  std::vector<int> sizes{1000, 10000, 50000};
  std::vector<int> runs{7, 5, 3};
  fs::path work = "/tmp/wcbench";
  std::string results = std::string(WCBENCH_SOURCE_DIR) + "/RESULTS.md";
  std::set<std::string> commands;  // empty: all
  std::set<Variant> variants{std::begin(kVariants), std::end(kVariants)};
  int aliasesPerHost = 2;
};

std::vector<std::string> splitComma(const std::string& text) {
  std::vector<std::string> items;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find(',', begin);
    if (end == std::string::npos) end = text.size();
    if (end > begin) items.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return items;
}

std::vector<int> splitNumbers(const std::string& text) {
  std::vector<int> numbers;
  for (const std::string& item : splitComma(text)) {
    size_t used = 0;
    int value = std::stoi(item, &used);
    if (used != item.size() || value < 1) throw std::runtime_error("'" + item + "' is not a positive number");
    numbers.push_back(value);
  }
  return numbers;
}

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    if (name == "--sizes")
      options.sizes = splitNumbers(value);
    else if (name == "--runs")
      options.runs = splitNumbers(value);
    else if (name == "--work")
      options.work = value;
    else if (name == "--results")
      options.results = value;
    else if (name == "--aliases-per-host")
      options.aliasesPerHost = std::stoi(value);
    else if (name == "--commands") {
      for (const std::string& command : splitComma(value)) options.commands.insert(command);
    } else if (name == "--variants") {
      options.variants.clear();
      for (const std::string& v : splitComma(value)) {
        bool known = false;
        for (Variant variant : kVariants) {
          if (v == variantName(variant)) {
            options.variants.insert(variant);
            known = true;
          }
        }
        if (!known) throw std::runtime_error("unknown variant '" + v + "'");
      }
    } else {
      throw std::runtime_error("unknown argument '" + arg + "'");
    }
  }
  if (options.sizes.empty()) throw std::runtime_error("--sizes names no size");
  if (options.runs.empty()) throw std::runtime_error("--runs names no count");
  if (options.work.empty()) throw std::runtime_error("--work names no directory");
  return options;
}

std::string firstLines(const std::string& text) {
  std::string out = text.substr(0, 400);
  for (char& c : out) {
    if (c == '\n' || c == '\r' || c == '`') c = ' ';
  }
  return out;
}

class Benchmark {
 public:
  explicit Benchmark(const Options& options)
      : options_(options),
        machine_(options.work, WCBENCH_BIN_DIR),
        output_((options.work / "output.txt").string()),
        memory_((options.work / "memory.txt").string()) {}

  std::vector<SizeResult> run() {
    fs::create_directories(options_.work);
    machine_.start();
    std::vector<SizeResult> sizes;
    for (size_t i = 0; i < options_.sizes.size(); ++i) {
      int runs = options_.runs[std::min(i, options_.runs.size() - 1)];
      sizes.push_back(measureSize(options_.sizes[i], runs));
    }
    return sizes;
  }

 private:
  SizeResult measureSize(int hosts, int runs) {
    SizeResult size;
    size.hosts = hosts;
    size.runs = runs;
    const fs::path state = options_.work / ("state-" + std::to_string(hosts));
    fs::remove_all(state);
    const auto started = std::chrono::steady_clock::now();
    generateState({hosts, options_.aliasesPerHost, machine_.root().string()}, state);
    size.generateSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    noteFileSizes(state / kTomcatHomeDir, "", size);
    size.loadBefore = loadAverage();
    std::printf("== %d hosts: state generated in %.2f s, load %s\n", hosts, size.generateSeconds,
                size.loadBefore.c_str());
    std::fflush(stdout);

    // The cases on the consistent state (hcpcheck and the add-alias it is
    // compared with) come last: it is generated once, and they are measured
    // together.
    std::vector<CommandCase> consistent;
    for (const CommandCase& command : benchmarkCases(hosts, options_.aliasesPerHost, options_.work)) {
      if (!options_.commands.empty() && !options_.commands.count(command.name)) continue;
      if (command.consistentState) {
        consistent.push_back(command);
        continue;
      }
      for (CommandResult& result : measureCommands({command}, state, runs)) size.commands.push_back(std::move(result));
    }
    if (!consistent.empty()) {
      size.generateConsistentSeconds =
          machine_.generateInPlace({hosts, options_.aliasesPerHost, machine_.root().string(), true});
      noteFileSizes(machine_.tomcatHome(), " (consistent)", size);
      std::printf("   consistent state generated in %.2f s\n", size.generateConsistentSeconds);
      for (CommandResult& result : measureCommands(consistent, state, runs)) size.commands.push_back(std::move(result));
    }
    size.loadAfter = loadAverage();
    fs::remove_all(state);
    return size;
  }

  // The sizes of the generated files; `label` marks those of the consistent
  // state, noted only where they differ.
  static void noteFileSizes(const fs::path& tomcatHome, const std::string& label, SizeResult& size) {
    for (const std::string& file : {kServerXml, kWorkersProperties, kUriWorkerMap}) {
      const std::string name = fs::path(file).filename().string();
      const uintmax_t bytes = fs::file_size(tomcatHome / file);
      if (label.empty() || size.fileSizes[name] != bytes) size.fileSizes[name + label] = bytes;
    }
  }

  // Cases measured together take their runs in turn, so that a busier
  // moment of the machine falls on each of them alike: a ratio between them
  // is not one of two different moments.
  std::vector<CommandResult> measureCommands(const std::vector<CommandCase>& commands, const fs::path& state,
                                             int runs) {
    std::vector<CommandResult> results;
    for (const CommandCase& command : commands) results.push_back(warmUp(command, state));
    for (int r = 0; r < runs; ++r) {
      for (CommandResult& result : results) measureOnce(result, state);
    }
    for (const CommandResult& result : results) printResult(result);
    return results;
  }

  // One unmeasured run of each variant: it warms the caches and checks that
  // all that make the edit leave the same state (hcpcheck that it finds
  // nothing: any other exit code is a failure).
  CommandResult warmUp(const CommandCase& command, const fs::path& state) {
    CommandResult result;
    result.command = command;

    std::map<Variant, StateFingerprint> prints;
    for (Variant variant : options_.variants) {
      if (!runsCommand(variant, command)) continue;
      ChildRun run = runOnce(variant, command, state);
      Measurement& m = result.variants[variant];
      if (run.exitCode != 0) {
        m.failure = "exit code " + std::to_string(run.exitCode) + ": " + firstLines(run.output);
        continue;
      }
      // hcpcheck's floor checks nothing: there is nothing to compare.
      if (!makesTheEdit(variant) || !command.hasPeer || command.name == kCheckCommand) continue;
      prints[variant] = takeFingerprint(machine_.tomcatHome(), machine_.varTomcatDir(),
                                        command.mutating ? std::string() : run.output);
    }
    if (prints.count(Variant::Floor)) {
      for (const auto& [variant, print] : prints) {
        if (variant == Variant::Floor) continue;
        std::string difference = describeDifference(prints[Variant::Floor], print);
        if (!difference.empty()) result.mismatch += std::string(variantName(variant)) + " vs floor: " + difference;
      }
    }

    return result;
  }

  // One measured run of each variant that has not failed.
  void measureOnce(CommandResult& result, const fs::path& state) {
    for (Variant variant : options_.variants) {
      if (!runsCommand(variant, result.command)) continue;
      Measurement& m = result.variants[variant];
      if (!m.failure.empty()) continue;
      ChildRun run = runOnce(variant, result.command, state);
      if (run.exitCode != 0) {
        m.failure = "exit code " + std::to_string(run.exitCode) + ": " + firstLines(run.output);
        continue;
      }
      m.seconds.push_back(run.seconds);
      m.cpuSeconds.push_back(run.cpuSeconds);
      m.peakRssKiB = std::max(m.peakRssKiB, run.peakRssKiB);
    }
  }

  static void printResult(const CommandResult& result) {
    std::printf("   %-22s", result.command.row().c_str());
    for (const auto& [variant, m] : result.variants) {
      if (!m.failure.empty())
        std::printf("  %s failed", variantName(variant));
      else {
        std::printf("  %s %7.1f ms (cpu %6.1f) %6.1f MiB", variantName(variant), median(m.seconds) * 1000,
                    median(m.cpuSeconds) * 1000, m.peakRssKiB / 1024.0);
      }
    }
    std::printf("%s\n", result.mismatch.empty() ? "" : "  (states differ)");
    std::fflush(stdout);
  }

  ChildRun runOnce(Variant variant, const CommandCase& command, const fs::path& state) {
    if (command.consistentState)
      machine_.restoreGenerated(command.edited);
    else
      machine_.prepareState(state, command.mutating);
    const ProgramPaths paths{WCBENCH_BIN_DIR, std::string(WCBENCH_SOURCE_DIR) + "/peer/peer.sh", machine_.tomcatHome(),
                             machine_.varTomcatDir()};
    return runChild(commandLine(variant, command, paths), machine_.environment(), output_, memory_);
  }

  const Options& options_;
  BenchMachine machine_;
  std::string output_;
  std::string memory_;
};

std::string now() {
  std::time_t t = std::time(nullptr);
  char buffer[64];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M", std::localtime(&t));
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = parseOptions(argc, argv);
    const auto started = std::chrono::steady_clock::now();
    Benchmark benchmark(options);
    std::vector<SizeResult> sizes = benchmark.run();
    ReportContext context{now(), machineDescription(), WCBENCH_BUILD_TYPE,
                          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()};
    writeReportInto(options.results, renderReport(sizes, context));
    std::printf("Results written to %s\n", options.results.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wcbench: %s\n", e.what());
    return 1;
  }
}
