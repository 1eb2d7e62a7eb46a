#include "base/files/file_system.h"

#include <atomic>

namespace {
std::atomic<FileSystem*> testFileSystem{nullptr};
}

FileSystem& FileSystem::current() {
  FileSystem* fake = testFileSystem.load();
  return fake ? *fake : Default();
}

void FileSystem::setCurrentForTesting(FileSystem* fileSystem) { testFileSystem.store(fileSystem); }
