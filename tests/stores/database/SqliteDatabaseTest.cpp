#include "stores/database/DatabaseTestSupport.h"

namespace velmora {
namespace {

// What only a real file shows: text that is not UTF-8 (from older tools)
// reads as Windows-1252; a file that is not a database, and a folder, are
// refused by name.
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
    EXPECT_THAT([&] { engine.OpenDatabase(notDatabase); },
                test::ErrorNaming({notDatabase.string()}));
    EXPECT_THAT([&] { engine.OpenDatabase(dir.Path()); }, test::ErrorNaming({dir.Path().string()}));
}

}  // namespace
}  // namespace velmora
