#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/InclusionReport.h"
#include "model/Error.h"
#include "support/InMemoryAddressBook.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

class InclusionReportTest : public ::testing::Test {
  protected:
    // The text after the heading, or "(nothing)".
    std::string Report() {
        const auto message = WriteInclusionReport(programFolder, settings, book.Opener());
        if (!message) return "(nothing)";
        EXPECT_EQ(*message, "The Inclusion Report has been written to " + report.string());
        const std::string heading = "Velmora, version: " VELMORA_PROJECT_VERSION
                                    "\r\nCopyright © 2026 The Velmora developers\r\n"
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

// Included and excluded contacts under NameField; an unwritable report is named.
TEST_F(InclusionReportTest, ListsIncludedAndExcluded) {
    EXPECT_EQ(Report(), "(nothing)");
    EXPECT_FALSE(std::filesystem::exists(report));
    book.AddDistributionList();
    EXPECT_EQ(Report(), "Included Contacts:\r\n\r\nExcluded Contacts:\r\n");

    test::WriteFileBytes(report, std::string(5000, 'x'));
    test::AddContact(book, "User2=y; FileAs=Lee, Ann; FullName=Ann Lee");
    test::AddContact(book, "FileAs=Moe; FullName=Moe Roe");
    test::AddContact(book, "User2=YES; FileAs=Lee, Ann; FullName=A. Lee");
    EXPECT_EQ(Report(),
              "Included Contacts:\r\n     Lee, Ann\r\n     Lee, Ann\r\n\r\n"
              "Excluded Contacts:\r\n     Moe\r\n");
    settings.NameField = "Full Name";
    EXPECT_EQ(Report(),
              "Included Contacts:\r\n     Ann Lee\r\n     A. Lee\r\n\r\n"
              "Excluded Contacts:\r\n     Moe Roe\r\n");
    EXPECT_EQ(book.Saves(), 0);

    std::filesystem::remove_all(programFolder);
    test::WriteFileBytes(programFolder, "a file where the folder should be");
    EXPECT_THAT([&] { Report(); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr(report.string())));
}

}  // namespace
}  // namespace velmora
