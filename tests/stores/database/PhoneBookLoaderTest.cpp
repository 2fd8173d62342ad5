#include <gtest/gtest.h>

#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/PhoneBookDatabase.h"
#include "support/DatabaseFixtures.h"

namespace velmora {
namespace {

using test::ErrorOf;
using test::PhoneBookRow;

class PhoneBookLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override { state.settings.PhoneBookPath = dir / "Data" / "PhoneBook.db"; }

    void Load(const std::vector<PhoneBookRow>& rows) {
        test::CreatePhoneBookDatabase(state.settings.PhoneBookPath, rows);
        LoadPhoneBookRecords(state, engine);
    }

    test::TempDir dir;
    SqliteDatabaseEngine engine;
    RunState state;
};

// Rows fold into one record per contact ID wherever they stand: each kind's
// number and speed dial, the later of two rows of a kind winning, the name
// from the first row met, nothing from codes 7 and 8 or a null NumberType,
// and a negative speed dial kept with its sign on first and later rows alike.
TEST_F(PhoneBookLoaderTest, FoldsTheRowsOfEachContact) {
    Load({
        {12, "Ann Smith", "5551234567", 4, 3, 6},
        {20, "Bob Jones", "5550001111", 2, 8, 6},
        {12, "Ann S.", "5559990000", 2, 5, 6},
        {30, "Cy Young", "1*2*3", 7, 1, 0},
        {12, "Ann Smith", "ann@example.com", 10, 9, 255},
        {20, "Bob Jones", "5550002222", 2, 11, 6},
        {12, "Ann Smith", std::nullopt, 8, 4, 0},
        {30, std::nullopt, "5552223333", 4, 2, 6},
        {30, "Cy Young", "5554445555", std::nullopt, 6, 6},
        {40, "Di Lane", "5556667777", 4, -5, 6},
        {40, "Di Lane", "5558889999", 5, -6, 6},
    });
    EXPECT_EQ(test::SetText(state.PhoneBookSet),
              "12|Ann Smith|Home=5559990000#5|Mobile=5551234567#3|Email=ann@example.com#9;"
              "20|Bob Jones|Home=5550002222#11;"
              "30|Cy Young|Mobile=5552223333#2;"
              "40|Di Lane|Mobile=5556667777#-5|Fax=5558889999#-6");
}

// An empty table gives an empty set.
TEST_F(PhoneBookLoaderTest, EmptyTableGivesNoRecords) {
    Load({});
    EXPECT_EQ(state.PhoneBookSet.Count(), 0);
}

// A null the load cannot read stops it with the file, the contact ID (when
// there is one) and the column; a missing file or table names the path.
TEST_F(PhoneBookLoaderTest, NullsAndMissingStoresAreNamed) {
    struct Case {
        std::vector<PhoneBookRow> rows;
        std::string column;
        std::string contact;
    };
    const std::vector<Case> cases{
        {{{std::nullopt, "Ann Smith", "5551234567", 4, 3, 6}}, "ContactID", ""},
        {{{12, std::nullopt, "5551234567", 4, 3, 6}}, "ContactName", "contact ID 12"},
        {{{12, "Ann Smith", std::nullopt, 4, 3, 6}}, "Number", "contact ID 12"},
        {{{12, "Ann Smith", "5551234567", 4, std::nullopt, 6}}, "SpeedDial", "contact ID 12"},
        {{{12, "Ann Smith", "5551234567", 4, 3, 6}, {12, "Ann Smith", "x", 7, std::nullopt, 0}},
         "SpeedDial",
         "contact ID 12"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(state.settings.PhoneBookPath);
        ClearSet(state.PhoneBookSet);
        const std::string message = ErrorOf([&] { Load(c.rows); });
        EXPECT_NE(message.find(state.settings.PhoneBookPath.string()), std::string::npos)
            << message;
        EXPECT_NE(message.find("column " + c.column), std::string::npos) << message;
        EXPECT_NE(message.find(c.contact), std::string::npos) << message;
    }

    state.settings.PhoneBookPath = dir / "Elsewhere" / "PhoneBook.db";
    EXPECT_NE(ErrorOf([&] {
                  LoadPhoneBookRecords(state, engine);
              }).find(state.settings.PhoneBookPath.string()),
              std::string::npos);
    test::ExecuteSql(state.settings.PhoneBookPath, "CREATE TABLE Other (x)");
    const std::string noTable = ErrorOf([&] { LoadPhoneBookRecords(state, engine); });
    EXPECT_NE(noTable.find(state.settings.PhoneBookPath.string()), std::string::npos) << noTable;
    EXPECT_NE(noTable.find("tblContactList"), std::string::npos) << noTable;
}

}  // namespace
}  // namespace velmora
