#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "stores/database/DatabaseTestSupport.h"

namespace velmora {
namespace {

using test::ErrorOf;

ColumnDefinition Column(std::string name, ColumnType type) {
    ColumnDefinition column;
    column.name = std::move(name);
    column.type = type;
    return column;
}

// People(Key INTEGER PRIMARY KEY, Name TEXT NOT NULL, Age INTEGER >= 0,
// Score REAL, Amount NUMERIC, Note TEXT DEFAULT 'none') with four rows, and
// an empty table.
std::vector<TableDefinition> Tables() {
    TableDefinition people;
    people.name = "People";
    ColumnDefinition key = Column("Key", ColumnType::Integer);
    key.primaryKey = true;
    ColumnDefinition name = Column("Name", ColumnType::Text);
    name.notNull = true;
    ColumnDefinition age = Column("Age", ColumnType::Integer);
    age.minimum = 0;
    ColumnDefinition note = Column("Note", ColumnType::Text);
    note.defaultValue = FieldValue("none");
    people.columns = {
        key, name, age, Column("Score", ColumnType::Real), Column("Amount", ColumnType::Numeric),
        note};
    people.rows = {{1, "Ann", 30, 1.5, 10, "first"},
                   {2, "Bob", 40, 2.5, 20, "second"},
                   {3, "Cy", 50, 3.5, 30, "third"},
                   {4, "Di", 60, 4.5, 40, "fourth"}};
    TableDefinition empty;
    empty.name = "Empty";
    empty.columns = {Column("Name", ColumnType::Text)};
    return {people, empty};
}

std::string NameOf(const Recordset& rows) {
    return rows.Field("Name").Text();
}

// One pass from the first row to the end, or from the last to the start,
// wherever the recordset stood.
std::string Forward(Recordset& rows) {
    std::string names;
    rows.MoveFirst();
    while (!rows.Eof()) {
        names += (names.empty() ? "" : ",") + NameOf(rows);
        rows.MoveNext();
    }
    return names;
}

std::string Backward(Recordset& rows) {
    std::string names;
    rows.MoveLast();
    while (!rows.Bof()) {
        names += (names.empty() ? "" : ",") + NameOf(rows);
        rows.MovePrevious();
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

using Backends = ::testing::Types<test::SqliteBackend, test::InMemoryBackend>;
TYPED_TEST_SUITE(RecordsetContract, Backends);

// Passes meet every row once in stored order; stepping past an end sets Eof or
// Bof and stepping on stays there; an empty table is at both ends at once.
TYPED_TEST(RecordsetContract, WalksEveryRowOnceAndStopsAtTheEnds) {
    auto rows = this->Open();
    ASSERT_FALSE(rows->Eof());
    EXPECT_FALSE(rows->Bof());
    EXPECT_EQ(NameOf(*rows), "Ann");

    EXPECT_EQ(Forward(*rows), "Ann,Bob,Cy,Di");
    EXPECT_TRUE(rows->Eof());
    EXPECT_FALSE(rows->Bof());
    rows->MoveNext();
    EXPECT_TRUE(rows->Eof());
    rows->MovePrevious();
    EXPECT_EQ(NameOf(*rows), "Di");

    EXPECT_EQ(Backward(*rows), "Di,Cy,Bob,Ann");
    EXPECT_TRUE(rows->Bof());
    EXPECT_FALSE(rows->Eof());
    rows->MovePrevious();
    EXPECT_TRUE(rows->Bof());
    rows->MoveNext();
    EXPECT_EQ(NameOf(*rows), "Ann");
    EXPECT_EQ(Forward(*rows), "Ann,Bob,Cy,Di");  // the order holds pass after pass

    auto empty = this->Open("Empty");
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    empty->MoveFirst();
    empty->MoveLast();
    empty->MoveNext();
    EXPECT_TRUE(empty->Eof() && empty->Bof());
    EXPECT_NE(ErrorOf([&] { empty->Field("Name"); }), "no error");
}

// Deleting while walking backwards: MovePrevious reaches the row before, the
// deleted row cannot be read, and later passes (and later readers) miss it.
TYPED_TEST(RecordsetContract, DeleteWhileWalkingBackwards) {
    auto rows = this->Open();
    rows->MoveLast();
    rows->MovePrevious();
    ASSERT_EQ(NameOf(*rows), "Cy");
    rows->Delete();
    EXPECT_NE(ErrorOf([&] { NameOf(*rows); }), "no error");
    EXPECT_FALSE(rows->Bof());
    rows->MovePrevious();
    EXPECT_EQ(NameOf(*rows), "Bob");
    rows->MovePrevious();
    rows->Delete();  // Ann, the first row
    rows->MovePrevious();
    EXPECT_TRUE(rows->Bof());

    EXPECT_EQ(Forward(*rows), "Bob,Di");
    EXPECT_EQ(Backward(*rows), "Di,Bob");
    rows->MoveFirst();
    rows->Delete();
    rows->MoveNext();  // from a deleted row to the one after it
    EXPECT_EQ(NameOf(*rows), "Di");
    EXPECT_EQ(Forward(*this->Open()), "Di");
}

// A row added through the recordset takes the table's defaults for columns
// not set and a key of its own, leaves the current row where it was, and is
// met by the passes that follow.
TYPED_TEST(RecordsetContract, AddedRowsGetDefaultsAndJoinLaterPasses) {
    auto rows = this->Open();
    rows->MoveNext();
    ASSERT_EQ(NameOf(*rows), "Bob");
    rows->AddNew();
    rows->SetField("Name", "Eve");
    rows->Update();
    EXPECT_EQ(NameOf(*rows), "Bob");
    EXPECT_EQ(Forward(*rows), "Ann,Bob,Cy,Di,Eve");

    const auto reader = this->Open();
    for (Recordset* recordset : {rows.get(), reader.get()}) {
        recordset->MoveLast();
        EXPECT_EQ(NameOf(*recordset), "Eve");
        EXPECT_EQ(recordset->Field("Note"), FieldValue("none"));
        EXPECT_TRUE(recordset->Field("Age").IsNull());
        EXPECT_EQ(recordset->Field("Key"), FieldValue(5));
    }
}

// Update stores the edited row at once (a second reader sees it while the
// first recordset is still open) and leaves the columns not set alone.
// Columns are found whatever the case of their name.
TYPED_TEST(RecordsetContract, EditStoresAtOnceAndLeavesOtherColumnsAlone) {
    auto rows = this->Open();
    rows->Edit();
    rows->SetField("name", "Anne");
    rows->Update();
    EXPECT_EQ(NameOf(*rows), "Anne");

    auto reader = this->Open();
    EXPECT_EQ(NameOf(*reader), "Anne");
    EXPECT_EQ(reader->Field("AGE"), FieldValue(30));
    EXPECT_EQ(reader->Field("Note"), FieldValue("first"));
    EXPECT_EQ(reader->Field("Score"), FieldValue(1.5));
}

// Values are converted to the column's declared type when they are set.
TYPED_TEST(RecordsetContract, ValuesAreConvertedToTheColumnType) {
    {
        auto rows = this->Open();
        rows->Edit();
        rows->SetField("Age", "12");
        rows->SetField("Score", "2.25");
        rows->SetField("Amount", "7");
        rows->SetField("Note", 12);
        rows->Update();
        rows->MoveNext();
        rows->Edit();
        rows->SetField("Age", 13.0);
        rows->SetField("Score", 3);
        rows->SetField("Amount", " 2.50 ");
        rows->SetField("Note", 2.5);
        rows->Update();
    }
    auto rows = this->Open();
    EXPECT_EQ(rows->Field("Age"), FieldValue(12));
    EXPECT_EQ(rows->Field("Score"), FieldValue(2.25));
    EXPECT_EQ(rows->Field("Amount"), FieldValue(7));
    EXPECT_EQ(rows->Field("Note"), FieldValue("12"));
    rows->MoveNext();
    EXPECT_EQ(rows->Field("Age"), FieldValue(13));
    EXPECT_EQ(rows->Field("Score"), FieldValue(3.0));
    EXPECT_EQ(rows->Field("Amount"), FieldValue(2.5));
    EXPECT_EQ(rows->Field("Note"), FieldValue("2.5"));
}

// A value that does not convert is refused with a message naming the file,
// table, column and value, and the rest of the edit is stored without it.
TYPED_TEST(RecordsetContract, RefusedValuesAreNamedAndLeaveTheColumnAlone) {
    auto rows = this->Open();
    rows->Edit();
    const std::vector<std::pair<std::string, FieldValue>> refused{
        {"Age", ""}, {"Age", "abc"}, {"Age", 2.5}, {"Score", "x"}, {"Amount", "12abc"}};
    for (const auto& entry : refused) {
        const std::string& column = entry.first;
        const FieldValue& value = entry.second;
        const std::string message = ErrorOf([&] { rows->SetField(column, value); });
        EXPECT_NE(message.find(this->path.string()), std::string::npos) << message;
        EXPECT_NE(message.find("People"), std::string::npos) << message;
        EXPECT_NE(message.find(" " + column + " "), std::string::npos) << message;
        EXPECT_NE(message.find(DescribeValue(value)), std::string::npos) << message;
    }
    rows->SetField("Name", "Zed");
    rows->Update();
    auto reader = this->Open();
    EXPECT_EQ(NameOf(*reader), "Zed");
    EXPECT_EQ(reader->Field("Age"), FieldValue(30));
}

// A missing file, table or column is an error that names it.
TYPED_TEST(RecordsetContract, MissingFileTableAndColumnAreNamed) {
    const auto missing = this->backend.PathOf("Data/Missing.db");
    EXPECT_NE(ErrorOf([&] { this->backend.engine.OpenDatabase(missing); }).find(missing.string()),
              std::string::npos);
    const std::string noTable = ErrorOf([&] { this->Open("Nobody"); });
    EXPECT_NE(noTable.find("Nobody"), std::string::npos) << noTable;
    EXPECT_NE(noTable.find(this->path.string()), std::string::npos) << noTable;

    auto rows = this->Open();
    const std::string noColumn = ErrorOf([&] { rows->Field("Height"); });
    EXPECT_NE(noColumn.find("Height"), std::string::npos) << noColumn;
    EXPECT_NE(noColumn.find("People"), std::string::npos) << noColumn;
    rows->Edit();
    EXPECT_NE(ErrorOf([&] { rows->SetField("Height", 1); }).find("Height"), std::string::npos);
}

// Calls out of place fail with an error rather than doing something: storing
// without a buffer, editing or deleting past the end, anything after Close.
TYPED_TEST(RecordsetContract, CallsOutOfPlaceAreErrors) {
    auto rows = this->Open();
    EXPECT_NE(ErrorOf([&] { rows->Update(); }), "no error");
    EXPECT_NE(ErrorOf([&] { rows->SetField("Name", "x"); }), "no error");
    rows->Edit();
    rows->SetField("Name", "dropped");
    rows->MoveNext();  // moving drops the buffer
    EXPECT_NE(ErrorOf([&] { rows->Update(); }), "no error");
    rows->MoveLast();
    rows->MoveNext();
    EXPECT_NE(ErrorOf([&] { rows->Edit(); }), "no error");
    EXPECT_NE(ErrorOf([&] { rows->Delete(); }), "no error");
    EXPECT_NE(ErrorOf([&] { rows->Field("Name"); }), "no error");
    rows->Close();
    EXPECT_NE(ErrorOf([&] { rows->Eof(); }), "no error");
    EXPECT_NE(ErrorOf([&] { rows->MoveFirst(); }), "no error");
    EXPECT_EQ(Forward(*this->Open()), "Ann,Bob,Cy,Di");
}

// The table's own rules (NOT NULL, a lowest value) refuse a row as a whole,
// with an error naming the table and the file; nothing of it is stored, and
// the failed buffer is gone.
TYPED_TEST(RecordsetContract, TableRulesRefuseAWholeRow) {
    auto rows = this->Open();
    rows->AddNew();
    rows->SetField("Age", 5);
    const std::string noName = ErrorOf([&] { rows->Update(); });
    EXPECT_NE(noName.find("People"), std::string::npos) << noName;
    EXPECT_NE(noName.find(this->path.string()), std::string::npos) << noName;
    EXPECT_NE(ErrorOf([&] { rows->Update(); }), "no error");

    rows->MoveFirst();
    rows->Edit();
    rows->SetField("Name", "Young");
    rows->SetField("Age", -1);
    EXPECT_NE(ErrorOf([&] { rows->Update(); }), "no error");
    EXPECT_EQ(NameOf(*rows), "Ann");
    auto reader = this->Open();
    EXPECT_EQ(Forward(*reader), "Ann,Bob,Cy,Di");
    reader->MoveFirst();
    EXPECT_EQ(reader->Field("Age"), FieldValue(30));
}

// CreateDatabase makes the folder, the tables and their rows, refuses an
// existing file, and leaves nothing behind when a part of it fails.
TYPED_TEST(RecordsetContract, CreateDatabaseIsAllOrNothing) {
    auto& engine = this->backend.engine;
    EXPECT_TRUE(engine.DatabaseExists(this->path));
    EXPECT_NE(
        ErrorOf([&] { engine.CreateDatabase(this->path, Tables()); }).find(this->path.string()),
        std::string::npos);

    const auto fresh = this->backend.PathOf("New/Folder/Fresh.db");
    EXPECT_FALSE(engine.DatabaseExists(fresh));
    std::vector<TableDefinition> broken = Tables();
    broken[0].rows.push_back({5, FieldValue(), 1, 1.0, 1, "no name"});  // Name may not be null
    EXPECT_NE(ErrorOf([&] { engine.CreateDatabase(fresh, broken); }), "no error");
    EXPECT_FALSE(engine.DatabaseExists(fresh));

    engine.CreateDatabase(fresh, Tables());
    EXPECT_TRUE(engine.DatabaseExists(fresh));
    EXPECT_EQ(Forward(*engine.OpenDatabase(fresh)->OpenRecordset("people")), "Ann,Bob,Cy,Di");
}

}  // namespace
}  // namespace velmora
