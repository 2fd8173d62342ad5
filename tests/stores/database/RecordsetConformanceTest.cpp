#include <memory>
#include <optional>
#include <string>

#include "stores/database/DatabaseTestSupport.h"
#include "stores/database/InMemoryDatabase.h"

namespace velmora {
namespace {

using test::ErrorNaming;

struct SqliteBackend {
    test::TempDir dir;
    SqliteDatabaseEngine engine;
    std::filesystem::path PathOf(const std::string& name) const { return dir / name; }
};

struct InMemoryBackend {
    InMemoryDatabaseEngine engine;
    std::filesystem::path PathOf(const std::string& name) const { return "/in-memory/" + name; }
};

// People(Key INTEGER PRIMARY KEY, Name TEXT NOT NULL, Age INTEGER >= 0,
// Score REAL, Amount NUMERIC, Note TEXT DEFAULT 'none') with four rows, and
// an empty table.
std::vector<TableDefinition> Tables() {
    TableDefinition people, empty;
    people.name = "People";
    for (const auto& [name, type] : {std::pair{"Key", ColumnType::Integer},
                                     {"Name", ColumnType::Text},
                                     {"Age", ColumnType::Integer},
                                     {"Score", ColumnType::Real},
                                     {"Amount", ColumnType::Numeric},
                                     {"Note", ColumnType::Text}}) {
        people.columns.emplace_back().name = name;
        people.columns.back().type = type;
    }
    people.columns[0].primaryKey = true;
    people.columns[1].notNull = true;
    people.columns[2].minimum = 0;
    people.columns[5].defaultValue = FieldValue("none");
    people.rows = {{1, "Ann", 30, 1.5, 10, "first"},
                   {2, "Bob", 40, 2.5, 20, "second"},
                   {3, "Cy", 50, 3.5, 30, "third"},
                   {4, "Di", 60, 4.5, 40, "fourth"}};
    empty.name = "Empty";
    empty.columns = people.columns;
    return {people, empty};
}

// The current row as `Key|"Name"|Age|Score|Amount|"Note"`.
std::string RowText(const Recordset& rows) {
    std::string text;
    for (const char* column : {"Key", "Name", "Age", "Score", "Amount", "Note"})
        text += (text.empty() ? "" : "|") + DescribeValue(rows.Field(column));
    return text;
}

// The names met by one pass from the first row to the end, or from the last
// to the start, wherever the recordset stood.
std::string Pass(Recordset& rows, bool backward = false) {
    std::string names;
    backward ? rows.MoveLast() : rows.MoveFirst();
    while (!(backward ? rows.Bof() : rows.Eof())) {
        names += (names.empty() ? "" : ",") + rows.Field("Name").Text();
        backward ? rows.MovePrevious() : rows.MoveNext();
    }
    return names;
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

// Passes meet every row once in stored order, pass after pass; stepping past
// an end sets Eof or Bof and stepping on stays there; an empty table is at
// both ends at once.
TYPED_TEST(RecordsetContract, WalksEveryRowOnceAndStopsAtTheEnds) {
    auto rows = this->Open();
    EXPECT_EQ(RowText(*rows), R"(1|"Ann"|30|1.5|10|"first")");
    EXPECT_EQ(Pass(*rows), "Ann,Bob,Cy,Di");
    rows->MoveNext();
    EXPECT_TRUE(rows->Eof() && !rows->Bof());
    rows->MovePrevious();
    EXPECT_EQ(rows->Field("Name"), FieldValue("Di"));
    EXPECT_EQ(Pass(*rows, true), "Di,Cy,Bob,Ann");
    rows->MovePrevious();
    EXPECT_TRUE(rows->Bof() && !rows->Eof());
    rows->MoveNext();
    EXPECT_EQ(rows->Field("Name"), FieldValue("Ann"));
    EXPECT_EQ(Pass(*rows), "Ann,Bob,Cy,Di");

    auto empty = this->Open("Empty");
    empty->MoveLast();
    empty->MoveNext();
    EXPECT_TRUE(empty->Eof() && empty->Bof());
    EXPECT_THROW(empty->Field("Name"), Error);
}

// Deleting while walking backwards: MovePrevious reaches the row before, the
// deleted row cannot be read, and later passes (and later readers) miss it.
TYPED_TEST(RecordsetContract, DeleteWhileWalkingBackwards) {
    auto rows = this->Open();
    rows->MoveLast();
    rows->MovePrevious();
    rows->Delete();  // Cy
    EXPECT_THROW(rows->Field("Name"), Error);
    rows->MovePrevious();
    EXPECT_EQ(rows->Field("Name"), FieldValue("Bob"));
    rows->MovePrevious();
    rows->Delete();  // Ann, the first row
    rows->MovePrevious();
    EXPECT_TRUE(rows->Bof());
    EXPECT_EQ(Pass(*rows) + ";" + Pass(*rows, true), "Bob,Di;Di,Bob");
    rows->MoveFirst();
    rows->Delete();
    rows->MoveNext();  // from a deleted row to the one after it
    EXPECT_EQ(rows->Field("Name"), FieldValue("Di"));
    EXPECT_EQ(Pass(*this->Open()), "Di");
}

// A row added through the recordset takes the table's defaults for columns
// not set and a key of its own, leaves the current row where it was, and is
// met by the passes that follow, and by other readers.
TYPED_TEST(RecordsetContract, AddedRowsGetDefaultsAndJoinLaterPasses) {
    auto rows = this->Open();
    rows->MoveNext();
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->Update();
    EXPECT_EQ(rows->Field("Name"), FieldValue("Bob"));
    EXPECT_EQ(Pass(*rows), "Ann,Bob,Cy,Di,Eve");
    const auto reader = this->Open();
    for (Recordset* recordset : {rows.get(), reader.get()}) {
        recordset->MoveLast();
        EXPECT_EQ(RowText(*recordset), R"(5|"Eve"|null|null|null|"none")");
    }
}

// A value is converted to the column's declared type when it is set (columns
// found whatever the case of their name); one that does not convert is
// refused naming the file, table, column and value, and leaves the column as
// it was. Each Update is stored at once and leaves other columns alone.
TYPED_TEST(RecordsetContract, ValuesAreConvertedOrRefusedByColumnType) {
    struct Case {
        std::string column;
        FieldValue value;
        std::optional<FieldValue> stored;  // nullopt: refused
    };
    const Case cases[] = {{"age", "12", 12},      {"Age", 13.0, 13},    {"Score", "2.25", 2.25},
                          {"Score", 3, 3.0},      {"Amount", "7", 7},   {"Amount", " 2.50 ", 2.5},
                          {"Note", 12, "12"},     {"Note", 2.5, "2.5"}, {"Age", "", std::nullopt},
                          {"Age", "abc", {}},     {"Age", 2.5, {}},     {"Score", "x", {}},
                          {"Amount", "12abc", {}}};
    auto rows = this->Open();
    for (const Case& c : cases) {
        const FieldValue before = rows->Field(c.column);
        rows->Edit();
        if (c.stored) {
            rows->SetField(c.column, c.value);
        } else {
            EXPECT_THAT([&] { rows->SetField(c.column, c.value); },
                        ErrorNaming({this->path.string(), "People", " " + c.column + " ",
                                     DescribeValue(c.value)}));
        }
        rows->Update();
        EXPECT_EQ(this->Open()->Field(c.column), c.stored.value_or(before)) << c.column;
    }
    EXPECT_EQ(RowText(*this->Open()), R"(1|"Ann"|13|3|2.5|"2.5")");
}

// A missing file, table or column is an error that names it.
TYPED_TEST(RecordsetContract, MissingFileTableAndColumnAreNamed) {
    const auto missing = this->backend.PathOf("Data/Missing.db");
    EXPECT_THAT([&] { this->backend.engine.OpenDatabase(missing); },
                ErrorNaming({missing.string()}));
    EXPECT_THAT([&] { this->Open("Nobody"); }, ErrorNaming({"Nobody", this->path.string()}));
    auto rows = this->Open();
    EXPECT_THAT([&] { rows->Field("Height"); }, ErrorNaming({"Height", "People"}));
}

// Calls out of place fail rather than doing something: storing without a
// buffer (moving, or a failed Update, drops it), editing past the end,
// anything after Close. The table's own rules (NOT NULL, a lowest value)
// refuse a row as a whole, naming the table and file; nothing of it is stored.
TYPED_TEST(RecordsetContract, CallsOutOfPlaceAndTableRulesAreRefused) {
    auto rows = this->Open();
    rows->Edit();
    rows->SetField("Name", "dropped");
    rows->MoveNext();
    EXPECT_THROW(rows->Update(), Error);
    rows->AddNew();
    rows->SetField("Age", 5);
    EXPECT_THAT([&] { rows->Update(); }, ErrorNaming({"People", this->path.string()}));
    EXPECT_THROW(rows->Update(), Error);
    rows->Edit();
    rows->SetField("Name", "Young");
    rows->SetField("Age", -1);
    EXPECT_THROW(rows->Update(), Error);
    rows->MoveLast();
    rows->MoveNext();
    EXPECT_THROW(rows->Edit(), Error);
    EXPECT_THROW(rows->Delete(), Error);
    rows->Close();
    EXPECT_THROW(rows->MoveFirst(), Error);
    auto reader = this->Open();
    EXPECT_EQ(Pass(*reader), "Ann,Bob,Cy,Di");
    reader->MoveFirst();
    reader->MoveNext();
    EXPECT_EQ(RowText(*reader), R"(2|"Bob"|40|2.5|20|"second")");
}

// CreateDatabase makes the folder, the tables and their rows, refuses an
// existing file, and leaves nothing behind when a part of it fails.
TYPED_TEST(RecordsetContract, CreateDatabaseIsAllOrNothing) {
    auto& engine = this->backend.engine;
    EXPECT_THAT([&] { engine.CreateDatabase(this->path, Tables()); },
                ErrorNaming({this->path.string()}));
    const auto fresh = this->backend.PathOf("New/Folder/Fresh.db");
    std::vector<TableDefinition> broken = Tables();
    broken[1].rows.push_back({"fine"});
    broken[0].rows.push_back({5, FieldValue(), 1, 1.0, 1, "no name"});  // Name may not be null
    EXPECT_THROW(engine.CreateDatabase(fresh, broken), Error);
    EXPECT_FALSE(engine.DatabaseExists(fresh));
    engine.CreateDatabase(fresh, Tables());
    EXPECT_TRUE(engine.DatabaseExists(fresh));
    EXPECT_EQ(Pass(*engine.OpenDatabase(fresh)->OpenRecordset("people")), "Ann,Bob,Cy,Di");
}

}  // namespace
}  // namespace velmora
