// hcpcheck's text and JSON forms of the findings.

#include "check/finding_report.h"

#include <gtest/gtest.h>

namespace wc {

namespace {

const std::vector<Finding> kTwo = {
    {L"worker-missing", L"h.test", L"The worker lacks port", L"/conf/workers.properties", 4},
    {L"host-files-orphan", L"", L"A realm file without a Host", L"/tomcat/hcp-users/x.xml", 0},
};

TEST(FindingReport, TextIsOneLinePerFindingWithADashForNoHostAndNoLineForAWholeFile) {
  EXPECT_EQ(findingsText({}), "");
  EXPECT_EQ(findingsText(kTwo),
            "worker-missing: h.test: The worker lacks port (/conf/workers.properties:4)\n"
            "host-files-orphan: -: A realm file without a Host (/tomcat/hcp-users/x.xml)\n");
}

TEST(FindingReport, JsonIsOneDocumentWithEveryFieldOfEveryFinding) {
  EXPECT_EQ(findingsJson({}), "{\"consistent\":true,\"findings\":[]}\n");
  EXPECT_EQ(findingsJson(kTwo),
            "{\"consistent\":false,\"findings\":["
            "{\"kind\":\"worker-missing\",\"host\":\"h.test\",\"problem\":\"The worker lacks port\","
            "\"file\":\"/conf/workers.properties\",\"line\":4},"
            "{\"kind\":\"host-files-orphan\",\"host\":\"\",\"problem\":\"A realm file without a Host\","
            "\"file\":\"/tomcat/hcp-users/x.xml\",\"line\":0}]}\n");
}

TEST(FindingReport, JsonEscapesQuotesBackslashesAndControlCharactersAndKeepsOtherTextAsUtf8) {
  const Finding f{L"k", L"b\u00FCcher.test", L"\"x\"\ty\n\x1F\x7F \U0001F600", L"C:\\Tomcat\\conf\\server.xml", 9};
  EXPECT_EQ(findingsJson({f}),
            "{\"consistent\":false,\"findings\":[{\"kind\":\"k\",\"host\":\"b\xC3\xBC"
            "cher.test\",\"problem\":\"\\\"x\\\"\\u0009y\\u000a\\u001f\x7F \xF0\x9F\x98\x80\","
            "\"file\":\"C:\\\\Tomcat\\\\conf\\\\server.xml\",\"line\":9}]}\n");
  // The text form is UTF-8 too.
  EXPECT_EQ(findingsText({f}).substr(0, 15),
            "k: b\xC3\xBC"
            "cher.test");
}

}  // namespace

}  // namespace wc
