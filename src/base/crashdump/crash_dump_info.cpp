#include "base/crashdump/crash_dump_info.h"

#include <cwchar>

#include "base/errors/vexception.h"
#include "base/files/directory.h"
#include "base/files/file_name.h"
#include "base/registry/registry.h"
#include "base/system/clock.h"
#include "base/system/process.h"
#include "base/text/strings.h"

namespace wc {

namespace {

// Spelled out here rather than taken from registry.h: this object is built
// during static initialisation, before other files' constants are certain to be.
constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Halvo\\HCP Config\\Config";

}  // namespace

CrashDumpInfo::CrashDumpInfo(const Context& context) : context_(context) {
  try {
    readSettings();
  } catch (...) {
    enabled_ = false;
  }
}

CrashDumpInfo::~CrashDumpInfo() { pruneDumps(); }

void CrashDumpInfo::readSettings() {
  registry::RegistryKey key = registry::open(context_, registry::Root::LocalMachine, kSettingsKey,
                                             registry::KEY_QUERY_VALUE | registry::viewFlag(registry::kView32));
  uint32_t enabledValue = 1;
  if (key.lookup(L"CrashDumpsEnabled", enabledValue) == 0 && enabledValue == 0) {
    enabled_ = false;
    return;
  }
  std::wstring productRoot;
  if (key.lookup(L"PRODUCT_ROOT_D", productRoot) != 0 || productRoot.empty()) {
    enabled_ = false;
    return;
  }
  location_ = VFileName::combine(VFileName::combine(productRoot, L"etc"), L"crashdumps");
  std::wstring configured;
  if (key.lookup(L"CrashDumpsLocation", configured) == 0) location_ = configured;
  location_ = normalizeDirectoryPath(location_);
  VDirectory::createDirectory(context_, location_);
  key.lookup(L"CrashDumpsMaxCount", maxCount_);
  prefix_ = programNameWithoutExtension(programPath());
  // getFileName runs while a fault is handled: no allocation there.
  fileName_.reserve(kMaxPathLength);
}

const std::wstring& CrashDumpInfo::getFileName() {
  if (!enabled_) {
    throw vexception(L"Crash dumping does not enabled", VCALLPOINT(L"", "CrashDumpInfo::getFileName"));
  }
  timeStamp_.fill(L'\0');
  try {
    const LocalTime t = context_.clock->localTime();
    if (std::swprintf(timeStamp_.data(), timeStamp_.size(), L"%04d%02d%02d_%02d%02d%02d.dmp", t.year, t.month, t.day,
                      t.hour, t.minute, t.second) < 0) {
      timeStamp_.fill(L'\0');
    }
  } catch (...) {
    timeStamp_.fill(L'\0');
  }

  // location, separator, prefix, time stamp: whatever does not fit in 260
  // characters is cut off.
  size_t length = 0;
  auto append = [&](const wchar_t* text, size_t size) {
    for (size_t i = 0; i < size && length < kMaxPathLength; ++i) path_[length++] = text[i];
  };
  const wchar_t separator = pathSeparator();
  append(location_.data(), location_.size());
  append(&separator, 1);
  append(prefix_.data(), prefix_.size());
  append(timeStamp_.data(), std::wcslen(timeStamp_.data()));
  path_[length] = L'\0';
  fileName_.assign(path_.data(), length);
  return fileName_;
}

std::wstring programNameWithoutExtension(const std::wstring& programPath) {
  std::wstring name = VFileName::name(programPath);
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot != 0) name.erase(dot);
  return name;
}

bool isDumpFileName(const std::wstring& name) { return endsWith(lowerCase(name), L".dmp"); }

}  // namespace wc
