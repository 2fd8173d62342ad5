#include "stores/database/RowText.h"

#include "model/Error.h"

namespace velmora {

namespace {

// The row's description starting a sentence: "Row 3 of table ...".
std::string RowSentenceStart(const RowSource& recordset) {
    std::string row = RowDescription(recordset);
    row[0] = static_cast<char>(row[0] - 'a' + 'A');
    return row;
}

}  // namespace

std::string RowDescription(const RowSource& recordset) {
    const auto rowId = recordset.CurrentRowId();
    return (rowId ? "row " + std::to_string(*rowId) + " of " : std::string("the current row of ")) +
           "table " + recordset.TableName() + " in " + recordset.DatabasePath().string();
}

RowColumn ColumnOf(const RowSource& rows, std::string_view name) {
    return {name, rows.ColumnIndex(name)};
}

std::string RequiredText(const RowSource& recordset, const RowColumn& column,
                         std::string_view contactId) {
    auto text = recordset.TextAt(column.index);
    if (!text) {
        const std::string contact =
            contactId.empty() ? "" : " (contact ID " + std::string(contactId) + ")";
        throw Error(RowSentenceStart(recordset) + contact + " has no value (null) in column " +
                    std::string(column.name) + ".");
    }
    return std::move(*text);
}

std::string PositiveContactId(const RowSource& recordset, const RowColumn& column) {
    const FieldValue& value = recordset.FieldAt(column.index);
    const auto id = WholeNumberOf(value);
    if (!id || *id <= 0) {
        throw Error(RowSentenceStart(recordset) + " has the contact ID " + DescribeValue(value) +
                    " in column " + std::string(column.name) +
                    ", which is not a positive whole number.");
    }
    return std::to_string(*id);
}

void RequireColumns(const RowSource& recordset, const std::vector<std::string_view>& columns) {
    for (const std::string_view column : columns) {
        if (!recordset.HasColumn(column)) {
            throw Error("The table " + recordset.TableName() + " in " +
                        recordset.DatabasePath().string() + " has no column " +
                        std::string(column) + ", which Velmora reads or writes.");
        }
    }
}

bool SameValueText(std::string_view a, std::string_view b) {
    const auto wholeA = WholeNumberOf(FieldValue(a));
    const auto wholeB = WholeNumberOf(FieldValue(b));
    if (wholeA && wholeB) return *wholeA == *wholeB;
    return a == b;
}

}  // namespace velmora
