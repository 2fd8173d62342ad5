#include "app/DemoData.h"

#include <array>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/Error.h"
#include "model/NumberKinds.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "stores/database/DatabaseEngine.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/outlook/FileBatch.h"
#include "stores/outlook/OutlookKinds.h"
#include "stores/outlook/VCardFields.h"

namespace velmora {

namespace {

constexpr std::array<std::string_view, 40> kFirstNames{
    "Ann",   "Bob",    "Chiara", "Dmitri", "Eve",   "Farah", "Gustav", "Hana",  "Ian",   "Jo",
    "Kwame", "Lena",   "Mateo",  "Nora",   "Omar",  "Priya", "Quinn",  "Rosa",  "Sven",  "Tamsin",
    "Uma",   "Viktor", "Wei",    "Ximena", "Yusuf", "Zoë",   "Aoife",  "Björn", "Chloé", "Dario",
    "Elif",  "Finn",   "Grace",  "Hiro",   "Inés",  "Jonas", "Keiko",  "Luis",  "Maren", "Nikolai"};
constexpr std::array<std::string_view, 40> kLastNames{
    "Smith",  "Okafor", "Rossi",    "Novak",    "Lindqvist", "Haddad",   "O'Brien", "Tanaka",
    "García", "Müller", "Mensah",   "Kowalski", "Dubois",    "Nguyen",   "Patel",   "Ivanova",
    "Byrne",  "Costa",  "Berg",     "Walsh",    "Sato",      "Fischer",  "Chen",    "López",
    "Aydın",  "Moreau", "Kelly",    "Nilsson",  "Rahman",    "Ferreira", "Yilmaz",  "Hughes",
    "Park",   "Silva",  "Andersen", "Ward",     "Kim",       "Santos",   "Vogel",   "Reid"};
constexpr std::array<std::string_view, 6> kMailDomains{
    "example.com", "example.org", "example.net", "mail.example", "post.example", "inbox.example"};

// One sample contact as both stores would hold it.
struct DemoContact {
    std::string first;
    std::string last;
    SyncObject numbers;  // digit strings, speed dials of the phone book
};

class Generator {
  public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
    bool Chance(int percent) { return Below(100) < percent; }

    // A name not used before, so that names match only where meant to.
    // Once the plain names run short (samples of tens of thousands), a
    // second initial tells names apart.
    std::pair<std::string, std::string> UniqueName() {
        for (int tries = 0;; ++tries) {
            std::string first(kFirstNames[static_cast<std::size_t>(Below(kFirstNames.size()))]);
            std::string last(kLastNames[static_cast<std::size_t>(Below(kLastNames.size()))]);
            const int initials = tries >= kPlainTries ? 2 : (Below(4) == 0 ? 1 : 0);
            for (int i = 0; i < initials; ++i) {
                first += ' ';
                first += static_cast<char>('A' + Below(26));
                first += '.';
            }
            if (names_.insert(last + ", " + first).second) return {first, last};
        }
    }

    // A fictional North American number: the 555-01xx lines are reserved
    // for fiction, so a sample never dials anyone.
    // Those lines are 72 000; once they run short, an extension tells
    // numbers apart.
    std::string PhoneNumber() {
        for (int tries = 0;; ++tries) {
            std::string number =
                std::to_string(200 + Below(800)) + "55501" + std::to_string(10 + Below(90));
            if (tries >= kPlainTries) number += std::to_string(100 + Below(900));
            if (numbers_.insert(number).second) return number;
        }
    }

    std::string DirectConnect() {
        return std::to_string(100 + Below(900)) + "*" + std::to_string(10 + Below(90)) + "*" +
               std::to_string(1000 + Below(9000));
    }

    std::string Email(const std::string& first, const std::string& last) {
        std::string local;
        for (const char c : first.substr(0, 1) + last) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                local += static_cast<char>(c | 0x20);
        }
        if (local.size() < 2) local = "contact";
        return local + std::to_string(Below(100)) + "@" +
               std::string(kMailDomains[static_cast<std::size_t>(Below(kMailDomains.size()))]);
    }

