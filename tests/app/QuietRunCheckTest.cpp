#include <functional>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

// The messages of the test failures that `check` reports, caught so that
// they do not fail this test.
std::vector<std::string> FailuresOf(const std::function<void()>& check) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        check();
    }
    std::vector<std::string> messages;
    for (int i = 0; i < results.size(); ++i)
        messages.emplace_back(results.GetTestPartResult(i).message());
    return messages;
}

// The check of a second run passes when that run has nothing to do, and
// fails when it still has: the first write it tries, to either side, fails
// the test with what was tried where, and the run stores nothing.
TEST(QuietRunCheck, FailsWhenTheRunHasWorkLeft) {
    using Edit = std::function<void(test::FileScenario&)>;
    const std::pair<Edit, std::string> edits[] = {
        {[](auto& s) { s.ChangePhoneBook("UPDATE tblContactList SET Number = '5559999999'"); },
         "tried to write: Save of contact \"Ann Lee\" (contact ID \"1\")"},
        {[](auto& s) { s.EditCard("Ann Lee", ContactField::MobileTelephoneNumber, "555 8887777"); },
         "tried to write: Edit of row 1 of table tblContactList in "},
    };
    for (const auto& [edit, attempt] : edits) {
        test::FileScenario s;
        s.Agree({{1, "Ann Lee", {{NumberKind::Mobile, "5551234567", 1}}}});
        EXPECT_EQ(FailuresOf([&] { test::ExpectQuietRun(s.session); }), std::vector<std::string>{});
        edit(s);
        const test::StoreTexts edited = s.Stores();
        const auto failures = FailuresOf([&] { test::ExpectQuietRun(s.session); });
        ASSERT_FALSE(failures.empty());
        EXPECT_NE(failures[0].find(attempt), std::string::npos) << failures[0];
        EXPECT_EQ(s.Stores(), edited);
    }
}

}  // namespace
}  // namespace velmora
