#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// "row 3 of table tblContactList in /home/ann/Data/PhoneBook.db": the current
// row, for messages.
std::string RowDescription(const RowSource& recordset);

// A column a pass reads on every row: its name, for messages, and its place,
// found once (RowSource::ColumnIndex).
struct RowColumn {
    std::string_view name;
    std::size_t index = 0;
};
RowColumn ColumnOf(const RowSource& rows, std::string_view name);

// The text of a column of the current row. A null is an error that names the
// file, the table, the row, the contact ID (when there is one) and the column.
std::string RequiredText(const RowSource& recordset, const RowColumn& column,
                         std::string_view contactId = {});

// The contact ID in a column of the current row, in its plain decimal form:
// "7" for 7, 7.0, "07", " 7" and "+7" alike, so that the stores compare IDs
// as the phone keeps them. Anything but a positive whole number that fits
// 64 bits (null, "abc", 5.5, -3, 0, 99999999999999999999) is an error naming
// the file, the table, the row, the column and the value.
std::string PositiveContactId(const RowSource& recordset, const RowColumn& column);

// Fails, naming the file and the table, on the first of these columns the
// table lacks, so that a run stops before it writes rather than half-way.
void RequireColumns(const RowSource& recordset, const std::vector<std::string_view>& columns);

// Whether two values held as text are the same: as whole numbers when both
// read as one ("03" and "3"), else as texts.
bool SameValueText(std::string_view a, std::string_view b);

}  // namespace velmora
