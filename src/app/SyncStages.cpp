#include "app/SyncStages.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/ChangeFlags.h"
#include "engine/ContactIds.h"
#include "engine/SpeedDials.h"
#include "engine/SyncModified.h"
#include "engine/SyncNew.h"
#include "model/Error.h"
#include "stores/database/PhoneBookDatabase.h"
#include "stores/database/SqliteDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "stores/outlook/OutlookLoader.h"
#include "stores/outlook/OutlookWriter.h"
#include "stores/outlook/VCardFolder.h"
#include "util/Allocator.h"

namespace velmora {

namespace {

// The book as the writer sees it: the run is told of each card file as soon
// as it changes, and before anything is stored of all of them, so that they
// are backed up first.
class AnnouncingBook final : public AddressBook {
  public:
    AnnouncingBook(AddressBook& inner, RunState& state)
        : inner_(inner), state_(state), announced_(static_cast<std::size_t>(inner.Count()), 0) {}

    int Count() const override { return inner_.Count(); }
    bool IsContact(CardHandle card) const override { return inner_.IsContact(card); }
    std::string Get(CardHandle card, ContactField field) const override {
        return inner_.Get(card, field);
    }
    void Set(CardHandle card, ContactField field, std::string_view value) override {
        inner_.Set(card, field, value);
        Announce(card);
    }
    CardHandle Create() override { return inner_.Create(); }
    void Delete(CardHandle card) override {
        inner_.Delete(card);
        Announce(card);
    }
    std::string Describe(CardHandle card) const override { return inner_.Describe(card); }
    PendingCardFiles PendingFiles() const override { return inner_.PendingFiles(); }
    std::optional<std::string> PendingFileOf(CardHandle card) const override {
        return inner_.PendingFileOf(card);
    }
    std::vector<CardFailure> SaveChanges() override {
        if (state_.BeforeFirstWrite) {
            PendingCardFiles pending = inner_.PendingFiles();
            state_.BeforeFirstWrite(std::move(pending.changed), std::move(pending.created));
        }
        return inner_.SaveChanges();
    }

  private:
    // Once per loaded card, at its first change; a created card has no file
    // to keep.
    void Announce(CardHandle card) {
        const auto index = static_cast<std::size_t>(card - 1);
        if (!state_.CardFileChanging || index >= announced_.size() || announced_[index]) return;
        if (const std::optional<std::string> file = inner_.PendingFileOf(card)) {
            announced_[index] = 1;
            state_.CardFileChanging(*file);
        }
    }

