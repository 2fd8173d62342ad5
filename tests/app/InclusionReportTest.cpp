#include <gtest/gtest.h>

#include "app/InclusionReport.h"
#include "model/Error.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

class InclusionReportTest : public ::testing::Test {
  protected:
    std::optional<std::string> Write() {
        return WriteInclusionReport(programFolder, settings, book.Factory());
    }

    std::string Report() const {
        return test::ReadFileBytes(programFolder / "InclusionReport.txt");
    }

    void AddContact(const std::string& name, const std::string& flag) {
        book.AddContact({{F::FileAs, name}, {F::FullName, "Full " + name}, {F::User2, flag}});
    }

    static std::string Header() {
        return "Velmora, version: 0.0.4\r\nCopyright © 2026 The Velmora developers\r\n"
               "Inclusion Report\r\n\r\n";
    }

    test::TempDir dir;
    std::filesystem::path programFolder = dir / "Velmora";
    Settings settings;
    InMemoryAddressBook book;
};

// Included and excluded contacts in folder order, distribution lists in
// neither, the same name twice when two contacts bear it; nothing changes in
// the address book.
TEST_F(InclusionReportTest, ListsIncludedAndExcluded) {
    AddContact("Lee, Ann", "y");
    AddContact("Moe", "");
    book.AddDistributionList();
    AddContact("Lee, Ann", "YES");
    AddContact("Cy", "YES ");
    AddContact("Dee", "No");
    AddContact("Eve", "yEs");
    const auto message = Write();
    EXPECT_EQ(message, "The Inclusion Report has been written to " +
                           (programFolder / "InclusionReport.txt").string());
    EXPECT_EQ(Report(), Header() +
                            "Included Contacts:\r\n"
                            "     Lee, Ann\r\n"
                            "     Lee, Ann\r\n"
                            "     Eve\r\n"
                            "\r\n"
                            "Excluded Contacts:\r\n"
                            "     Moe\r\n"
                            "     Cy\r\n"
                            "     Dee\r\n");
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Field(2, F::User2), "");
    EXPECT_EQ(book.Logoffs(), 1);
}

// Names follow NameField; with nobody included the heading is followed by the
// empty line at once; a new report replaces the old one.
TEST_F(InclusionReportTest, NamesFollowTheSettingAndReplaceTheOldReport) {
    test::WriteFileBytes(programFolder / "InclusionReport.txt", std::string(5000, 'x'));
    AddContact("Moe", "N");
    settings.NameField = "Full Name";
    ASSERT_TRUE(Write().has_value());
    EXPECT_EQ(Report(),
              Header() + "Included Contacts:\r\n\r\nExcluded Contacts:\r\n     Full Moe\r\n");
}

// An empty folder gives no file and nothing to show; a folder of lists alone
// gives a report with both lists empty.
TEST_F(InclusionReportTest, EmptyFolder) {
    EXPECT_EQ(Write(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(programFolder / "InclusionReport.txt"));
    book.AddDistributionList();
    EXPECT_TRUE(Write().has_value());
    EXPECT_EQ(Report(), Header() + "Included Contacts:\r\n\r\nExcluded Contacts:\r\n");
}

// An address book that cannot be read, or a report that cannot be written,
// is an error naming it, and no report is left behind.
TEST_F(InclusionReportTest, Failures) {
    AddContact("Ann", "Y");
    book.FailToOpen("The address book folder /nowhere does not exist.");
    try {
        Write();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "The address book folder /nowhere does not exist.");
    }
    EXPECT_FALSE(std::filesystem::exists(programFolder / "InclusionReport.txt"));

    InMemoryAddressBook reachable;
    reachable.AddContact({{F::FileAs, "Ann"}});
    test::WriteFileBytes(programFolder, "a file where the folder should be");
    try {
        WriteInclusionReport(programFolder, settings, reachable.Factory());
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find((programFolder / "InclusionReport.txt").string()),
                  std::string::npos)
            << error.what();
    }
}

// Over a vCard folder the report reads the cards and leaves every file as it was.
TEST_F(InclusionReportTest, OverAVCardFolder) {
    const auto contacts = dir / "Contacts";
    const std::string cards = test::MakeCard({"FN:Ann Lee", "N:Lee;Ann;;;", "X-VELMORA-SYNC:Y",
                                              "X-VELMORA-CONTACT-ID:4"}) +
                              test::MakeCard({"FN:Bob", "X-VELMORA-CONTACT-ID:5"}) +
                              test::MakeCard({"FN:Team", "KIND:group"}, "4.0");
    test::WriteCardFile(contacts, "all.vcf", cards);
    ASSERT_TRUE(
        WriteInclusionReport(programFolder, settings, VCardFolderApplicationFactory(contacts)));
    EXPECT_EQ(
        Report(),
        Header() + "Included Contacts:\r\n     Lee, Ann\r\n\r\nExcluded Contacts:\r\n     Bob\r\n");
    EXPECT_EQ(test::ReadFileBytes(contacts / "all.vcf"), cards);
}

}  // namespace
}  // namespace velmora
