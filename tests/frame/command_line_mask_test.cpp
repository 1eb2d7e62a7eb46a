// The loggable form of a command line.

#include "frame/command_line_mask.h"

#include <gtest/gtest.h>

namespace wc {

namespace {

TEST(MaskPasswords, PasswordsAreMaskedAndParametersQuoted) {
  EXPECT_EQ(maskPasswords(L"wcadmin --install-service --vhost-name=h.test --manager-login=admin --password=secret"),
            L"wcadmin --install-service \"--vhost-name=h.test\" \"--manager-login=admin\" \"--password=*\"");
  EXPECT_EQ(maskPasswords(L"wcadmin --password=a=b"), L"wcadmin \"--password=*=*\"");
  EXPECT_EQ(maskPasswords(L"wcadmin --password="), L"wcadmin --password");
  EXPECT_EQ(maskPasswords(L"wcadmin --new-pwd=x --Password=y"), L"wcadmin \"--new-pwd=*\" \"--Password=y\"");
  EXPECT_EQ(maskPasswords(L"\"/opt/my tools/wcadmin\" --status"), L"\"/opt/my tools/wcadmin\" --status");
  EXPECT_EQ(maskPasswords(L"  wcadmin  "), L"wcadmin");
}

TEST(QuoteArgument, QuotesSpecialCharactersAndEscapes) {
  EXPECT_EQ(quoteArgument(L"--status"), L"--status");
  EXPECT_EQ(quoteArgument(L"a;b"), L"\"a;b\"");
  EXPECT_EQ(quoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
  EXPECT_EQ(quoteArgument(L"dir\\ x\\"), L"\"dir\\ x\\\\\"");
  EXPECT_EQ(quoteArgument(L"a\\\"b"), L"\"a\\\\\\\"b\"");
  for (wchar_t c : std::wstring(L"&<>[]{}^=;!'+,`~|"))
    EXPECT_EQ(quoteArgument(std::wstring(1, c)), std::wstring(L"\"") + c + L"\"");
}

}  // namespace

}  // namespace wc
