#include "support/StoreText.h"

#include <algorithm>
#include <numeric>
#include <sstream>

#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "support/VCardFixtures.h"

namespace velmora::scenarios {

std::ostream& operator<<(std::ostream& out, const StoreTexts& texts) {
    return out << "address book:\n"
               << texts.addressBook << "phone book: " << texts.phoneBook
               << "\nsync database: " << texts.sync << "\n";
}

std::string RenderAddressBookSorted(const AddressBook& book) {
    std::vector<std::string> lines;
    std::istringstream rendered(test::RenderAddressBook(book));
    for (std::string line; std::getline(rendered, line);)
        lines.push_back(line + "\n");
    std::sort(lines.begin(), lines.end());
    return std::accumulate(lines.begin(), lines.end(), std::string());
}

std::string RenderTable(DatabaseEngine& engine, const std::filesystem::path& path,
                        std::string_view table, const std::vector<std::string_view>& columns,
                        std::size_t namedFrom) {
    if (!engine.DatabaseExists(path)) return "";
    const auto database = engine.OpenDatabase(path);
    const auto rows = database->OpenRecordset(table);
    std::string text;
    if (!rows->Eof()) rows->MoveFirst();
    for (bool first = true; !rows->Eof(); rows->MoveNext(), first = false) {
        if (!first) text += ";";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::string value = TextOf(rows->Field(columns[i])).value_or("NULL");
            if (i < namedFrom) {
                text += (i > 0 ? "|" : "") + value;
            } else if (!value.empty()) {
                text += "|" + std::string(columns[i]) + "=" + value;
            }
        }
    }
    rows->Close();
    return text;
}

StoreTexts RenderStores(const SyncSession& session) {
    const Settings settings = session.CurrentSettings();
    DatabaseEngine& databases = *session.Backends().databases;
    const auto addressBook = session.OpenAddressBook();
    return {RenderAddressBookSorted(*addressBook),
            RenderTable(databases, settings.PhoneBookPath, kPhoneBookTable,
                        {PhoneBookColumn::ContactID, PhoneBookColumn::ContactName,
                         PhoneBookColumn::Number, PhoneBookColumn::NumberType,
                         PhoneBookColumn::SpeedDial, PhoneBookColumn::PhoneNumberLength}),
            RenderTable(databases, settings.SyncPath, kSyncTable, SyncColumns(), 3)};
}

}  // namespace velmora::scenarios
