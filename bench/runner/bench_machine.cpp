#include "runner/bench_machine.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "common/bench_layout.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

// Backslashes and quotes are escaped in the strings of the settings file.
std::string regString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

BenchMachine::BenchMachine(fs::path workDir, fs::path binDir)
    : workDir_(std::move(workDir)), binDir_(std::move(binDir)), root_(workDir_ / "root") {}

BenchMachine::~BenchMachine() = default;

std::string BenchMachine::tomcatHome() const { return (root_ / kTomcatHomeDir).string(); }
std::string BenchMachine::varTomcatDir() const { return (root_ / kVarTomcatDir).string(); }

EnvironmentOverrides BenchMachine::environment() const { return {{"HCP_SYSTEM_ROOT", root_.string()}}; }

void BenchMachine::start() {
  fs::remove_all(root_);
  fs::create_directories(root_ / "etc" / "halvo");
  const std::string config = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n";
  std::ofstream settings(root_ / "etc" / "halvo" / "registry.reg", std::ios::binary | std::ios::trunc);
  settings << "Windows Registry Editor Version 5.00\n\n"
           << config << "\"PRODUCT_ROOT_D\"=" << regString((root_ / kProductRootDir).string()) << "\n"
           << "\"PRODUCT_DATA_D\"=" << regString((root_ / kProductDataDir).string()) << "\n"
           << "\"Debug\"=dword:00000000\n\n"
           << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]\n"
           << "@=\"tomcat10\"\n\n"
           << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10]\n"
           << "\"dll\"=" << regString((binDir_ / "libtomcatprovider.so").string()) << "\n"
           << "\"TomcatHome\"=" << regString(tomcatHome())
           << "\n\n"
           // Defined, never started: the commands' restarts find it stopped.
           << "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tomcat]\n"
           << "\"ImagePath\"=\"/bin/sleep 3600\"\n";
  settings.close();
  if (!settings) throw std::runtime_error("cannot write the settings store under " + root_.string());

  managementService_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{(binDir_ / "hcpsrv").string()},
                                                           environment(), (workDir_ / "hcpsrv.log").string());
  const fs::path socket = root_ / "run" / "halvo" / "pipes" / "hcppipe";
  for (int i = 0; i < 200 && !fs::exists(socket); ++i) {
    if (!managementService_->running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  if (!fs::exists(socket)) {
    throw std::runtime_error("hcpsrv does not listen at " + socket.string() + " (see " +
                             (workDir_ / "hcpsrv.log").string() + ")");
  }
}

void BenchMachine::removeState() {
  for (const char* part : {"opt", "var", "etc/cron.d", "tmp"}) fs::remove_all(root_ / part);
}

void BenchMachine::prepareState(const fs::path& templateDir, bool willChange) {
  if (copyOf_ != templateDir) {
    removeState();
    fs::copy(templateDir, root_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  copyOf_ = willChange ? fs::path() : templateDir;
}

double BenchMachine::generateInPlace(const StateShape& shape) {
  removeState();
  copyOf_.clear();
  edited_.clear();
  const auto started = std::chrono::steady_clock::now();
  bench::generateState(shape, root_);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // Some 60,000 new files at 10,000 hosts: their writeback would otherwise
  // fall on the runs measured first.
  ::sync();
  // The originals of the files the runs edit.
  const fs::path saved = workDir_ / "generated";
  fs::remove_all(saved);
  fs::create_directories(saved);
  fs::copy(root_ / kTomcatHomeDir / "conf", saved / "conf", fs::copy_options::recursive);
  return seconds;
}

void BenchMachine::restoreGenerated(const std::vector<std::string>& willEdit) {
  for (const std::string& file : edited_) {
    fs::copy_file(workDir_ / "generated" / file, root_ / kTomcatHomeDir / file, fs::copy_options::overwrite_existing);
  }
  // The copies' writeback (tens of MiB on the consistent state) would
  // otherwise fall on the next run's flushes.
  if (!edited_.empty()) ::sync();
  edited_ = willEdit;
}

}  // namespace bench
