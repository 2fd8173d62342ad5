#include "stores/outlook/OutlookWriter.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/NumberKinds.h"
#include "model/NumberText.h"
#include "model/PhoneForm.h"
#include "model/Text.h"
#include "run/ActivityLog.h"
#include "run/RunState.h"
#include "run/RunUi.h"
#include "stores/outlook/OutlookKinds.h"
#include "stores/outlook/OutlookLoader.h"

namespace velmora {

namespace {

using F = ContactField;

ContactField FieldOf(const NumberKindInfo& kind) {
    return FieldOf(kind.kind);
}

std::string Event(std::string_view text) {
    return std::string(kEventPrefix) + std::string(text);
}

std::string Value(std::string_view label, std::string_view value) {
    return std::string(kValuePrefix) + std::string(label) + std::string(value);
}

// A phone book name as the parts of a vCard name: "Okafor, Chidi" is the
// last name Okafor, the first name Chidi and the full name "Chidi Okafor"; a
// name without a comma is the full name and the last name.
struct NameParts {
    std::string first;
    std::string last;
    std::string full;
};

NameParts PartsOfName(std::string_view name) {
    const auto trim = [](std::string_view text) {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return std::string(text);
    };
    const std::size_t comma = name.find(',');
    if (comma == std::string_view::npos) return {"", std::string(name), std::string(name)};
    NameParts parts{trim(name.substr(comma + 1)), trim(name.substr(0, comma)), ""};
    parts.full = parts.first.empty() ? parts.last : parts.first + " " + parts.last;
    return parts;
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
    OutlookWriter(const RunState& state, AddressBook& book, RunUi& ui, ActivityLog& log)
        : state_(state),
          settings_(state.settings),
          book_(book),
          ui_(ui),
          log_(log),
          nameField_(NameFieldOf(settings_.NameField)) {}

    void Write(const SyncObject& record) {
        if (record.Flag == RecordFlag::Delete) {
            Delete(record);
        } else if (record.Flag == RecordFlag::Write) {
            WithCard(record, [&](CardHandle c) { Rewrite(record, c); });
        } else if (record.Flag == RecordFlag::Create) {
            Create(record);
        } else if (record.Flag == RecordFlag::SpeedDials) {
            WithCard(record, [&](CardHandle c) { SaveSpeedDials(record, c); });
        } else if (record.Flag == RecordFlag::AssignID) {
            WithCard(record, [&](CardHandle c) { AssignContactID(record, c); });
        }
    }

  private:
    // The card the record was loaded from; nothing else is ever taken for it.
    bool HasCard(const SyncObject& record) const {
        return record.Card >= 1 && record.Card <= book_.Count() && book_.IsContact(record.Card);
    }

    template <typename Action>
    void WithCard(const SyncObject& record, Action action) {
        if (!HasCard(record)) {
            log_.WriteLine(Event(record.ContactName + " was not found to be modified."));
            return;
        }
        action(record.Card);
    }

    void Delete(const SyncObject& record) {
        if (!HasCard(record)) {
            log_.WriteLine(Event(record.ContactName + " was not found to be deleted."));
            return;
        }
        book_.Delete(record.Card);
        log_.WriteLine(Event(record.ContactName + " has been deleted."));
    }

    void Rewrite(const SyncObject& record, CardHandle card) {
        const FoundValues found{nameField_ ? Get(card, *nameField_) : std::string(),
                                Get(card, F::User1), EmailAddressOf(book_, card),
                                Get(card, F::User4)};
        book_.Set(card, F::User3, record.ContactID);
        // The phone keeps 22 characters of a name: a longer name on the card
        // that the phone holds the start of is the same name.
        if (PhoneName(record.ContactName) != PhoneName(found.name)) {
            ChangeNames(record, card, found.name);
        }
        const std::string_view directConnect = record.Number(NumberKind::DirectConnect);
        if (directConnect != found.user1) {
            book_.Set(card, F::User1, directConnect);
            LogChange(KindInfo(NumberKind::DirectConnect), record, found.user1, directConnect);
        }
        // Addresses are compared as the phone keeps them, in lower case: the
        // card keeps the capitals the person typed.
        const std::string_view address = record.Number(NumberKind::Email);
        if (!EqualsIgnoringCase(address, found.email)) {
            const std::string typed = Get(card, F::Email1Address);
            book_.Set(card, F::Email1Address, address);
            if (address.empty()) book_.Set(card, F::Email1DisplayName, "");
            LogChange(KindInfo(NumberKind::Email), record, typed, address);
        }
        for (const NumberKind kind : kOutlookPhoneFieldOrder)
            RewriteNumber(record, card, KindInfo(kind));
        const std::string tag = BuildSpeedDialTag(record);
        if (tag != found.user4) {
            book_.Set(card, F::User4, tag);
            LogSpeedDialsSaved(record);
        }
    }

    // A number is compared as the phone dials it, so one that differs only in
    // punctuation or blanks is left as the person typed it.
    void RewriteNumber(const SyncObject& record, CardHandle card, const NumberKindInfo& kind) {
        const std::string outlookDigits = DigitsOnly(Get(card, FieldOf(kind)));
        const std::string digits = DigitsOnly(record.Number(kind.kind));
        if (digits == outlookDigits) return;
        const std::string masked = MaskPhoneNumber(digits, settings_.MaskOption);
        book_.Set(card, FieldOf(kind), masked);
        LogChange(kind, record, outlookDigits, masked);
    }

    std::string Get(CardHandle card, ContactField field) const { return book_.Get(card, field); }

    void LogChange(const NumberKindInfo& kind, const SyncObject& record, std::string_view old,
                   std::string_view now) {
        std::string line =
            std::string(OutlookKind(kind.kind).changeLinePrefix) + record.ContactName;
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

    // The values the name prompt opens with. The record's name goes into the
    // box of the name field in use; a new card, and a renamed one under
    // "File As" or "Full Name", also get the first, last and full name made
    // from it, so that every vCard program shows the contact by name. Other
    // boxes keep the contact's own values.
    NameValues ProposedNames(const SyncObject& record, CardHandle card, bool isNew) const {
        NameValues proposed{Get(card, F::FirstName), Get(card, F::LastName), Get(card, F::FullName),
                            Get(card, F::FileAs)};
        const bool byName = settings_.NameField == "File As" || settings_.NameField == "Full Name";
        if (isNew || byName) {
            const NameParts parts = PartsOfName(record.ContactName);
            proposed.FirstName = parts.first;
            proposed.LastName = parts.last;
            proposed.FullName = parts.full;
        }
        if (settings_.NameField == "File As") proposed.FileAs = record.ContactName;
        if (settings_.NameField == "Full Name") proposed.FullName = record.ContactName;
        return proposed;
    }

    // Stores confirmed names: the parts of N and FN first, then the file-as
    // text, which is kept on the card only where it says something the name
    // parts do not (without it the card reads as "Last, First").
    void SetNames(CardHandle card, const NameValues& names) {
        book_.Set(card, F::FirstName, names.FirstName);
        book_.Set(card, F::LastName, names.LastName);
        book_.Set(card, F::FullName, names.FullName);
        book_.Set(card, F::FileAs, "");
        if (Get(card, F::FileAs) != names.FileAs) book_.Set(card, F::FileAs, names.FileAs);
    }

    // Shows the name prompt; nullopt when it was closed without OK.
    std::optional<NameValues> AskNames(const SyncObject& record, const NameValues& proposed) {
        return ui_.ShowNamePrompt(record.ContactName, proposed, settings_.NameField);
    }

    void ChangeNames(const SyncObject& record, CardHandle card, const std::string& outlookName) {
        const auto names = AskNames(record, ProposedNames(record, card, false));
        if (!names) {
            // Closing the prompt keeps the contact's names rather than wiping them.
            log_.WriteLine(Event("The name change for " + outlookName +
                                 " was not confirmed; the contact keeps its names."));
            return;
        }
        SetNames(card, *names);
        SetNicknameIfMatched(record, card);
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
        const CardHandle card = book_.Create();
        const NameValues proposed = ProposedNames(record, card, true);
        // Closed without OK, the prompt's own values are taken.
        const NameValues names = AskNames(record, proposed).value_or(proposed);
        SetNames(card, names);
        book_.Set(card, F::User3, record.ContactID);
        SetNicknameIfMatched(record, card);
        book_.Set(card, F::User1, record.Number(NumberKind::DirectConnect));
        if (const std::string_view address = record.Number(NumberKind::Email); !address.empty()) {
            book_.Set(card, F::Email1Address, address);
            book_.Set(card, F::Email1AddressType, "SMTP");
        }
        for (const NumberKind kind : kOutlookPhoneFieldOrder) {
            const std::string_view number = record.Number(kind);
            if (number.empty()) continue;
            book_.Set(card, FieldOf(KindInfo(kind)),
                      MaskPhoneNumber(DigitsOnly(number), settings_.MaskOption));
        }
        book_.Set(card, F::User4, BuildSpeedDialTag(record));
        book_.Set(card, F::User2, "YES");
        created_.emplace_back(card, &record);
        LogAdded(record, card);
    }

    // When contacts are matched by nickname, the nickname is the name the
    // phone book knows. Left unwritten, a new contact would come back
    // nameless and a renamed one under its old name, and the next run would
    // carry that back to the phone book.
    void SetNicknameIfMatched(const SyncObject& record, CardHandle card) {
        if (nameField_ == F::NickName) book_.Set(card, F::NickName, record.ContactName);
    }

    // The values as the address book now holds them.
    void LogAdded(const SyncObject& record, CardHandle card) {
        log_.WriteLine(Event(record.ContactName + " has been added with the following values:"));
        log_.WriteLine(Value("Contact ID: ", Get(card, F::User3)));
        log_.WriteLine(Value("File as: ", Get(card, F::FileAs)));
        LogIfSet("First name: ", Get(card, F::FirstName));
        LogIfSet("Last name: ", Get(card, F::LastName));
        LogIfSet("Full name: ", Get(card, F::FullName));
        LogIfSet("Nickname: ", Get(card, F::NickName));
        for (const NumberKind kind : kAddedValuesOrder) {
            const NumberKindInfo& info = KindInfo(kind);
            const std::string value = Get(card, FieldOf(info));
            if (value.empty()) continue;
            const OutlookKindInfo& words = OutlookKind(kind);
            log_.WriteLine(std::string(words.addedLineStart) + value +
                           std::string(words.addedLineSpeedDial) + std::string(record.Speed(kind)));
        }
    }

    void SaveSpeedDials(const SyncObject& record, CardHandle card) {
        book_.Set(card, F::User4, BuildSpeedDialTag(record));
        LogSpeedDialsSaved(record);
    }

    void AssignContactID(const SyncObject& record, CardHandle card) {
        book_.Set(card, F::User3, record.ContactID);
        book_.Set(card, F::User4, BuildSpeedDialTag(record));
        if (record.ContactID.empty()) {
            log_.WriteLine(Event(record.ContactName +
                                 " holds nothing the PhoneBook can keep, so it no longer has a "
                                 "contact ID."));
            return;
        }
        log_.WriteLine(Event(record.ContactName + " has been assigned a contact ID of " +
                             record.ContactID + "."));
        LogSpeedDialsSaved(record);
    }

  public:
    // Stores every card changed above, each once. A card that could not be
    // stored is logged and reported, with its contact.
    WriteReport SaveChanges() {
        WriteReport report;
        for (const CardFailure& failure : book_.SaveChanges()) {
            const SyncObject* record = RecordOfCard(failure.card);
            const std::string name = record != nullptr ? record->ContactName : std::string();
            log_.WriteLine(
                Event("Could not save " + name + " in the address book: " + failure.reason));
            ++report.failedWrites;
            if (record != nullptr) report.unstoredContactIDs.push_back(record->ContactID);
        }
        return report;
    }

  private:
    const SyncObject* RecordOfCard(CardHandle card) const {
        for (const auto& [created, record] : created_) {
            if (created == card) return record;
        }
        for (const SyncObject& record : state_.OutlookSet) {
            if (record.Card == card) return &record;
        }
        return nullptr;
    }

    const RunState& state_;
    const Settings& settings_;
    AddressBook& book_;
    RunUi& ui_;
    ActivityLog& log_;
    std::optional<ContactField> nameField_;
    std::vector<std::pair<CardHandle, const SyncObject*>> created_;
};

}  // namespace

WriteReport WriteOutlookContacts(const RunState& state, AddressBook& book, RunUi& ui) {
    ActivityLog log = ActivityLog::OpenForAppend(state.settings.LogPath);
    log.WriteLine("Writing to Outlook Contacts.");
    OutlookWriter writer(state, book, ui, log);
    for (const SyncObject& record : state.OutlookSet)
        writer.Write(record);
    WriteReport report = writer.SaveChanges();
    log.Close();
    return report;
}

}  // namespace velmora
