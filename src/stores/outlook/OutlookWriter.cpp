#include "stores/outlook/OutlookWriter.h"

#include <optional>
#include <string>

#include "model/NumberKinds.h"
#include "run/ActivityLog.h"
#include "run/RunState.h"
#include "run/RunUi.h"
#include "stores/outlook/ContactFilter.h"
#include "stores/outlook/NumberText.h"
#include "stores/outlook/OutlookLoader.h"

namespace velmora {

namespace {

constexpr std::string_view kFilterTail = "' and ([User2] = 'Y' or [User2]='YES')";

using F = ContactField;

ContactField FieldOf(const NumberKindInfo& kind) {
    return *FieldByName(kind.outlookField);
}

std::string Event(std::string_view text) {
    return std::string(kEventPrefix) + std::string(text);
}

std::string Value(std::string_view label, std::string_view value) {
    return std::string(kValuePrefix) + std::string(label) + std::string(value);
}

// What a "W" record is compared with: the contact as it was found.
struct FoundValues {
    std::string name;  // the field chosen by NameField
    std::string user1;
    std::string email;
    std::string user4;
};

class OutlookWriter {
  public:
    OutlookWriter(RunState& state, OutlookApplication& application, RunUi& ui, ActivityLog& log)
        : state_(state),
          settings_(state.settings),
          application_(application),
          ui_(ui),
          log_(log),
          nameField_(NameFieldOf(settings_.NameField)) {}

    void Write(const SyncObject& record) {
        if (record.Flag == "D") {
            Delete(record);
        } else if (record.Flag == "W") {
            WithFoundContact(record, [&](ContactItem& c) { Rewrite(record, c); });
        } else if (record.Flag == "C") {
            Create(record);
        } else if (record.Flag == "S") {
            WithFoundContact(record, [&](ContactItem& c) { SaveSpeedDials(record, c); });
        } else if (record.Flag == "I") {
            WithFoundContact(record, [&](ContactItem& c) { AssignContactID(record, c); });
        }
    }

  private:
    // Searches the freshly fetched items with a filter built from the value.
    std::unique_ptr<ContactItem> Search(std::string_view prefix, std::string_view value) {
        const std::string filter =
            std::string(prefix) + QuoteFilterValue(value) + std::string(kFilterTail);
        return application_.GetDefaultContactsFolder().Items()->Find(filter);
    }

    std::unique_ptr<ContactItem> FindByID(const SyncObject& record) {
        return Search("[User3] ='", record.ContactID);
    }

    std::unique_ptr<ContactItem> FindByIDOrName(const SyncObject& record) {
        if (auto contact = FindByID(record)) return contact;
        if (!nameField_) return nullptr;
        const std::string prefix = "[" + std::string(FieldName(*nameField_)) + "] ='";
        return Search(prefix, record.ContactName);
    }

    template <typename Action>
    void WithFoundContact(const SyncObject& record, Action action) {
        const auto contact = FindByIDOrName(record);
        if (!contact) {
            log_.WriteLine(Event(record.ContactName + " was not found to be modified."));
            return;
        }
        action(*contact);
    }

    void Delete(const SyncObject& record) {
        const auto contact = FindByID(record);
        if (!contact) {
            log_.WriteLine(Event(record.ContactName + " was not found to be deleted."));
            return;
        }
        contact->Delete();
        log_.WriteLine(Event(record.ContactName + " has been deleted."));
    }

    void Rewrite(const SyncObject& record, ContactItem& contact) {
        const FoundValues found{nameField_ ? contact.Get(*nameField_) : std::string(),
                                contact.Get(F::User1), contact.Get(F::Email1Address),
                                contact.Get(F::User4)};
        contact.Set(F::User3, record.ContactID);  // stored by the first save, if any
        if (record.ContactName != found.name) ChangeNames(record, contact, found.name);
        if (record.DCNumber != found.user1) {
            contact.Set(F::User1, record.DCNumber);
            contact.Save();
            LogChange(KindInfo(NumberKind::DirectConnect), record, found.user1, record.DCNumber);
        }
        if (record.EmailAddress != found.email) {
            contact.Set(F::Email1Address, record.EmailAddress);
            if (record.EmailAddress.empty()) contact.Set(F::Email1DisplayName, "");
            contact.Save();
            LogChange(KindInfo(NumberKind::Email), record, found.email, record.EmailAddress);
        }
        for (const NumberKind kind : kOutlookPhoneFieldOrder)
            RewriteNumber(record, contact, KindInfo(kind));
        const std::string tag = BuildSpeedDialTag(record);
        if (tag != found.user4) {
            contact.Set(F::User4, tag);
            contact.Save();
            LogSpeedDialsSaved(record);
        }
    }

