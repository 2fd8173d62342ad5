#include "support/ScenarioGenerator.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>

#include "model/NumberText.h"
#include "model/PhoneForm.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/outlook/OutlookKinds.h"
#include "stores/outlook/OutlookLoader.h"

namespace velmora::scenarios {

namespace {

// Letters beyond ASCII and an apostrophe; with the number they fit in 22 characters.
constexpr std::array<std::string_view, 16> kFirstNames{
    "Ann", "Bob", "Chloé", "Dmitri", "Eve",  "Fran", "Gus", "Hélène",
    "Ian", "Jo",  "Kai",   "Mia",    "Noor", "Olaf", "Zoë", "Yara"};
constexpr std::array<std::string_view, 10> kLastNames{"Lee",      "O'Neil", "Smith", "Ångström",
                                                      "Dunn",     "Park",   "Stone", "Kowalski",
                                                      "Nakamura", "García"};

constexpr std::array<std::string_view, 3> kIncludedFlags{"YES", "Y", "yes"};
constexpr std::array<std::string_view, 3> kExcludedFlags{"", "No", "N"};

std::uint8_t LengthCode(NumberKind kind, std::string_view number) {
    const bool unmeasured = kind == NumberKind::DirectConnect || kind == NumberKind::Email;
    return unmeasured ? kUnmeasuredLengthCode : NumberLengthCode(number.size());
}

constexpr std::array<std::string_view, 6> kPhoneBookColumns{
    PhoneBookColumn::ContactID,  PhoneBookColumn::ContactName, PhoneBookColumn::Number,
    PhoneBookColumn::NumberType, PhoneBookColumn::SpeedDial,   PhoneBookColumn::PhoneNumberLength};

TableDefinition PhoneBookTable() {
    TableDefinition table;
    table.name = kPhoneBookTable;
    for (const std::string_view name : kPhoneBookColumns) {
        ColumnDefinition& column = table.columns.emplace_back();
        column.name = name;
        const bool text = name == PhoneBookColumn::ContactName || name == PhoneBookColumn::Number;
        column.type = text ? ColumnType::Text : ColumnType::Integer;
    }
    return table;
}

std::vector<FieldValue> PhoneBookRow(std::int64_t id, const std::string& name, NumberKind kind,
                                     std::string_view number, std::int64_t speed) {
    return {FieldValue(id),     FieldValue(name),
            FieldValue(number), FieldValue(KindInfo(kind).numberType),
            FieldValue(speed),  FieldValue(LengthCode(kind, number))};
}

std::vector<NumberKind> KindsWithNumbers(const SyncObject& record, bool with = true) {
    std::vector<NumberKind> kinds;
    for (const NumberKindInfo& info : kNumberKinds)
        if (record.Number(info.kind).empty() != with) kinds.push_back(info.kind);
    return kinds;
}

std::int64_t HighestContactId(const LoadedStores& stores) {
    std::int64_t highest = 0;
    for (const SyncSet* set : {&stores.addressBook, &stores.phoneBook, &stores.sync}) {
        for (const SyncObject& record : *set)
            highest = std::max(highest, WholeNumberOf(FieldValue(record.ContactID)).value_or(0));
    }
    return highest;
}

// Every row of the contact (of one kind, when given), first to last.
void ForRowsOf(Recordset& rows, std::int64_t id, std::optional<NumberKind> kind,
               const std::function<void(Recordset&)>& visit) {
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        if (WholeNumberOf(rows.Field(PhoneBookColumn::ContactID)) != id) continue;
        const auto type = WholeNumberOf(rows.Field(PhoneBookColumn::NumberType));
        if (kind && type != KindInfo(*kind).numberType) continue;
        visit(rows);
    }
}

void AddPhoneBookRow(Recordset& rows, const std::vector<FieldValue>& values) {
    rows.AddNew();
    for (std::size_t i = 0; i < values.size(); ++i)
        rows.SetField(kPhoneBookColumns[i], values[i]);
    rows.Update();
}

void EditField(Recordset& rows, std::string_view column, const FieldValue& value) {
    rows.Edit();
    rows.SetField(column, value);
    rows.Update();
}

}  // namespace

// The speed dials the phone book holds, so that new ones can be chosen free.
class SpeedDialPool {
  public:
    explicit SpeedDialPool(const SyncSet& phoneBook) {
        for (const SyncObject& record : phoneBook) {
            for (const NumberKind kind : KindsWithNumbers(record)) {
                if (const auto value = WholeNumberOf(FieldValue(record.Speed(kind))))
                    used_.insert(*value);
            }
        }
    }

