#include "support/FileScenario.h"

#include "model/Error.h"
#include "model/NumberText.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/outlook/OutlookKinds.h"

namespace velmora::test {

FileScenario::FileScenario()
    : session(dir.Path(), DefaultStoreBackends()), settings(session.CurrentSettings()) {
    std::filesystem::create_directories(settings.ContactsPath);
}

void FileScenario::WriteStores(const std::vector<ScenarioContact>& contacts) {
    std::string rows;
    for (const ScenarioContact& contact : contacts) {
        FieldValues card{{ContactField::FileAs, contact.name}, {ContactField::User2, "YES"}};
        for (const ScenarioContact::Number& number : contact.numbers) {
            const bool plain =
                number.kind == NumberKind::DirectConnect || number.kind == NumberKind::Email;
            const auto length =
                plain ? kUnmeasuredLengthCode : NumberLengthCode(number.number.size());
            rows += std::to_string(contact.id) + "|" + contact.name + "|" + number.number + "|" +
                    std::to_string(KindInfo(number.kind).numberType) + "|" +
                    std::to_string(number.speedDial) + "|" + std::to_string(length) + ";";
            card.emplace_back(
                FieldOf(number.kind),
                plain ? number.number : MaskPhoneNumber(number.number, kDefaultMaskOption));
        }
        WriteFileBytes(settings.ContactsPath / (std::to_string(contact.id) + ".vcf"),
                       ContactCardText(card));
    }
    CreatePhoneBook(settings.PhoneBookPath, rows);
}

void FileScenario::Agree(const std::vector<ScenarioContact>& contacts) {
    WriteStores(contacts);
    ScriptedRunUi quiet;
    if (session.Run(quiet).outcome != RunOutcome::Complete) throw Error("the first run failed");
}

void FileScenario::EditCard(std::string_view name, ContactField field, std::string_view value) {
    const auto book = session.OpenAddressBook();
    for (CardHandle card = 1; card <= book->Count(); ++card) {
        if (book->IsContact(card) && book->Get(card, ContactField::FileAs) == name)
            book->Set(card, field, value);
    }
    scenarios::SaveAll(*book);
}

}  // namespace velmora::test
