// hcpcheck's floor: the file system work the check cannot do without, done
// with the plainest calls on two threads as hcpcheck does it: server.xml and
// the two property files read whole, hcp-webapps, hcp-wars and hcp-users
// listed, then each host's directory listed and each archive its links
// name looked at.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <stdexcept>

#include "common/bench_layout.h"
#include "floor/floor_commands.h"

namespace floorwork {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " '" + path + "': " + std::strerror(errno));
}

// A descriptor closed with its scope.
struct Descriptor {
  int fd;
  Descriptor(int opened, const std::string& path) : fd(opened) {
    if (fd < 0) fail("cannot open", path);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { ::close(fd); }
};

// The names in the directory `name` under `parent`, straight from the kernel.
std::vector<std::string> listed(int parent, const std::string& name) {
  std::vector<std::string> names;
  const Descriptor directory(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), name);
  alignas(dirent64) char buffer[32 * 1024];
  for (;;) {
    const ssize_t got = ::getdents64(directory.fd, buffer, sizeof buffer);
    if (got < 0) fail("cannot list", name);
    if (got == 0) return names;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        names.emplace_back(entry->d_name);
    }
  }
}

void readWhole(const std::string& path) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC), path);
  struct stat status {};
  if (::fstat(file.fd, &status) != 0) fail("cannot look at", path);
  const size_t size = static_cast<size_t>(status.st_size);
  const std::unique_ptr<char[]> bytes(new char[size]);
  for (size_t done = 0; done < size;) {
    const ssize_t got = ::pread(file.fd, bytes.get() + done, size - done, static_cast<off_t>(done));
    if (got <= 0) fail("cannot read", path);
    done += static_cast<size_t>(got);
  }
}

}  // namespace

size_t checkFiles(const FloorPaths& paths) {
  // Futures, not bare threads: a failure on either side comes back here as
  // the program's error, and every thread is waited for.
  std::future<void> reading = std::async(std::launch::async, [&paths] {
    for (const std::string& file : {bench::kServerXml, bench::kWorkersProperties, bench::kUriWorkerMap}) {
      readWhole(paths.tomcatHome + "/" + file);
    }
  });
  const std::string appBases = paths.varTomcatDir + "/hcp-webapps";
  const std::string archives = paths.varTomcatDir + "/hcp-wars";
  const std::vector<std::string> hosts = listed(AT_FDCWD, appBases);
  listed(AT_FDCWD, archives);
  listed(AT_FDCWD, paths.tomcatHome + "/hcp-users");
  const Descriptor appBasesDirectory(::open(appBases.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), appBases);
  const Descriptor archivesDirectory(::open(archives.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), archives);
  std::atomic<size_t> next{0};
  std::atomic<size_t> held{0};
  auto look = [&] {
    for (size_t i = next++; i < hosts.size(); i = next++) {
      for (const std::string& link : listed(appBasesDirectory.fd, hosts[i])) {
        struct stat status {};
        if (::fstatat(archivesDirectory.fd, (hosts[i] + "/" + link).c_str(), &status, 0) == 0) ++held;
      }
    }
  };
  std::future<void> helper = std::async(std::launch::async, look);
  look();
  helper.get();
  reading.get();
  return held;
}

}  // namespace floorwork