    std::int64_t Free() {
        std::int64_t value = 1;
        while (used_.contains(value))
            ++value;
        used_.insert(value);
        return value;
    }

    std::optional<std::int64_t> AnyUsed(std::size_t pick) const {
        if (used_.empty()) return std::nullopt;
        return *std::next(used_.begin(), static_cast<std::ptrdiff_t>(pick % used_.size()));
    }

  private:
    std::set<std::int64_t> used_;
};

ScenarioGenerator::ScenarioGenerator(std::uint64_t seed, GeneratorOptions options)
    : random_(seed), options_(options) {}

void ScenarioGenerator::PrepareSettings(SyncSession& session) {
    session.SettingsStore().Save(SettingKey::NumberLimit, "1000000");
    const bool fullName = Chance(0.3);
    nameField_ = fullName ? ContactField::FullName : ContactField::FileAs;
    session.SettingsStore().Save(SettingKey::NameField, fullName ? "Full Name" : "File As");
}

bool ScenarioGenerator::Chance(double probability) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < probability;
}

std::size_t ScenarioGenerator::Pick(std::size_t count) {
    return static_cast<std::size_t>(random_() % count);
}

std::string ScenarioGenerator::NewName() {
    ++names_;
    std::string name = std::string(kFirstNames[Pick(kFirstNames.size())]) + " " +
                       std::string(kLastNames[Pick(kLastNames.size())]) + " " +
                       std::to_string(names_);
    // Longer than the 22 characters the phone keeps.
    if (Chance(0.1)) name += " Worthington-Smythe";
    return name;
}

std::string ScenarioGenerator::NewNumber(NumberKind kind) {
    const auto digits = [this](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += static_cast<char>('0' + Pick(10));
        return text;
    };
    switch (kind) {
        case NumberKind::Email:
            return "contact" + std::to_string(++emails_) + "@example.org";
        case NumberKind::DirectConnect:
            return "1" + digits(2) + "*" + digits(3) + "*" + digits(4);
        default: {
            const std::size_t choice = Pick(10);
            if (choice == 0) return "5" + digits(6);    // a local number
            if (choice == 1) return "15" + digits(9);   // with the country code
            if (choice == 2) return "+15" + digits(9);  // international
            return "5" + digits(9);
        }
    }
}

std::string ScenarioGenerator::TypedNumber(NumberKind kind, std::string_view number) {
    if (kind == NumberKind::DirectConnect) return std::string(number);
    if (kind == NumberKind::Email) {
        // People type capitals the phone does not keep.
        std::string typed(number);
        if (Chance(0.3)) typed[0] = static_cast<char>(typed[0] - 'a' + 'A');
        if (Chance(0.3)) typed.replace(typed.find("example"), 7, "Example");
        return typed;
    }
    return MaskPhoneNumber(number, static_cast<std::uint8_t>(1 + Pick(4)));
}

SyncObject ScenarioGenerator::NewContact() {
    SyncObject contact;
    contact.ContactName = NewName();
    std::vector<NumberKind> kinds;
    for (const NumberKindInfo& info : kNumberKinds)
        kinds.push_back(info.kind);
    std::shuffle(kinds.begin(), kinds.end(), random_);
    const std::size_t count = 1 + Pick(4);
    for (std::size_t i = 0; i < count; ++i)
        contact.SetNumber(kinds[i], NewNumber(kinds[i]));
    return contact;
}

ScenarioGenerator::ConflictAnswers ScenarioGenerator::ConflictPolicy() {
    struct Policy {
        std::mt19937_64 random;
        std::set<std::string> closedOnce;  // contact IDs
    };
    auto policy = std::make_shared<Policy>(Policy{std::mt19937_64(random_()), {}});
    return [policy](const SyncObject& outlook,
                    const SyncObject& phoneBook) -> std::optional<ConflictChoice> {
        // Changed on both sides, it is shown in each pass: the first may be closed.
        const bool shownAgain =
            outlook.Flag == RecordFlag::Modified && phoneBook.Flag == RecordFlag::Modified;
        if (shownAgain && !policy->closedOnce.contains(outlook.ContactID) &&
            policy->random() % 4 == 0) {
            policy->closedOnce.insert(outlook.ContactID);
            return std::nullopt;
        }
        if (policy->random() % 2 == 0) return ConflictChoice{ConflictSide::Outlook, outlook};
        return ConflictChoice{ConflictSide::PhoneBook, phoneBook};
    };
}

std::optional<NameValues> ScenarioGenerator::AnswerNames(const NameValues& proposed,
                                                         std::string_view) {
    NameValues names = proposed;
    if (names.FileAs.empty()) names.FileAs = names.FullName;
    return names;
}