  private:
    // Draws of a plain name or number before the wider kind is taken.
    static constexpr int kPlainTries = 20;
    std::mt19937 random_;
    std::set<std::string> names_;
    std::set<std::string> numbers_;
};

DemoContact MakeContact(Generator& g, int& nextSpeedDial) {
    DemoContact c;
    std::tie(c.first, c.last) = g.UniqueName();
    auto give = [&](NumberKind kind, std::string value) {
        c.numbers.SetNumber(kind, value);
        c.numbers.SetSpeed(kind, std::to_string(nextSpeedDial++));
    };
    give(NumberKind::Mobile, g.PhoneNumber());
    if (g.Chance(40)) give(NumberKind::Home, g.PhoneNumber());
    if (g.Chance(35)) give(NumberKind::Work1, g.PhoneNumber());
    if (g.Chance(5)) give(NumberKind::Work2, g.PhoneNumber());
    if (g.Chance(8)) give(NumberKind::Fax, g.PhoneNumber());
    if (g.Chance(3)) give(NumberKind::Pager, g.PhoneNumber());
    if (g.Chance(5)) give(NumberKind::Other, g.PhoneNumber());
    if (g.Chance(15)) give(NumberKind::DirectConnect, g.DirectConnect());
    if (g.Chance(50)) give(NumberKind::Email, g.Email(c.first, c.last));
    return c;
}

std::string FileAsOf(const DemoContact& c) {
    return c.last + ", " + c.first;
}

// The phone manager's table: Velmora's six columns between two of its own.
TableDefinition PhoneBookTable(const std::vector<DemoContact>& contacts) {
    using C = ColumnDefinition;
    TableDefinition table{
        std::string(kPhoneBookTable),
        {C{"EntryKey", ColumnType::Integer, true, std::nullopt, true, {}},
         C{"ContactID", ColumnType::Integer, true, {}, false, {}},
         C{"ContactName", ColumnType::Text, false, {}, false, {}},
         C{"Number", ColumnType::Text, false, {}, false, {}},
         C{"NumberType", ColumnType::Integer, false, {}, false, {}},
         C{"SpeedDial", ColumnType::Integer, false, {}, false, {}},
         C{"PhoneNumberLength", ColumnType::Integer, false, {}, false, {}},
         C{"Category", ColumnType::Text, true, FieldValue(std::string("Personal")), false, {}}},
        {}};
    std::int64_t contactId = 1;
    for (const DemoContact& contact : contacts) {
        for (const auto& kind : kNumberKinds) {
            const std::string number(contact.numbers.Number(kind.kind));
            if (number.empty()) continue;
            const bool unmeasured =
                kind.kind == NumberKind::DirectConnect || kind.kind == NumberKind::Email;
            table.rows.push_back(
                {FieldValue(), FieldValue(contactId),
                 FieldValue(Utf8Left(FileAsOf(contact), kPhoneBookNameLength)), FieldValue(number),
                 FieldValue(std::int64_t{kind.numberType}),
                 FieldValue(std::stoll(std::string(contact.numbers.Speed(kind.kind)))),
                 FieldValue(std::int64_t{unmeasured ? kUnmeasuredLengthCode
                                                    : NumberLengthCode(number.size())}),
                 FieldValue(std::string(contactId % 3 == 0 ? "Business" : "Personal"))});
        }
        ++contactId;
    }
    return table;
}

VCard ContactCard(const DemoContact& contact, std::string_view uid, std::string_view inclusion) {
    using F = ContactField;
    VCard card = NewContactCard();
    SetCardUid(card, uid);
    WriteContactField(card, F::FirstName, contact.first);
    WriteContactField(card, F::LastName, contact.last);
    WriteContactField(card, F::FullName, contact.first + " " + contact.last);
    // A file-as line only where it says more than N, as the program writes
    // cards: one that repeats N would hide a rename made elsewhere in N.
    if (ReadContactField(card, F::FileAs) != FileAsOf(contact)) {
        WriteContactField(card, F::FileAs, FileAsOf(contact));
    }
    if (!inclusion.empty()) WriteContactField(card, F::User2, inclusion);
    const SyncObject& n = contact.numbers;
    WriteContactField(card, F::User1, n.Number(NumberKind::DirectConnect));
    WriteContactField(card, F::Email1Address, n.Number(NumberKind::Email));
    for (const NumberKind kind : kOutlookPhoneFieldOrder) {
        WriteContactField(card, FieldOf(kind), MaskPhoneNumber(n.Number(kind), kDefaultMaskOption));
    }
    FreezeCard(card);
    return card;
}

FileChange NewCardFile(const std::filesystem::path& folder, std::string_view uid,
                       std::string text) {
    FileChange change;
    change.kind = FileChange::Kind::Create;
    change.path = (folder / (std::string(uid) + ".vcf")).string();
    change.bytes = std::move(text);
    return change;
}

std::string DistributionListText() {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:velmora-demo-list\r\nFN:Book club\r\n"
           "N:Book club;;;;\r\nX-ADDRESSBOOKSERVER-KIND:group\r\nX-EVOLUTION-LIST:TRUE\r\n"
           "END:VCARD\r\n";
}

void RefuseExistingData(const Settings& settings, DatabaseEngine& engine) {
    const auto refuse = [](const std::filesystem::path& path, std::string_view what) {
        throw Error(std::string(what) + " " + path.string() +
                    " already exists; the demo only creates new data and leaves it alone.");
    };
    if (std::filesystem::exists(settings.PhoneBookPath))
        refuse(settings.PhoneBookPath, "The phone book");
    if (engine.DatabaseExists(settings.SyncPath) || std::filesystem::exists(settings.SyncPath)) {
        refuse(settings.SyncPath, "The sync database");
    }
    std::error_code error;
    if (std::filesystem::exists(settings.ContactsPath) &&
        !std::filesystem::is_empty(settings.ContactsPath, error)) {
        refuse(settings.ContactsPath, "The address book folder");
    }
}

}  // namespace

