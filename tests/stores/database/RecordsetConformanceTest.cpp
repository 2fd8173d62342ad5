#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "support/DatabaseFixtures.h"
#include "support/InMemoryDatabase.h"

namespace velmora {
namespace {

using test::ErrorNaming;

struct SqliteBackend {
    test::TempDir dir;
    SqliteDatabaseEngine engine{std::chrono::milliseconds(50)};
    std::filesystem::path PathOf(const std::string& name) const { return dir / name; }
};

struct InMemoryBackend {
    InMemoryDatabaseEngine engine;
    std::filesystem::path PathOf(const std::string& name) const { return "/in-memory/" + name; }
};

// People: Key (primary), Name (not null), Age (>= 0), Score, Amount, Note (default "none").
std::vector<TableDefinition> Tables() {
    TableDefinition people;
    const auto column = [&](const char* name, ColumnType type) -> ColumnDefinition& {
        ColumnDefinition& added = people.columns.emplace_back();
        added.name = name;
        added.type = type;
        return added;
    };
    column("Key", ColumnType::Integer).primaryKey = true;
    column("Name", ColumnType::Text).notNull = true;
    column("Age", ColumnType::Integer).minimum = 0;
    column("Score", ColumnType::Real);
    column("Amount", ColumnType::Numeric);
    column("Note", ColumnType::Text).defaultValue = FieldValue("none");
    people.name = "People";
    people.rows = {{1, "Ann", 30, 1.5, 10, "first"},
                   {2, "Bob", 40, 2.5, 20, "second"},
                   {3, "Cy", 50, 3.5, 30, "third"},
                   {4, "Di", 60, 4.5, 40, "fourth"}};
    return {people};
}

// The current row as `Key|"Name"|Age|Score|Amount|"Note"`.
std::string RowText(const RowSource& rows) {
    std::string text;
    for (const char* column : {"Key", "Name", "Age", "Score", "Amount", "Note"})
        text += (text.empty() ? "" : "|") + DescribeValue(rows.Field(column));
    return text;
}

// Where the recordset stands: a name, EOF and/or BOF, x on a deleted row.
std::string Here(const Recordset& rows) {
    std::string here = std::string(rows.Eof() ? "EOF" : "") + (rows.Bof() ? "BOF" : "");
    try {
        if (here.empty()) here = rows.Field("Name").Text();
    } catch (const Error&) {
        here = "x";
    }
    return here;
}

// Where each step leaves the recordset: F first, L last, N next, P previous, D
// delete; given a column, the steps are lookups of the key.
std::string Walk(Recordset& rows, std::string_view steps, std::string_view column = {},
                 const FieldValue& key = {}) {
    constexpr void (Recordset::*kMoves[])() = {&Recordset::MoveFirst, &Recordset::MoveLast,
                                               &Recordset::MoveNext, &Recordset::MovePrevious,
                                               &Recordset::Delete};
    constexpr bool (Recordset::*kFinds[])(std::string_view, const FieldValue&) = {
        &Recordset::FindFirst, &Recordset::FindLast, &Recordset::FindNext,
        &Recordset::FindPrevious};
    std::string trace;
    for (const char step : steps) {
        const std::size_t at = std::string_view("FLNPD").find(step);
        if (column.empty())
            (rows.*kMoves[at])();
        else
            (rows.*kFinds[at])(column, key);
        trace += (trace.empty() ? "" : ",") + Here(rows);
    }
    return trace;
}

template <typename Backend>
class RecordsetContract : public ::testing::Test {
  protected:
    void SetUp() override { backend.engine.CreateDatabase(path, Tables()); }

    std::unique_ptr<Recordset> Open(std::string_view table = "People") {
        return backend.engine.OpenDatabase(path)->OpenRecordset(table);
    }