void ScenarioGenerator::WriteInitialStores(const SyncSession& session) {
    const Settings settings = session.CurrentSettings();
    std::filesystem::create_directories(settings.ContactsPath);
    const auto addressBook = session.OpenAddressBook();

    std::vector<SyncObject> contacts;
    for (int i = 0; i < options_.contacts; ++i)
        contacts.push_back(NewContact());
    std::size_t numbers = 0;
    for (const SyncObject& contact : contacts)
        numbers += KindsWithNumbers(contact).size();
    std::vector<std::int64_t> speedDials(numbers + numbers / 3);
    std::iota(speedDials.begin(), speedDials.end(), 1);
    std::shuffle(speedDials.begin(), speedDials.end(), random_);

    TableDefinition phoneBook = PhoneBookTable();
    std::int64_t id = 0;
    std::size_t nextSpeedDial = 0;
    for (const SyncObject& contact : contacts) {
        // Both sides, the phone book only, or the address book only.
        const std::size_t where = Pick(10);
        if (where < 8) {
            id += Chance(0.2) ? 2 + static_cast<std::int64_t>(Pick(3)) : 1;
            for (const NumberKind kind : KindsWithNumbers(contact)) {
                phoneBook.rows.push_back(PhoneBookRow(id, PhoneName(contact.ContactName), kind,
                                                      contact.Number(kind),
                                                      speedDials[nextSpeedDial++]));
            }
            steps_.push_back("phone book holds " + contact.ContactName + " (ID " +
                             std::to_string(id) + ")");
        }
        if (where < 5 || where >= 8) {
            WriteCard(*addressBook, contact, kIncludedFlags[Pick(kIncludedFlags.size())]);
            steps_.push_back("address book holds " + contact.ContactName);
        }
    }
    for (std::size_t i = Pick(3); i > 0; --i) {
        const SyncObject contact = NewContact();
        WriteCard(*addressBook, contact, kExcludedFlags[Pick(kExcludedFlags.size())]);
        steps_.push_back("address book holds " + contact.ContactName + ", not included");
    }
    SaveAll(*addressBook);
    session.Backends().databases->CreateDatabase(settings.PhoneBookPath, {phoneBook});
}

void ScenarioGenerator::WriteCard(AddressBook& addressBook, const SyncObject& contact,
                                  std::string_view inclusion) {
    const CardHandle card = addressBook.Create();
    addressBook.Set(card, ContactField::FileAs, contact.ContactName);
    addressBook.Set(card, ContactField::FullName, contact.ContactName);
    for (const NumberKind kind : KindsWithNumbers(contact))
        addressBook.Set(card, FieldOf(kind), TypedNumber(kind, contact.Number(kind)));
    addressBook.Set(card, ContactField::User2, inclusion);
}

void ScenarioGenerator::ApplyRandomEdits(const SyncSession& session) {
    const LoadedStores current = LoadStores(session);
    const std::set<std::string> touched = EditAddressBook(session);
    EditPhoneBook(session, current, touched);
}

std::set<std::string> ScenarioGenerator::EditAddressBook(const SyncSession& session) {
    const auto addressBook = session.OpenAddressBook();
    AddressBook& book = *addressBook;
    // By name: a run's new cards get random file names, and a seed must repeat.
    std::vector<CardHandle> cards;
    for (CardHandle card = 1; card <= book.Count(); ++card)
        if (book.IsContact(card)) cards.push_back(card);
    std::stable_sort(cards.begin(), cards.end(), [&](CardHandle a, CardHandle b) {
        return book.Get(a, nameField_) < book.Get(b, nameField_);
    });
    std::set<std::string> touched;
    for (const CardHandle card : cards) {
        if (IsIncluded(book, card)) {
            if (!Chance(options_.changeShare)) continue;
            touched.insert(book.Get(card, ContactField::User3));
            EditCard(book, card);
        } else if (Chance(options_.changeShare / 2)) {
            // Included again, it comes back as a new contact.
            book.Set(card, ContactField::User2, "YES");
            steps_.push_back("address book: " + book.Get(card, nameField_) + " included");
        }
    }
    // Cards left alone this round, for namesakes and copies.
    std::vector<CardHandle> untouched;
    for (const CardHandle card : cards) {
        if (!book.IsContact(card) || !IsIncluded(book, card)) continue;
        const std::string id = book.Get(card, ContactField::User3);
        if (!id.empty() && !touched.contains(id)) untouched.push_back(card);
    }
    for (std::size_t i = Pick(static_cast<std::size_t>(options_.maxAdds) + 1); i > 0; --i) {
        SyncObject contact = NewContact();
        // Another person of the same name is another contact.
        if (!untouched.empty() && Chance(0.25))
            contact.ContactName = book.Get(untouched[Pick(untouched.size())], nameField_);
        WriteCard(book, contact, "YES");
        steps_.push_back("address book: " + contact.ContactName + " added");
    }
    if (!untouched.empty() && Chance(0.15)) {
        // A card copied whole, its contact ID with it.
        const CardHandle original = untouched[Pick(untouched.size())];
        const CardHandle copy = book.Create();
        for (std::size_t f = 0; f < kContactFieldCount; ++f) {
            const auto field = static_cast<ContactField>(f);
            book.Set(copy, field, book.Get(original, field));
        }
        touched.insert(book.Get(original, ContactField::User3));
        steps_.push_back("address book: " + book.Get(original, nameField_) + " (ID " +
                         book.Get(original, ContactField::User3) + ") copied");
    }
    SaveAll(book);
    return touched;
}