DemoSummary CreateDemoData(const Settings& settings, int contacts, std::uint32_t seed,
                           DatabaseEngine& engine) {
    RefuseExistingData(settings, engine);
    Generator g(seed);
    int nextSpeedDial = 1;

    // Four groups: shared, phone book only, address book only (marked), not marked.
    std::vector<DemoContact> phoneBook;
    std::vector<std::pair<DemoContact, std::string>> cards;  // contact, inclusion flag
    DemoSummary summary;
    for (int i = 0; i < contacts; ++i) {
        DemoContact contact = MakeContact(g, nextSpeedDial);
        switch (i % 10) {
            case 0:
            case 1:
            case 2:
            case 3:
                ++summary.sharedContacts;
                phoneBook.push_back(contact);
                cards.emplace_back(contact, g.Chance(50) ? "Yes" : "Y");
                break;
            case 4:
            case 5:
            case 6:
                ++summary.phoneBookOnly;
                phoneBook.push_back(contact);
                break;
            case 7:
            case 8:
                ++summary.addressBookMarked;
                cards.emplace_back(contact, "YES");
                break;
            default:
                ++summary.addressBookUnmarked;
                cards.emplace_back(contact, g.Chance(50) ? "No" : "");
                break;
        }
    }

    std::filesystem::create_directories(settings.ContactsPath);
    int cardNumber = 0;
    std::vector<FileChange> files;
    for (const auto& [contact, inclusion] : cards) {
        char uid[32];
        std::snprintf(uid, sizeof uid, "velmora-demo-%04d", ++cardNumber);
        files.push_back(NewCardFile(settings.ContactsPath, uid,
                                    CardText(ContactCard(contact, uid, inclusion))));
    }
    files.push_back(
        NewCardFile(settings.ContactsPath, "velmora-demo-list", DistributionListText()));
    // Written together: one flush for all of them.
    for (const FileOutcome& outcome : ApplyFileChanges(files)) {
        if (outcome.failure) throw Error(*outcome.failure);
    }
    summary.distributionLists = 1;

    engine.CreateDatabase(settings.PhoneBookPath, {PhoneBookTable(phoneBook)});
    summary.phoneBookPath = settings.PhoneBookPath;
    summary.contactsPath = settings.ContactsPath;
    return summary;
}

}  // namespace velmora