    // A number is compared by its digits, so one that differs only in
    // punctuation or blanks is left as the person typed it.
    void RewriteNumber(const SyncObject& record, ContactItem& contact, const NumberKindInfo& kind) {
        const std::string outlookDigits = DigitsOnly(contact.Get(FieldOf(kind)));
        const std::string digits = DigitsOnly(record.*kind.number);
        if (digits == outlookDigits) return;
        const std::string masked = MaskPhoneNumber(digits, settings_.MaskOption);
        contact.Set(FieldOf(kind), masked);
        contact.Save();
        LogChange(kind, record, outlookDigits, masked);
    }

    void LogChange(const NumberKindInfo& kind, const SyncObject& record, std::string_view old,
                   std::string_view now) {
        std::string line = std::string(kind.changeLinePrefix) + record.ContactName;
        if (now.empty()) {
            line += " has been deleted.";
        } else {
            line += " has been changed from " + std::string(old) + " to " + std::string(now) + ".";
        }
        log_.WriteLine(line);
    }

    void LogSpeedDialsSaved(const SyncObject& record) {
        log_.WriteLine("... The new speed dial values for " + record.ContactName +
                       " have been saved.");
    }

    // The values the name prompt opens with: the record's name goes into the
    // box of the name field in use, the contact's own values into the others.
    NameValues ProposedNames(const SyncObject& record, const ContactItem& contact) const {
        NameValues proposed{contact.Get(F::FirstName), contact.Get(F::LastName),
                            contact.Get(F::FullName), contact.Get(F::FileAs)};
        if (settings_.NameField == "File As") proposed.FileAs = record.ContactName;
        if (settings_.NameField == "Full Name") proposed.FullName = record.ContactName;
        return proposed;
    }

    // Shows the name prompt; nullopt when it was closed without OK.
    std::optional<NameValues> AskNames(const SyncObject& record, const NameValues& proposed) {
        auto answer = ui_.ShowNamePrompt(record.ContactName, proposed, settings_.NameField);
        if (answer) {
            state_.NewFirstName = answer->FirstName;
            state_.NewLastName = answer->LastName;
            state_.NewFullName = answer->FullName;
            state_.NewFileAs = answer->FileAs;
        }
        return answer;
    }

    void ChangeNames(const SyncObject& record, ContactItem& contact,
                     const std::string& outlookName) {
        const auto names = AskNames(record, ProposedNames(record, contact));
        if (!names) {
            // Closing the prompt keeps the contact's names rather than wiping them.
            log_.WriteLine(Event("The name change for " + outlookName +
                                 " was not confirmed; the contact keeps its names."));
            return;
        }
        contact.Set(F::FileAs, names->FileAs);
        contact.Set(F::FullName, names->FullName);
        contact.Set(F::LastName, names->LastName);
        contact.Set(F::FirstName, names->FirstName);
        SetNicknameIfMatched(record, contact);
        contact.Save();
        log_.WriteLine(Event("The following name changes for " + outlookName + " have been made:"));
        LogIfSet("First name: ", names->FirstName);
        LogIfSet("Last name: ", names->LastName);
        LogIfSet("Full name: ", names->FullName);
        LogIfSet("File as: ", names->FileAs);
        if (nameField_ == F::NickName) LogIfSet("Nickname: ", record.ContactName);
    }

    void LogIfSet(std::string_view label, std::string_view value) {
        if (!value.empty()) log_.WriteLine(Value(label, value));
    }