void ScenarioGenerator::EditCard(AddressBook& book, CardHandle card) {
    const std::string who = "address book: " + book.Get(card, nameField_) + " (ID " +
                            book.Get(card, ContactField::User3) + ")";
    SyncObject numbers;
    for (const NumberKindInfo& info : kNumberKinds)
        numbers.SetNumber(info.kind, book.Get(card, FieldOf(info.kind)));
    const auto present = KindsWithNumbers(numbers);
    const auto absent = KindsWithNumbers(numbers, false);
    // Another program may write the ID otherwise: it is still the same ID.
    const std::string id = book.Get(card, ContactField::User3);
    if (!id.empty() && Chance(0.15)) {
        book.Set(card, ContactField::User3, "0" + id);
        steps_.push_back(who + " ID written 0" + id);
    }
    if (present.empty()) {
        // A card that lost every number gets one again, and with it a new ID.
        const NumberKind kind = absent[Pick(absent.size())];
        const std::string typed = TypedNumber(kind, NewNumber(kind));
        book.Set(card, FieldOf(kind), typed);
        steps_.push_back(who + " given a " + std::string(KindWord(kind)) + " " + typed);
        return;
    }
    const std::size_t action = Pick(10);
    if (action < 2) {
        // Excluding a contact takes it out of the run as deleting it does.
        if (Chance(0.3)) {
            book.Set(card, ContactField::User2, "No");
            steps_.push_back(who + " excluded");
        } else {
            book.Delete(card);
            steps_.push_back(who + " deleted");
        }
        return;
    }
    if (action < 4) {
        const std::string name = NewName();
        book.Set(card, nameField_, name);
        steps_.push_back(who + " renamed " + name);
    } else if (action < 7 || absent.empty()) {
        const NumberKind kind = present[Pick(present.size())];
        const std::string typed = TypedNumber(kind, NewNumber(kind));
        book.Set(card, FieldOf(kind), typed);
        steps_.push_back(who + " " + std::string(KindWord(kind)) + " " + typed);
    } else if (action == 9 && present.size() == 1 && Chance(0.5)) {
        // Its last number gone, the contact leaves the phone book.
        book.Set(card, FieldOf(present.front()), "");
        steps_.push_back(who + " last number removed");
    } else if (action < 9 || present.size() < 2) {
        const NumberKind kind = absent[Pick(absent.size())];
        const std::string typed = TypedNumber(kind, NewNumber(kind));
        book.Set(card, FieldOf(kind), typed);
        steps_.push_back(who + " new " + std::string(KindWord(kind)) + " " + typed);
    } else if (Chance(0.5) && !book.Get(card, ContactField::User4).empty()) {
        // A speed dial moved in the address book, to one nobody uses.
        SyncObject tagged = numbers;
        ApplySpeedDialTag(tagged, book.Get(card, ContactField::User4));
        const NumberKind kind = present[Pick(present.size())];
        tagged.SetSpeed(kind, std::to_string(900 + ++speedDialEdits_));
        book.Set(card, ContactField::User4, BuildSpeedDialTag(tagged));
        steps_.push_back(who + " speed dial of " + std::string(KindWord(kind)) + " " +
                         std::string(tagged.Speed(kind)));
    } else {
        const NumberKind kind = present[Pick(present.size())];
        book.Set(card, FieldOf(kind), "");
        steps_.push_back(who + " " + std::string(KindWord(kind)) + " removed");
    }
}

std::int64_t ScenarioGenerator::ChooseSpeedDial(SpeedDialPool& speedDials) {
    if (Chance(0.1))
        if (const auto used = speedDials.AnyUsed(Pick(1000))) return *used;
    return speedDials.Free();
}

