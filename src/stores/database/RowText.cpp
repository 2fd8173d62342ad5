#include "stores/database/RowText.h"

#include "model/Error.h"

namespace velmora {

std::string RowDescription(const Recordset& recordset) {
    const auto rowId = recordset.CurrentRowId();
    return (rowId ? "row " + std::to_string(*rowId) + " of " : std::string("the current row of ")) +
           "table " + recordset.TableName() + " in " + recordset.DatabasePath().string();
}

std::string RequiredText(const Recordset& recordset, std::string_view column,
                         std::string_view contactId) {
    auto text = TextOf(recordset.Field(column));
    if (!text) {
        std::string row = RowDescription(recordset);
        row[0] = static_cast<char>(row[0] - 'a' + 'A');  // starts a sentence: "Row 3 ..."
        const std::string contact =
            contactId.empty() ? "" : " (contact ID " + std::string(contactId) + ")";
        throw Error(row + contact + " has no value (null) in column " + std::string(column) + ".");
    }
    return std::move(*text);
}

}  // namespace velmora
