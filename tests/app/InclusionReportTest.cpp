#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/InclusionReport.h"
#include "model/Error.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using F = ContactField;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class InclusionReportTest : public ::testing::Test {
  protected:
    std::optional<std::string> Write() {
        return WriteInclusionReport(programFolder, settings, book.Factory());
    }

    void AddContact(const std::string& name, const std::string& flag) {
        book.AddContact({{F::FileAs, name}, {F::FullName, "Full " + name}, {F::User2, flag}});
    }

    // The report's text after its heading.
    std::string Lists() const {
        const std::string heading =
            "Velmora, version: 0.0.4\r\nCopyright © 2026 The Velmora developers\r\n"
            "Inclusion Report\r\n\r\n";
        const std::string text = test::ReadFileBytes(report);
        EXPECT_EQ(text.substr(0, heading.size()), heading);
        return text.substr(heading.size());
    }

    test::TempDir dir;
    std::filesystem::path programFolder = dir / "Velmora";
    std::filesystem::path report = programFolder / "InclusionReport.txt";
    Settings settings;
    InMemoryAddressBook book;
};

// Included and excluded contacts in folder order, distribution lists in
// neither, the same name twice when two contacts bear it; nothing changes in
// the address book; a new report replaces the old one.
TEST_F(InclusionReportTest, ListsIncludedAndExcluded) {
    test::WriteFileBytes(report, std::string(5000, 'x'));
    AddContact("Lee, Ann", "y");
    AddContact("Moe", "");
    book.AddDistributionList();
    AddContact("Lee, Ann", "YES");
    AddContact("Cy", "YES ");
    AddContact("Eve", "yEs");
    EXPECT_EQ(Write(), "The Inclusion Report has been written to " + report.string());
    EXPECT_EQ(Lists(),
              "Included Contacts:\r\n     Lee, Ann\r\n     Lee, Ann\r\n     Eve\r\n\r\n"
              "Excluded Contacts:\r\n     Moe\r\n     Cy\r\n");
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Logoffs(), 1);
}

// An empty folder gives no file and nothing to show; a folder of lists alone
// gives a report with both lists empty; names follow NameField.
TEST_F(InclusionReportTest, EmptyListsAndNameField) {
    EXPECT_EQ(Write(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(report));
    book.AddDistributionList();
    ASSERT_TRUE(Write().has_value());
    EXPECT_EQ(Lists(), "Included Contacts:\r\n\r\nExcluded Contacts:\r\n");
    AddContact("Moe", "N");
    settings.NameField = "Full Name";
    ASSERT_TRUE(Write().has_value());
    EXPECT_EQ(Lists(), "Included Contacts:\r\n\r\nExcluded Contacts:\r\n     Full Moe\r\n");
}

// An address book that cannot be read, or a report that cannot be written,
// is an error naming it, and no report is left behind.
TEST_F(InclusionReportTest, Failures) {
    AddContact("Ann", "Y");
    test::WriteFileBytes(programFolder, "a file where the folder should be");
    EXPECT_THAT([&] { Write(); }, ThrowsMessage<Error>(HasSubstr(report.string())));

    book.FailToOpen("The address book folder /nowhere does not exist.");
    std::filesystem::remove(programFolder);
    EXPECT_THAT(
        [&] { Write(); },
        ThrowsMessage<Error>(::testing::StrEq("The address book folder /nowhere does not exist.")));
    EXPECT_FALSE(std::filesystem::exists(programFolder));
}

}  // namespace
}  // namespace velmora
