#include <gtest/gtest.h>

#include "stores/database/DatabaseTestSupport.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using test::ErrorOf;

// What only a real file shows: every Update and Delete is visible to another
// connection at once, unknown columns are left alone and new rows get their
// defaults, and a refusal by the file's own trigger carries its reason.
TEST(SqliteDatabase, StoresAtOnceAndLeavesTheManagersColumnsAlone) {
    test::TempDir dir;
    const auto path = dir / "PhoneBook.db";
    test::CreatePhoneBookDatabase(
        path, {{12, "Ann Smith", "5551234567", 4, 3, 6}, {13, "Bob Jones", "5559876543", 2, 5, 6}},
        test::PhoneBookLayout::WithManagerColumns,
        "UPDATE tblContactList SET Category = 'Family' WHERE ContactID = 12;"
        "CREATE TRIGGER NoPagers BEFORE INSERT ON tblContactList WHEN NEW.NumberType = 6 "
        "BEGIN SELECT RAISE(ABORT, 'the phone takes no pagers'); END;");

    SqliteDatabaseEngine engine;
    const auto rows = engine.OpenDatabase(path)->OpenRecordset("tblContactList");
    rows->Edit();
    rows->SetField("Number", "5550000000");
    rows->Update();
    rows->MoveNext();
    rows->Delete();
    rows->AddNew();
    rows->SetField("ContactID", 14.0);
    rows->SetField("ContactName", "Cy Young");
    rows->SetField("Number", "5551112222");
    rows->SetField("NumberType", 3);
    rows->SetField("SpeedDial", "7");
    rows->SetField("PhoneNumberLength", std::uint8_t{6});
    rows->Update();
    // Read by another connection while the recordset is still open.
    EXPECT_EQ(test::PhoneBookText(path),
              "12|Ann Smith|5550000000|4|3|6;14|Cy Young|5551112222|3|7|6");
    EXPECT_EQ(test::TableText(path, "tblContactList", {"EntryKey", "Category"}),
              "1|Family;2|Unfiled");

    rows->AddNew();
    rows->SetField("ContactID", 15);
    rows->SetField("NumberType", 6);
    const std::string refused = ErrorOf([&] { rows->Update(); });
    EXPECT_NE(refused.find("the phone takes no pagers"), std::string::npos) << refused;
    EXPECT_NE(refused.find(path.string()), std::string::npos) << refused;
    rows->Close();
}

// Text that is not UTF-8 (from older tools) reads as Windows-1252; a file that
// is not a database, and a folder, are refused by name.
TEST(SqliteDatabase, ReadsOldTextAndRefusesWhatIsNotADatabase) {
    test::TempDir dir;
    const auto path = dir / "PhoneBook.db";
    test::CreatePhoneBookDatabase(path, {});
    test::ExecuteSql(
        path,
        "INSERT INTO tblContactList (ContactID, ContactName) VALUES (1, CAST(X'5A6FEB' AS TEXT))");
    SqliteDatabaseEngine engine;
    EXPECT_EQ(engine.OpenDatabase(path)->OpenRecordset("tblContactList")->Field("ContactName"),
              FieldValue("Zoë"));

    const auto notDatabase = dir / "notes.db";
    test::WriteFileBytes(notDatabase, std::string(2048, 'x'));
    EXPECT_NE(ErrorOf([&] { engine.OpenDatabase(notDatabase); }).find(notDatabase.string()),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { engine.OpenDatabase(dir.Path()); }).find(dir.Path().string()),
              std::string::npos);
}

}  // namespace
}  // namespace velmora
