#pragma once

#include <string>
#include <string_view>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// "row 3 of table tblContactList in /home/ann/Data/PhoneBook.db": the current
// row, for messages.
std::string RowDescription(const Recordset& recordset);

// The text of a column of the current row. A null is an error that names the
// file, the table, the row, the contact ID (when there is one) and the column.
std::string RequiredText(const Recordset& recordset, std::string_view column,
                         std::string_view contactId = {});

}  // namespace velmora