void ScenarioGenerator::EditPhoneBook(const SyncSession& session, const LoadedStores& current,
                                      const std::set<std::string>& touchedInAddressBook) {
    DatabaseEngine& databases = *session.Backends().databases;
    const auto database = databases.OpenDatabase(session.CurrentSettings().PhoneBookPath);
    const auto rows = database->OpenRecordset(kPhoneBookTable);
    SpeedDialPool speedDials(current.phoneBook);
    std::vector<const SyncObject*> records;
    for (const SyncObject& record : current.phoneBook)
        records.push_back(&record);
    std::sort(records.begin(), records.end(),
              [](const auto* a, const auto* b) { return a->ContactName < b->ContactName; });
    for (const SyncObject* record : records) {
        if (!Chance(options_.changeShare)) continue;
        // Not when the address book changed it too: keeping its version leaves work for later.
        const bool mayMoveSpeedDial =
            options_.speedDialEdits && !touchedInAddressBook.contains(record->ContactID);
        EditPhoneBookContact(*rows, *record, mayMoveSpeedDial, speedDials);
    }
    // New contacts get IDs that nobody, not even the sync database, knows.
    std::int64_t nextId = HighestContactId(current) + 1;
    for (std::size_t i = Pick(static_cast<std::size_t>(options_.maxAdds) + 1); i > 0; --i) {
        const SyncObject contact = NewContact();
        const std::int64_t id = nextId++;
        for (const NumberKind kind : KindsWithNumbers(contact)) {
            AddPhoneBookRow(*rows, PhoneBookRow(id, PhoneName(contact.ContactName), kind,
                                                contact.Number(kind), ChooseSpeedDial(speedDials)));
        }
        steps_.push_back("phone book: " + contact.ContactName + " (ID " + std::to_string(id) +
                         ") added");
    }
    rows->Close();
}

void ScenarioGenerator::EditPhoneBookContact(Recordset& rows, const SyncObject& record,
                                             bool mayMoveSpeedDial, SpeedDialPool& speedDials) {
    const std::int64_t id = *WholeNumberOf(FieldValue(record.ContactID));
    const std::string who = "phone book: " + record.ContactName + " (ID " + record.ContactID + ")";
    const auto present = KindsWithNumbers(record);
    const auto absent = KindsWithNumbers(record, false);
    const std::size_t action = Pick(mayMoveSpeedDial ? 12 : 10);
    if (action < 2) {
        ForRowsOf(rows, id, std::nullopt, [](Recordset& row) { row.Delete(); });
        steps_.push_back(who + " deleted");
    } else if (action < 4) {
        const std::string name = NewName();
        ForRowsOf(rows, id, std::nullopt, [&](Recordset& row) {
            EditField(row, PhoneBookColumn::ContactName, PhoneName(name));
        });
        steps_.push_back(who + " renamed " + name);
    } else if (action < 7 || absent.empty()) {
        const NumberKind kind = present[Pick(present.size())];
        const std::string number = NewNumber(kind);
        ForRowsOf(rows, id, kind, [&](Recordset& row) {
            row.Edit();
            row.SetField(PhoneBookColumn::Number, number);
            row.SetField(PhoneBookColumn::PhoneNumberLength, LengthCode(kind, number));
            row.Update();
        });
        steps_.push_back(who + " " + std::string(KindWord(kind)) + " " + number);
    } else if (action < 9 || (!mayMoveSpeedDial && present.size() < 2)) {
        const NumberKind kind = absent[Pick(absent.size())];
        const std::string number = NewNumber(kind);
        const std::int64_t speed = ChooseSpeedDial(speedDials);
        AddPhoneBookRow(rows, PhoneBookRow(id, PhoneName(record.ContactName), kind, number, speed));
        steps_.push_back(who + " new " + std::string(KindWord(kind)) + " " + number + " on " +
                         std::to_string(speed));
    } else if (action < 10 && present.size() >= 2) {
        const NumberKind kind = present[Pick(present.size())];
        ForRowsOf(rows, id, kind, [](Recordset& row) { row.Delete(); });
        steps_.push_back(who + " " + std::string(KindWord(kind)) + " removed");
    } else {
        const NumberKind kind = present[Pick(present.size())];
        const std::int64_t speed = ChooseSpeedDial(speedDials);
        ForRowsOf(rows, id, kind,
                  [&](Recordset& row) { EditField(row, PhoneBookColumn::SpeedDial, speed); });
        steps_.push_back(who + " " + std::string(KindWord(kind)) + " on speed dial " +
                         std::to_string(speed));
    }
}

}  // namespace velmora::scenarios
