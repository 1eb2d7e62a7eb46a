#pragma once
// The wrapper's tests run against the fake manager in virtual time, with the
// log captured, inside a private sandbox machine.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/services/service.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace wc {

class ServiceWrapperTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(manager.openHandles, 0) << "a manager or service handle was left open"; }
  std::vector<std::wstring> calls(const std::wstring& kind) const { return manager.callsOf(kind); }

  // The seven status lines the wrapper logs for a record.
  std::vector<std::wstring> statusLines(const ServiceStatus& s) const {
    auto line = [](const wchar_t* format, uint32_t value) { return vaformat(format, value); };
    return {line(L"  Service Type: 0x%x", s.serviceType),
            line(L"  Controls Accepted: 0x%x", s.controlsAccepted),
            line(L"  Current State: %d", s.currentState),
            line(L"  Exit Code: %d", s.win32ExitCode),
            line(L"  Service Specific Exit Code: %d", s.serviceSpecificExitCode),
            line(L"  Check Point: %d", s.checkPoint),
            line(L"  Wait Hint: %d", s.waitHint)};
  }

  std::vector<std::wstring> infoLines() const {
    std::vector<std::wstring> found;
    for (const auto& line : log->lines) {
      if (line.level == LOG_INFO) found.push_back(line.text);
    }
    return found;
  }

  testing_support::Sandbox sandbox;  // keeps anything the log writes private
  fake::FixedClock clock;
  fake::ServiceManager manager{clock};
  const Context context = testing_support::testContext(clock, manager);
  fake::CapturedLog log;
};

}  // namespace wc