    Backend backend;
    std::filesystem::path path = backend.PathOf("Data/People.db");
};

using Backends = ::testing::Types<SqliteBackend, InMemoryBackend>;
TYPED_TEST_SUITE(RecordsetContract, Backends);

// Every pass meets each row once, stops at the ends and goes round deleted rows.
TYPED_TEST(RecordsetContract, WalksEveryRowOnceAndDeletedRowsDropOut) {
    auto rows = this->Open();
    EXPECT_EQ(Walk(*rows, "NNNNNPLPPPPPNFNNNN"),
              "Bob,Cy,Di,EOF,EOF,Di,Di,Cy,Bob,Ann,BOF,BOF,Ann,Ann,Bob,Cy,Di,EOF");
    EXPECT_EQ(Walk(*rows, "LPDPPDPFNNLPPFDN"),
              "Di,Cy,x,Bob,Ann,x,BOF,Bob,Di,EOF,Di,Bob,BOF,Bob,x,Di");
    EXPECT_EQ(Walk(*rows, "D"), "EOFBOF");  // the last row gone
    EXPECT_EQ(Walk(*this->Open(), "FLNP"), "EOFBOF,EOFBOF,EOFBOF,EOFBOF");
}

// Passes meet the stored rows in key order, an added one with defaults; unknown names fail.
TYPED_TEST(RecordsetContract, ReadingPassMeetsTheStoredRows) {
    auto rows = this->Open();
    Walk(*rows, "FND");
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->Update();
    EXPECT_EQ(Walk(*rows, "NFNNNNL"), "Cy,Ann,Cy,Di,Eve,EOF,Eve");  // from the current row
    EXPECT_EQ(RowText(*rows), R"(5|"Eve"|null|null|null|"none")");
    EXPECT_EQ(Walk(*this->Open(), "L"), "Eve");
    const auto reader = this->backend.engine.OpenDatabase(this->path)->ReadRows("people");
    ASSERT_TRUE(reader->HasColumn("nOTE") && !reader->HasColumn("Nothing"));
    // Each row's texts, read before its values and again after.
    const auto texts = [&] {
        std::string text;
        for (std::size_t column = 0; column < 6; ++column)
            text += reader->TextAt(column).value_or("-") + " ";
        return text;
    };
    std::string passed;
    while (reader->Next()) {
        const std::string before = texts();
        passed += std::to_string(reader->CurrentRowId().value_or(-1)) + ":" + RowText(*reader);
        EXPECT_EQ(texts(), before);
        passed += " " + before + ";";
    }
    EXPECT_EQ(passed, R"(1:1|"Ann"|30|1.5|10|"first" 1 Ann 30 1.5 10 first ;)"
                      R"(3:3|"Cy"|50|3.5|30|"third" 3 Cy 50 3.5 30 third ;)"
                      R"(4:4|"Di"|60|4.5|40|"fourth" 4 Di 60 4.5 40 fourth ;)"
                      R"(5:5|"Eve"|null|null|null|"none" 5 Eve - - - none ;)");
    EXPECT_FALSE(reader->Next());
    EXPECT_EQ(reader->CurrentRowId(), std::nullopt);
    const std::vector<std::string> named{this->path.string(), "People"};
    EXPECT_THAT([&] { reader->Field("Name"); }, ErrorNaming(named));
    const auto again = this->backend.engine.OpenDatabase(this->path)->ReadRows("People");
    ASSERT_TRUE(again->Next());
    EXPECT_THAT([&] { again->Field("Nothing"); }, ErrorNaming({this->path.string(), "Nothing"}));
    EXPECT_THAT([&] { this->backend.engine.OpenDatabase(this->path)->ReadRows("Nobody"); },
                ErrorNaming({this->path.string(), "Nobody"}));
}

// Opened with keys (30 and "050" match Ann's and Cy's ages), a recordset
// holds those rows and its own; the others are not met and stay as they were.
TYPED_TEST(RecordsetContract, KeyedRecordsetHoldsOnlyItsRows) {
    const auto database = this->backend.engine.OpenDatabase(this->path);
    auto rows = database->OpenRecordsetWithKeys("People", {"age", {30, "050", 99}});
    EXPECT_EQ(Walk(*rows, "FNN") + "|" + Walk(*rows, "F", "Name", "Bob"), "Ann,Cy,EOF|EOF");
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->SetField("Age", 40);  // Bob's age, but Bob is not held
    rows->Update();
    EXPECT_EQ(Walk(*rows, "FNNN") + "|" + Walk(*rows, "FN", "Age", 40), "Ann,Cy,Eve,EOF|Eve,EOF");
    ASSERT_TRUE(rows->FindFirst("Name", "Eve"));
    rows->Delete();
    EXPECT_EQ(Walk(*this->Open(), "FNNNN"), "Ann,Bob,Cy,Di,EOF");
    // Keys match as lookups do whatever the rows store: reals, and texts
    // holding a whole number.
    auto all = this->Open();
    ASSERT_TRUE(all->FindFirst("Name", "Di"));
    all->Edit();
    all->SetField("Note", "012");
    all->Update();
    EXPECT_EQ(Walk(*database->OpenRecordsetWithKeys("People", {"Score", {2.5, "3.5"}}), "FNN"),
              "Bob,Cy,EOF");
    EXPECT_EQ(Walk(*database->OpenRecordsetWithKeys("People", {"Note", {"third", 12.0}}), "FNN"),
              "Cy,Di,EOF");
    const RowKeys unknown{"Nothing", {1}};
    EXPECT_THAT([&] { database->OpenRecordsetWithKeys("People", unknown); },
                ErrorNaming({this->path.string(), "People", "Nothing"}));
}

// Values convert to the column's type, or are refused by name and change nothing.
TYPED_TEST(RecordsetContract, ValuesAreConvertedOrRefusedByColumnType) {
    const std::tuple<std::string, FieldValue, std::optional<FieldValue>> cases[] = {
        {"age", "12", 12},       {"Age", 13.0, 13},         {"Score", "2.25", 2.25},
        {"Score", 3, 3.0},       {"Score", "+1e3", 1000.0}, {"Amount", " 2.50 ", 2.5},
        {"Note", 12, "12"},      {"Note", 1e20, "1e+20"},   {"Note", -7.0, "-7"},
        {"Age", "", {}},         {"Age", "abc", {}},        {"Age", 2.5, {}},
        {"Age", 1e19, {}},       {"Score", "inf", {}},      {"Score", "0x10", {}},
        {"Amount", "12abc", {}}, {"Amount", "1 2", {}}};
    auto rows = this->Open();
    for (const auto& [column, value, stored] : cases) {
        SCOPED_TRACE(column + " = " + DescribeValue(value));
        const FieldValue before = rows->Field(column);
        rows->Edit();
        if (stored)
            rows->SetField(column, value);
        else
            EXPECT_THAT([&] { rows->SetField(column, value); },
                        ErrorNaming({this->path.string(), "People", " " + column + " ",
                                     DescribeValue(value)}));
        rows->Update();
        EXPECT_EQ(this->Open()->Field(column), stored.value_or(before));
    }
    EXPECT_EQ(RowText(*this->Open()), R"(1|"Ann"|13|1000|2.5|"-7")");
}

// What a recordset holds of each row, kinds and all, from its first row on.
std::string Rows(Recordset& rows) {
    std::string text;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        for (const char* column : {"Key", "Name", "Legs", "Weight", "Amount", "Tag"}) {
            const FieldValue value = rows.Field(column);
            text += value.IsWholeNumber() ? "i" : value.IsReal() ? "r" : value.IsText() ? "t" : "";
            text += DescribeValue(value) + " ";
        }
        text += ";";
    }
    return text;
}

// A table of the columns that Rows shows, none with a default.
TableDefinition PetsTable(const char* name) {
    TableDefinition pets;
    pets.name = name;
    for (const auto& [column, type] : {std::pair{"Key", ColumnType::Integer},
                                       {"Name", ColumnType::Text},
                                       {"Legs", ColumnType::Integer},
                                       {"Weight", ColumnType::Real},
                                       {"Amount", ColumnType::Numeric},
                                       {"Tag", ColumnType::Blob}}) {
        ColumnDefinition& added = pets.columns.emplace_back();
        added.name = column;
        added.type = type;
        added.primaryKey = added.name == "Key";
    }
    return pets;
}

// New rows hold, in the recordset that added them, what the file then
// holds. Without defaults: a key given, or left to the table, or null, is
// the row's ID; a value the column's type keeps is as given, and one it
// changes (a real number into a numeric column) is as stored. With them:
// the default of each column not given, and what was given (null too),
// whether the defaults are plain values (a text with a quote in it, whole
// numbers) or not (a real number, whose text SQLite reads its own way).
TYPED_TEST(RecordsetContract, NewRowsHoldWhatTheFileHolds) {
    TableDefinition plain = PetsTable("Plain");
    plain.columns[1].defaultValue = FieldValue("it's");  // Name
    plain.columns[2].defaultValue = FieldValue(-3);      // Legs
    plain.columns[4].defaultValue = FieldValue(5);       // Amount
    TableDefinition real = PetsTable("Real");
    real.columns[1].defaultValue = FieldValue("x");
    real.columns[3].defaultValue = FieldValue(1.5);  // Weight
    const std::filesystem::path file = this->backend.PathOf("Data/Pets.db");
    this->backend.engine.CreateDatabase(file, {PetsTable("Pets"), plain, real});

    using Added = std::vector<std::vector<std::pair<const char*, FieldValue>>>;
    const Added converted{
        {{"Name", "Rex"}, {"Legs", "4"}, {"Weight", 12}, {"Amount", 2.0}, {"Tag", 7}},
        {{"Key", 10}, {"Name", "Tom"}, {"Legs", 4}, {"Weight", 4.5}, {"Amount", 2.5}},
        {{"Key", FieldValue()}, {"Name", "Bo"}, {"Tag", "x"}}};
    const Added some{{{"Name", "Rex"}},
                     {{"Legs", 4}, {"Weight", 2.5}},
                     {{"Name", FieldValue()}, {"Amount", FieldValue()}}};
    const std::vector<std::tuple<const char*, Added, std::string>> cases{
        {"Pets", converted,
         R"(i1 t"Rex" i4 r12 i2 i7 ;i10 t"Tom" i4 r4.5 r2.5 null ;i11 t"Bo" null null null t"x" ;)"},
        {"Plain", some,
         R"(i1 t"Rex" i-3 null i5 null ;i2 t"it's" i4 r2.5 i5 null ;i3 null i-3 null null null ;)"},
        {"Real", some,
         R"(i1 t"Rex" null r1.5 null null ;i2 t"x" i4 r2.5 null null ;)"
         R"(i3 null null r1.5 null null ;)"}};
    const auto database = this->backend.engine.OpenDatabase(file);
    for (const auto& [table, added, expected] : cases) {
        const auto rows = database->OpenRecordset(table);
        for (const auto& values : added) {
            rows->AddNew();
            for (const auto& [column, value] : values)
                rows->SetField(column, value);
            rows->Update();
        }
        EXPECT_EQ(Rows(*rows), expected) << table;
        EXPECT_EQ(Rows(*this->backend.engine.OpenDatabase(file)->OpenRecordset(table)), expected)
            << table;
    }
}

// Lookups from either end or the current row; 40, 40.0 and " 040" are one key.
TYPED_TEST(RecordsetContract, FindsRowsByKeyFromEitherEnd) {
    auto rows = this->Open();
    rows->Edit();
    rows->SetField("Age", 40);  // Ann now shares Bob's age
    rows->Update();
    EXPECT_EQ(Walk(*rows, "FNNPLPPP", "age", " 040"), "Ann,Bob,EOF,Bob,Bob,Ann,BOF,BOF");
    EXPECT_EQ(Walk(*rows, "FL", "Name", "Nobody") + Walk(*rows, "F", "Note", "third"), "EOF,BOFCy");
    Walk(*rows, "F", "Age", 40.0);
    rows->Delete();
    EXPECT_EQ(Walk(*rows, "N", "Age", "40"), "Bob");  // on from the deleted row
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->SetField("Age", "40");
    rows->Update();
    rows->Edit();
    rows->SetField("Age", 41);  // Bob
    rows->Update();
    EXPECT_EQ(Walk(*rows, "FN", "Age", 40) + Walk(*rows, "LP", "Age", 41), "Eve,EOFBob,BOF");
}

// Savepoints and transactions keep or undo changes together; a second writer is locked out.
TYPED_TEST(RecordsetContract, TransactionsKeepOrUndoChangesTogether) {
    const auto database = this->backend.engine.OpenDatabase(this->path);
    auto rows = database->OpenRecordset("People");
    const auto setNote = [&](const char* name, const char* note) {
        rows->FindFirst("Name", name);
        rows->Edit();
        rows->SetField("Note", note);
        rows->Update();
    };
    const auto notes = [&] {
        const auto reader = this->Open();
        std::string text;
        for (reader->MoveFirst(); !reader->Eof(); reader->MoveNext())
            text += reader->Field("Note").Text() + " ";
        return text;
    };
    database->BeginTransaction();
    setNote("Ann", "kept");
    database->SetSavepoint();
    setNote("Bob", "undone");
    Walk(*rows, "F", "Name", "Cy");
    rows->Delete();
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->Update();
    database->RollbackToSavepoint();
    EXPECT_EQ(Here(*rows), "BOF");
    EXPECT_EQ(Walk(*rows, "NNNNN"), "Ann,Bob,Cy,Di,EOF");
    EXPECT_EQ(Walk(*rows, "F", "Name", "Eve") + Walk(*rows, "F", "Note", "second"), "EOFBob");
    database->SetSavepoint();
    setNote("Di", "released");
    database->ReleaseSavepoint();
    const auto other = this->backend.engine.OpenDatabase(this->path);
    EXPECT_THAT([&] { other->BeginTransaction(); },
                ::testing::Throws<DatabaseLockedError>(
                    ::testing::Property(&Error::what, ::testing::HasSubstr(this->path.string()))));
    database->CommitTransaction();
    rows->Close();
    EXPECT_EQ(notes(), "kept second third released ");

    other->BeginTransaction();
    auto again = other->OpenRecordset("People");
    again->Delete();
    other->RollbackTransaction();
    EXPECT_EQ(Walk(*again, "NNNNN") + " " + notes(),
              "Ann,Bob,Cy,Di,EOF kept second third released ");
}

// Unknown names, rows breaking the table's rules and edits past the end are refused.
TYPED_TEST(RecordsetContract, UnknownNamesAndBrokenRulesAreRefused) {
    EXPECT_THAT([&] { this->Open("Nobody"); }, ErrorNaming({"Nobody", this->path.string()}));
    const auto database = this->backend.engine.OpenDatabase(this->path);
    EXPECT_EQ(std::make_pair(database->HasTable("people"), database->HasTable("Nobody")),
              std::make_pair(true, false));
    auto rows = this->Open();
    EXPECT_EQ(std::make_pair(rows->HasColumn("NOTE"), rows->HasColumn("Height")),
              std::make_pair(true, false));
    EXPECT_THAT([&] { rows->Field("Height"); }, ErrorNaming({"Height", "People"}));
    rows->AddNew();
    rows->SetField("Age", 5);
    EXPECT_THAT([&] { rows->Update(); }, ErrorNaming({"People", this->path.string()}));
    EXPECT_THROW(rows->Update(), Error);
    rows->Edit();
    rows->SetField("Name", "Young");
    rows->SetField("Age", -1);
    EXPECT_THROW(rows->Update(), Error);
    EXPECT_EQ(Walk(*rows, "LN"), "Di,EOF");
    EXPECT_THROW(rows->Edit(), Error);
    auto reader = this->Open();
    EXPECT_EQ(RowText(*reader), R"(1|"Ann"|30|1.5|10|"first")");
    EXPECT_EQ(Walk(*reader, "NNNN"), "Bob,Cy,Di,EOF");
}

// CreateDatabase is all or nothing and refuses an existing file.
TYPED_TEST(RecordsetContract, CreateDatabaseIsAllOrNothing) {
    auto& engine = this->backend.engine;
    EXPECT_THAT([&] { engine.CreateDatabase(this->path, Tables()); },
                ErrorNaming({this->path.string()}));
    const auto fresh = this->backend.PathOf("New/Folder/Fresh.db");
    std::vector<TableDefinition> broken = Tables();
    broken[0].rows.push_back({5, FieldValue(), 1, 1.0, 1, "no name"});  // Name may not be null
    EXPECT_THROW(engine.CreateDatabase(fresh, broken), Error);
    EXPECT_THAT([&] { engine.OpenDatabase(fresh); }, ErrorNaming({fresh.string()}));
    EXPECT_FALSE(engine.DatabaseExists(fresh));
    engine.CreateDatabase(fresh, Tables());
    EXPECT_EQ(Walk(*engine.OpenDatabase(fresh)->OpenRecordset("people"), "LP"), "Di,Cy");
}

// Old column types, Windows-1252 text, and files that are no database or damaged.
TEST(SqliteDatabase, ReadsOldTablesAndRefusesWhatIsNotADatabase) {
    test::TempDir dir;
    const auto path = dir / "Old.db";
    test::ExecuteSql(path,
                     "CREATE TABLE Old (A smallint, B VARCHAR(50), C DOUBLE, D BYTE, E, F, G);"
                     "INSERT INTO Old (E, F, G) VALUES (CAST(X'5A6FEB' AS TEXT), X'5A6FEB', "
                     "X'5A6FC3AB')");
    SqliteDatabaseEngine engine;
    const auto database = engine.OpenDatabase(path);
    EXPECT_NO_THROW(database->CheckIntegrity());
    const auto rows = database->OpenRecordset("Old");
    rows->Edit();
    EXPECT_THROW(rows->SetField("A", 2.5), Error);  // smallint holds whole numbers
    for (const char* column : {"A", "B", "C", "D"})
        rows->SetField(column, "12");
    rows->Update();
    std::vector<FieldValue> values;
    for (const char* column : {"A", "B", "C", "D", "E", "F", "G"})
        values.push_back(rows->Field(column));
    EXPECT_EQ(values, (std::vector<FieldValue>{12, "12", 12.0, 12, "Zoë", "Zoë", "Zoë"}));

    const auto notDatabase = dir / "notes.db";
    test::WriteFileBytes(notDatabase, std::string(2048, 'x'));
    EXPECT_THAT([&] { engine.OpenDatabase(notDatabase); }, ErrorNaming({notDatabase.string()}));
    EXPECT_THAT([&] { engine.OpenDatabase(dir.Path()); }, ErrorNaming({dir.Path().string()}));
    const auto damaged = dir / "Damaged.db";
    test::MakeDamagedDatabase(damaged);
    EXPECT_THAT([&] { engine.OpenDatabase(damaged)->CheckIntegrity(); },
                ErrorNaming({damaged.string(), "damaged", "NULL value in Damaged.Value"}));
}

}  // namespace
}  // namespace velmora
