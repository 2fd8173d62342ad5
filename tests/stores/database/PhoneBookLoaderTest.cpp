#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/PhoneBookDatabase.h"

namespace velmora {
namespace {

using test::PhoneBookRow;

class PhoneBookLoaderTest : public test::DatabaseStoreTest {
  protected:
    void Load(const std::vector<PhoneBookRow>& rows) {
        std::filesystem::remove(PhoneBookPath());
        ClearSet(state.PhoneBookSet);
        test::CreatePhoneBookDatabase(PhoneBookPath(), rows);
        LoadPhoneBookRecords(state, engine);
    }
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
    EXPECT_EQ(test::Render(state.PhoneBookSet),
              "12:Ann Smith::H=5559990000/5,M=5551234567/3,E=ann@example.com/9 | "
              "20:Bob Jones::H=5550002222/11 | 30:Cy Young::M=5552223333/2 | "
              "40:Di Lane::M=5556667777/-5,F=5558889999/-6");
}

// A null the load cannot read stops it naming the file, the row, the contact
// ID (when there is one) and the column; a missing file or table names the
// path.
TEST_F(PhoneBookLoaderTest, NullsAndMissingStoresAreNamed) {
    const std::string path = PhoneBookPath().string();
    const PhoneBookRow ann{12, "Ann Smith", "5551234567", 4, 3, 6};
    const std::vector<std::pair<std::vector<PhoneBookRow>, std::vector<std::string>>> cases{
        {{{std::nullopt, "Ann Smith", "5551234567", 4, 3, 6}}, {"Row 1 ", "column ContactID"}},
        {{{12, std::nullopt, "5551234567", 4, 3, 6}}, {"Row 1 ", "column ContactName"}},
        {{{12, "Ann Smith", std::nullopt, 4, 3, 6}}, {"Row 1 ", "column Number"}},
        {{{12, "Ann Smith", "5551234567", 4, std::nullopt, 6}}, {"Row 1 ", "column SpeedDial"}},
        {{ann, {12, "Ann Smith", "x", 7, std::nullopt, 0}}, {"Row 2 ", "column SpeedDial"}},
    };
    for (const auto& [rows, named] : cases) {
        std::vector<std::string> texts = named;
        texts.push_back(path);
        if (rows.back().ContactID) texts.push_back("(contact ID 12)");
        EXPECT_THAT([&] { Load(rows); }, test::ErrorNaming(texts));
    }

    state.settings.PhoneBookPath = dir / "Elsewhere" / "PhoneBook.db";
    EXPECT_THAT([&] { LoadPhoneBookRecords(state, engine); },
                test::ErrorNaming({PhoneBookPath().string()}));
    test::ExecuteSql(PhoneBookPath(), "CREATE TABLE Other (x)");
    EXPECT_THAT([&] { LoadPhoneBookRecords(state, engine); },
                test::ErrorNaming({PhoneBookPath().string(), "tblContactList"}));
}

}  // namespace
}  // namespace velmora