    void Create(const SyncObject& record) {
        const auto contact = application_.CreateContactItem();
        const NameValues proposed = ProposedNames(record, *contact);
        // Closed without OK, the prompt's own values are taken.
        const NameValues names = AskNames(record, proposed).value_or(proposed);
        contact->Set(F::FileAs, names.FileAs);
        contact->Set(F::User3, record.ContactID);
        SetIfNotEmpty(*contact, F::FirstName, names.FirstName);
        SetIfNotEmpty(*contact, F::LastName, names.LastName);
        SetIfNotEmpty(*contact, F::FullName, names.FullName);
        SetNicknameIfMatched(record, *contact);
        SetIfNotEmpty(*contact, F::User1, record.DCNumber);
        if (!record.EmailAddress.empty()) {
            contact->Set(F::Email1Address, record.EmailAddress);
            contact->Set(F::Email1AddressType, "SMTP");
        }
        for (const NumberKind kind : kOutlookPhoneFieldOrder) {
            const std::string& number = NumberOf(record, kind);
            if (number.empty()) continue;
            contact->Set(FieldOf(KindInfo(kind)),
                         MaskPhoneNumber(DigitsOnly(number), settings_.MaskOption));
        }
        SetIfNotEmpty(*contact, F::User4, BuildSpeedDialTag(record));
        contact->Set(F::User2, "YES");
        contact->Save();
        LogAdded(record, *contact);
    }

    // When contacts are matched by nickname, the nickname is the name the
    // phone book knows. Left unwritten, a new contact would come back
    // nameless and a renamed one under its old name, and the next run would
    // carry that back to the phone book.
    void SetNicknameIfMatched(const SyncObject& record, ContactItem& contact) const {
        if (nameField_ == F::NickName) contact.Set(F::NickName, record.ContactName);
    }

    static void SetIfNotEmpty(ContactItem& contact, ContactField field, std::string_view value) {
        if (!value.empty()) contact.Set(field, value);
    }

    // The values as the address book now holds them.
    void LogAdded(const SyncObject& record, const ContactItem& contact) {
        log_.WriteLine(Event(record.ContactName + " has been added with the following values:"));
        log_.WriteLine(Value("Contact ID: ", contact.Get(F::User3)));
        log_.WriteLine(Value("File as: ", contact.Get(F::FileAs)));
        LogIfSet("First name: ", contact.Get(F::FirstName));
        LogIfSet("Last name: ", contact.Get(F::LastName));
        LogIfSet("Full name: ", contact.Get(F::FullName));
        LogIfSet("Nickname: ", contact.Get(F::NickName));
        for (const NumberKind kind : kAddedValuesOrder) {
            const NumberKindInfo& info = KindInfo(kind);
            const std::string value = contact.Get(FieldOf(info));
            if (value.empty()) continue;
            log_.WriteLine(std::string(info.addedLineStart) + value +
                           std::string(info.addedLineSpeedDial) + record.*info.speed);
        }
    }

    void SaveSpeedDials(const SyncObject& record, ContactItem& contact) {
        contact.Set(F::User4, BuildSpeedDialTag(record));
        contact.Save();
        LogSpeedDialsSaved(record);
    }

    void AssignContactID(const SyncObject& record, ContactItem& contact) {
        contact.Set(F::User3, record.ContactID);
        contact.Set(F::User4, BuildSpeedDialTag(record));
        contact.Save();
        log_.WriteLine(Event(record.ContactName + " has been assigned a contact ID of " +
                             record.ContactID + "."));
        LogSpeedDialsSaved(record);
    }

    RunState& state_;
    const Settings& settings_;
    OutlookApplication& application_;
    RunUi& ui_;
    ActivityLog& log_;
    std::optional<ContactField> nameField_;
};

}  // namespace

void WriteOutlookContacts(RunState& state, const OutlookApplicationFactory& makeApplication,
                          RunUi& ui) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to Outlook Contacts.");
    const auto application = makeApplication();
    OutlookWriter writer(state, *application, ui, log);
    for (const SyncObject& record : state.OutlookSet)
        writer.Write(record);
    log.Close();
}

}  // namespace velmora
