#include "support/FileScenario.h"

#include <algorithm>

#include "bench/StoreText.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/outlook/NumberText.h"
#include "support/EngineFixtures.h"

namespace velmora::test {

namespace {

SyncObject RecordOf(const ScenarioContact& contact) {
    SyncObject record;
    record.ContactID = std::to_string(contact.id);
    record.ContactName = contact.name;
    for (const ScenarioContact::Number& number : contact.numbers) {
        NumberOf(record, number.kind) = number.number;
        SpeedOf(record, number.kind) = std::to_string(number.speedDial);
    }
    return record;
}

}  // namespace

std::vector<PhoneBookRow> PhoneBookRowsOf(const ScenarioContact& contact) {
    std::vector<PhoneBookRow> rows;
    for (const ScenarioContact::Number& number : contact.numbers) {
        const NumberKindInfo& kind = KindInfo(number.kind);
        const bool unmeasured =
            number.kind == NumberKind::DirectConnect || number.kind == NumberKind::Email;
        rows.push_back(
            {contact.id, contact.name, number.number, kind.numberType, number.speedDial,
             unmeasured ? kUnmeasuredLengthCode : NumberLengthCode(number.number.size())});
    }
    return rows;
}

SyncRow SyncRowOf(const ScenarioContact& contact) {
    const SyncObject record = RecordOf(contact);
    SyncRow row{
        .ContactID = contact.id, .Name = contact.name, .SpeedDial = BuildSpeedDialTag(record)};
    for (const ScenarioContact::Number& number : contact.numbers) {
        std::string* column = nullptr;
        switch (number.kind) {
            case NumberKind::Work2:
                column = &row.Work2;
                break;
            case NumberKind::DirectConnect:
                column = &row.DirectConnect;
                break;
            case NumberKind::Home:
                column = &row.Home;
                break;
            case NumberKind::Work1:
                column = &row.Work1;
                break;
            case NumberKind::Mobile:
                column = &row.Mobile;
                break;
            case NumberKind::Fax:
                column = &row.Fax;
                break;
            case NumberKind::Pager:
                column = &row.Pager;
                break;
            case NumberKind::Other:
                column = &row.Other;
                break;
            case NumberKind::Email:
                row.Email = number.number;
                continue;
        }
        *column = number.number;
    }
    return row;
}

FieldValues CardFieldsOf(const ScenarioContact& contact) {
    const SyncObject record = RecordOf(contact);
    FieldValues fields{{ContactField::FileAs, contact.name},
                       {ContactField::User2, "YES"},
                       {ContactField::User3, std::to_string(contact.id)},
                       {ContactField::User4, BuildSpeedDialTag(record)}};
    for (const ScenarioContact::Number& number : contact.numbers) {
        const NumberKindInfo& kind = KindInfo(number.kind);
        const bool phone =
            number.kind != NumberKind::DirectConnect && number.kind != NumberKind::Email;
        fields.emplace_back(
            *FieldByName(kind.outlookField),
            phone ? MaskPhoneNumber(number.number, kDefaultMaskOption) : number.number);
    }
    return fields;
}

FieldValues WithField(FieldValues fields, ContactField field, std::string_view value) {
    std::erase_if(fields, [field](const auto& entry) { return entry.first == field; });
    if (!value.empty()) fields.emplace_back(field, std::string(value));
    return fields;
}

FileScenario::FileScenario() : session(dir.Path(), DefaultStoreBackends()) {
    std::filesystem::create_directories(ContactsPath());
}

void FileScenario::WriteAgreedStores(const std::vector<ScenarioContact>& contacts) {
    std::vector<PhoneBookRow> phoneBook;
    std::vector<SyncRow> sync;
    for (const ScenarioContact& contact : contacts) {
        const auto rows = PhoneBookRowsOf(contact);
        phoneBook.insert(phoneBook.end(), rows.begin(), rows.end());
        sync.push_back(SyncRowOf(contact));
        WriteCard(std::to_string(contact.id) + ".vcf", CardFieldsOf(contact));
    }
    CreatePhoneBookDatabase(PhoneBookPath(), phoneBook);
    CreateSyncDatabase(SyncPath(), sync);
}

void FileScenario::WriteCard(const std::string& fileName, const FieldValues& fields) {
    WriteCardFile(ContactsPath(), fileName, ContactCardText(fields));
}

RunResult FileScenario::Run() {
    return session.Run(ui);
}

std::filesystem::path FileScenario::PhoneBookPath() const {
    return session.CurrentSettings().PhoneBookPath;
}
std::filesystem::path FileScenario::SyncPath() const {
    return session.CurrentSettings().SyncPath;
}
std::filesystem::path FileScenario::ContactsPath() const {
    return session.CurrentSettings().ContactsPath;
}
std::filesystem::path FileScenario::LogPath() const {
    return session.CurrentSettings().LogPath;
}

std::string FileScenario::PhoneBook() const {
    return PhoneBookText(PhoneBookPath());
}
std::string FileScenario::Sync() const {
    return SyncContactsText(SyncPath());
}
std::string FileScenario::AddressBook() const {
    const auto application = session.OpenAddressBook();
    return scenarios::RenderAddressBookSorted(*application);
}

StoreTexts FileScenario::Stores() const {
    return {PhoneBook(), Sync(), AddressBook()};
}

long FileScenario::ConflictsShown() const {
    return std::count_if(ui.events.begin(), ui.events.end(),
                         [](const std::string& event) { return event.starts_with("conflict: "); });
}

std::ostream& operator<<(std::ostream& out, const StoreTexts& texts) {
    return out << "\nphone book: " << texts.phoneBook << "\nsync database: " << texts.sync
               << "\naddress book:\n"
               << texts.addressBook;
}

std::vector<std::string> FileScenario::EngineLog() const {
    const auto lines = ReadLogLines(LogPath());
    const auto first = std::find(lines.begin(), lines.end(),
                                 "Verifying that all Outlook Contact items contain a contact ID.");
    return {first, lines.end()};
}

}  // namespace velmora::test