    AddressBook& inner_;
    RunState& state_;
    std::vector<char> announced_;  // per loaded card
};

// A store read beside the address book, kept until its own stage.
template <typename Result>
struct AsideRead {
    std::optional<Result> result;  // read
    std::exception_ptr failure;    // or why it could not be
    // Hands the result over, or reports the failure as the store's own
    // stage would; nullopt when the store was not read aside.
    std::optional<Result> Take() {
        AsideRead taken = std::exchange(*this, {});
        if (taken.failure) std::rethrow_exception(taken.failure);
        return std::move(taken.result);
    }
};

struct ReadsAside {
    AsideRead<PhoneBookDuplicates> phoneBook;
    AsideRead<bool> sync;
};

template <typename Result>
AsideRead<Result> Collect(std::future<Result>& read) {
    AsideRead<Result> collected;
    if (!read.valid()) return collected;
    try {
        collected.result = read.get();
    } catch (...) {
        collected.failure = std::current_exception();
    }
    return collected;
}

// Reads the address book here, and the phone book and the sync database on
// threads of their own: the reads share nothing (each fills its own set from
// its own store) and take most of a run with little to do. All have ended
// when this returns, so no thread outlives the stage, and a store that could
// not be read is reported at its own stage, as it would be if the reads
// took turns. A store left unread here (no thread to be had, or a sync
// database still to be made, which is made at its stage so that a run
// stopped before leaves none behind) is read at its stage.
ReadsAside ReadStoresTogether(RunState& s, DatabaseEngine& databases,
                              const std::function<void()>& readAddressBook) {
    std::future<PhoneBookDuplicates> phoneBook;
    std::future<bool> sync;
    try {
        phoneBook = std::async(std::launch::async,
                               [&s, &databases] { return LoadPhoneBookRecords(s, databases); });
        if (databases.DatabaseExists(s.settings.SyncPath)) {
            sync = std::async(std::launch::async, [&s, &databases] {
                LoadSyncRecords(s, databases);
                return true;
            });
        }
    } catch (const std::system_error&) {
        // Fewer threads: what was not started is read at its stage.
    }
    try {
        readAddressBook();
    } catch (...) {
        if (phoneBook.valid()) phoneBook.wait();
        if (sync.valid()) sync.wait();
        throw;
    }
    return {Collect(phoneBook), Collect(sync)};
}

// No stage after a store's writer reads that store's records. A first run
// writes nearly every contact, and its last writers peaked with the records
// of all three stores held, and with what the writers before them freed.
void ReleaseWritten(SyncSet& records) {
    ClearSet(records);
    ReturnFreedMemory();
}

// A run over a large address book takes its memory in huge pages where the
// system allows: at 100 000 contacts a run with nothing to do spent a fifth
// of its time in page faults. At 10 000 it gained 15 ms and held 8 MB more,
// so only a run whose card index (some 300 bytes a card) passes 8 MiB does,
// or a first run, which has no index yet, whose phone book (some 110 bytes a
// contact) passes 3 MiB: both near 28 000 contacts. At 100 000 contacts huge
// pages took a first run from 9.1 to 8.7 s.
constexpr std::uintmax_t kLargeCardIndexBytes = 8 * 1024 * 1024;
constexpr std::uintmax_t kLargePhoneBookBytes = 3 * 1024 * 1024;

bool IsLargeAddressBook(const Settings& settings) {
    std::error_code error;
    const std::uintmax_t index = std::filesystem::file_size(CardIndexPath(settings), error);
    if (!error) return index >= kLargeCardIndexBytes;
    const std::uintmax_t phoneBook = std::filesystem::file_size(settings.PhoneBookPath, error);
    return !error && phoneBook >= kLargePhoneBookBytes;
}

}  // namespace

StoreBackends DefaultStoreBackends() {
    return StoreBackends{std::make_shared<SqliteDatabaseEngine>(), [](const Settings& settings) {
                             return VCardFolderOpener(settings.ContactsPath,
                                                      CardIndexPath(settings));
                         }};
}

std::filesystem::path CardIndexPath(const Settings& settings) {
    std::filesystem::path path = settings.SyncPath;
    path += ".cards";
    return path;
}

StageTable MakeSyncStages(RunUi& ui, const StoreBackends& backends) {
    auto databases = backends.databases;
    auto open = [opener = backends.addressBook](const RunState& state) {
        return opener(state.settings)();
    };
    // The book the loader read, for the writer of the same run.
    auto book = std::make_shared<std::unique_ptr<AddressBook>>();
    // Rows the phone book load found twice, repaired by the phone book writer.
    auto duplicates = std::make_shared<PhoneBookDuplicates>();
    auto aside = std::make_shared<ReadsAside>();
    const auto on = [](StageId id) { return static_cast<std::size_t>(id); };

    StageTable stages;
    stages[on(StageId::LoadOutlookContacts)] = [=](RunState& s) {
        UseHugePages(IsLargeAddressBook(s.settings));
        ReturnFreedMemoryAtOnce(false);
        *aside = {};
        *aside = ReadStoresTogether(s, *databases, [&] {
            *book = open(s);
            LoadOutlookContacts(s, **book);
        });
    };
    stages[on(StageId::LoadPhoneBookRecords)] = [=](RunState& s) {
        duplicates->clear();
        auto read = aside->phoneBook.Take();
        *duplicates = read ? std::move(*read) : LoadPhoneBookRecords(s, *databases);
        s.ExtraPhoneRows = 0;
        for (const DuplicatePhoneRows& duplicate : *duplicates)
            s.ExtraPhoneRows += static_cast<int>(duplicate.rows.size()) - 1;
    };
    stages[on(StageId::LoadSyncRecords)] = [=](RunState& s) {
        const bool readAside = aside->sync.Take().has_value();
        if (!readAside) LoadSyncRecords(s, *databases);
        ChoosePhoneRowsToKeep(s, *duplicates);
    };
    stages[on(StageId::AssignContactIDs)] = AssignContactIDs;
    stages[on(StageId::FlagDeletedItems)] = FlagDeletedItems;
    stages[on(StageId::FlagNewItems)] = FlagNewItems;
    stages[on(StageId::AssignSpeedDials)] = AssignSpeedDials;
    stages[on(StageId::FlagModifiedItems)] = FlagModifiedItems;
    stages[on(StageId::SyncModifiedItems)] = [&ui](RunState& s) { SyncModifiedItems(s, ui); };
    stages[on(StageId::SyncNewItems)] = [&ui](RunState& s) { SyncNewItems(s, ui); };
    stages[on(StageId::WriteOutlookContacts)] = [=, &ui](RunState& s) {
        if (!*book)
            throw Error("The address book was not read in this run, so it cannot be written.");
        const std::unique_ptr<AddressBook> loaded = std::move(*book);
        // The run peaks from this writer on: the files' text that the
        // reading threads held and freed goes back first, not kept for
        // reuse, and so does what the writers free as they go.
        ReturnFreedMemory();
        ReturnFreedMemoryAtOnce(true);
        AnnouncingBook announcing(*loaded, s);
        ApplyWriteReport(s, WriteOutlookContacts(s, announcing, ui));
        ReleaseWritten(s.OutlookSet);
    };
    stages[on(StageId::WritePhoneBookDatabase)] = [=](RunState& s) {
        ApplyWriteReport(s, WritePhoneBookDatabase(s, *databases, *duplicates));
        ReleaseWritten(s.PhoneBookSet);
    };
    stages[on(StageId::WriteSyncDatabase)] = [=](RunState& s) {
        ApplyWriteReport(s, WriteSyncDatabase(s, *databases));
    };
    return stages;
}

}  // namespace velmora
