#include "app/Backups.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <sqlite3.h>

#include "app/RetiredBackups.h"
#include "model/Error.h"
#include "run/ActivityLog.h"
#include "run/AppInfo.h"
#include "run/RunUi.h"
#include "stores/outlook/FileBatch.h"
#include "util/AtomicFile.h"
#include "util/FolderLinks.h"
#include "util/Parallel.h"

namespace velmora {

namespace {

constexpr std::string_view kManifestName = "manifest.txt";
constexpr std::string_view kManifestTitle = "Velmora backup";
constexpr std::string_view kPhoneBookCopy = "phonebook.db";
constexpr std::string_view kSyncCopy = "sync.db";
constexpr std::string_view kCardsFolder = "cards";

// --- SQLite, through the C API -------------------------------------------

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

constexpr const char* kSmallCache = "PRAGMA cache_size=-64";  // KiB

SqliteHandle OpenForCopy(const std::filesystem::path& path, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.string().c_str(), &db, flags, nullptr);
    SqliteHandle handle(db);
    if (rc != SQLITE_OK) {
        throw Error("The database " + path.string() + " could not be opened: " +
                    (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + ".");
    }
    // The phone's manager may be reading it: wait a moment rather than fail.
    sqlite3_busy_timeout(db, 5000);
    return handle;
}

// --- Manifest ------------------------------------------------------------

// Values are one line each: a backslash, CR and LF are written escaped.
std::string Escaped(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::string ManifestText(const BackupInfo& info) {
    std::string text = std::string(kManifestTitle) + "\n";
    const auto line = [&text](std::string_view key, std::string_view value) {
        text += std::string(key) + "=" + Escaped(value) + "\n";
    };
    line("Version", VersionText());
    line("Made", info.made);
    line("Before", info.before);
    line("Log", info.log.string());
    line("PhoneBook", info.phoneBook.string());
    if (info.phoneBookCopied) line("PhoneBookCopy", kPhoneBookCopy);
    line("Sync", info.sync.string());
    if (info.syncCopied) line("SyncCopy", kSyncCopy);
    line("Contacts", info.contacts.string());
    line("Counts", info.counts);
    line("Plan", info.plan);
    for (const std::string& card : info.cards)
        line("Card", card);
    for (const std::string& card : info.created)
        line("Created", card);
    line("Complete", "yes");
    return text;
}

// The backup described by the folder's manifest; nullopt for a folder
// without a finished one.
std::optional<BackupInfo> ReadManifest(const std::filesystem::path& folder) {
    std::ifstream file(folder / kManifestName, std::ios::binary);
    if (!file) return std::nullopt;
    std::string line;
    if (!std::getline(file, line) || line != kManifestTitle) return std::nullopt;
    BackupInfo info;
    info.name = folder.filename().string();
    info.folder = folder;
    bool complete = false;
    while (std::getline(file, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = Unescaped(std::string_view(line).substr(equals + 1));
        if (key == "Made") info.made = value;
        if (key == "Before") info.before = value;
        if (key == "Log") info.log = value;
        if (key == "PhoneBook") info.phoneBook = value;
        if (key == "PhoneBookCopy") info.phoneBookCopied = true;
        if (key == "Sync") info.sync = value;
        if (key == "SyncCopy") info.syncCopied = true;
        if (key == "Contacts") info.contacts = value;
        if (key == "Counts") info.counts = value;
        if (key == "Plan") info.plan = value;
        if (key == "Card") info.cards.push_back(value);
        if (key == "Created") info.created.push_back(value);
        if (key == "Complete") complete = value == "yes";
    }
    if (!complete) return std::nullopt;
    return info;
}

// --- Folders -------------------------------------------------------------

// "2026-03-14_15-04-05", with "_02" and on for a second backup in the same
// second; only folders named so are ever removed by pruning.
bool IsBackupName(std::string_view name) {
    constexpr std::string_view kPattern = "dddd-dd-dd_dd-dd-dd";
    if (name.size() != kPattern.size() && name.size() != kPattern.size() + 3) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char expected = i < kPattern.size() ? kPattern[i] : i == kPattern.size() ? '_' : 'd';
        const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
        if (expected == 'd' ? !digit : name[i] != expected) return false;
    }
    return true;
}

std::vector<std::filesystem::path> BackupFolders(const std::filesystem::path& backupsFolder) {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    if (!std::filesystem::is_directory(backupsFolder, error)) return folders;
    for (auto it = std::filesystem::directory_iterator(backupsFolder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && IsBackupName(it->path().filename().string())) {
            folders.push_back(it->path());
        }
    }
    if (error) {
        throw Error("The backups folder " + backupsFolder.string() +
                    " could not be read: " + error.message() + ".");
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

struct Moment {
    std::string name;  // for the folder
    std::string text;  // for people
};

Moment Now() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    std::array<char, 32> name{};
    std::array<char, 32> text{};
    std::strftime(name.data(), name.size(), "%Y-%m-%d_%H-%M-%S", &local);
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local);
    return {name.data(), text.data()};
}

// The name of the n-th backup made within the second of `name`.
constexpr int kBackupsInASecond = 100;
std::string NumberedName(const std::string& name, int n) {
    if (n == 1) return name;
    return name + (n < 10 ? "_0" : "_") + std::to_string(n);
}

// A new, empty backup folder.
std::filesystem::path NewBackupFolder(const std::filesystem::path& backupsFolder,
                                      const std::string& name) {
    std::error_code error;
    std::filesystem::create_directories(backupsFolder, error);
    if (error) {
        throw Error("The backups folder " + backupsFolder.string() +
                    " could not be created: " + error.message() + ".");
    }
    // After every backup of the same second, not in a gap that a retired one
    // left: the newest must sort last, or it would be the next one retired.
    const std::vector<std::filesystem::path> existing = BackupFolders(backupsFolder);
    int first = 1;
    for (int n = 1; n < kBackupsInASecond; ++n) {
        if (std::binary_search(existing.begin(), existing.end(),
                               backupsFolder / NumberedName(name, n)))
            first = n + 1;
    }
    for (int n = first; n < kBackupsInASecond; ++n) {
        const std::filesystem::path folder = backupsFolder / NumberedName(name, n);
        if (std::filesystem::create_directory(folder, error)) return folder;
        if (error) {
            throw Error("The backup folder " + folder.string() +
                        " could not be created: " + error.message() + ".");
        }
    }
    throw Error("Too many backups were made in one second in " + backupsFolder.string() + ".");
}

// The folder of a backup's card copies, made when it is not there yet.
std::filesystem::path CardsFolderOf(const std::filesystem::path& folder) {
    std::filesystem::path copies = folder / kCardsFolder;
    std::error_code error;
    std::filesystem::create_directory(copies, error);
    if (error) {
        throw Error("The backup folder " + copies.string() +
                    " could not be created: " + error.message() + ".");
    }
    return copies;
}

// A card (a file name in `from`) is kept in `to` by a second link to its
// file where the folders share a file system: a run never writes into a
// card's file (it puts a new file in its place), so the linked file keeps the
// text as it was, and linking costs no copy and no new file. A symbolic link
// is followed, for the same reason: the run puts a new file in place of the
// one it points to. A card on another file system is copied. False when there
// is no card to keep.
bool KeepCardFile(const FolderLinks& links, const char* card, const std::filesystem::path& from,
                  const std::filesystem::path& to) {
    switch (links.Link(card)) {
        case FolderLinks::Outcome::Linked:
            return true;
        case FolderLinks::Outcome::Missing:
            return false;
        case FolderLinks::Outcome::NotLinkable:
            break;
    }
    const std::filesystem::path source = from / card;
    const std::filesystem::path copy = to / card;
    std::error_code error;
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
        throw Error("The card " + source.string() + " could not be copied to " + copy.string() +
                    ": " + error.message() + ".");
    }
    return true;
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void RemoveFile(const std::filesystem::path& path, std::string_view what) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) {
        throw Error("The " + std::string(what) + " " + path.string() +
                    " could not be removed: " + error.message() + ".");
    }
}

}  // namespace

void CopyDatabase(const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyInto into) {
    const SqliteHandle source = OpenForCopy(from, SQLITE_OPEN_READONLY);
    std::error_code error;
    if (to.has_parent_path()) std::filesystem::create_directories(to.parent_path(), error);
    const SqliteHandle target = OpenForCopy(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const std::string where = from.string() + " could not be copied to " + to.string() + ": ";
    const auto pragma = [&](const SqliteHandle& db, const char* sql) {
        if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw Error("The database " + where + sqlite3_errmsg(db.get()) + ".");
    };
    // Each page is copied once, so a cache would only hold the whole
    // database a moment, at the peak of a first run's memory. A new file
    // needs no journal to spill its pages early; a live one keeps its cache.
    pragma(source, kSmallCache);
    if (into == CopyInto::NewFile) {
        pragma(target, "PRAGMA journal_mode=OFF");
        pragma(target, kSmallCache);
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (backup == nullptr)
        throw Error("The database " + where + sqlite3_errmsg(target.get()) + ".");
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        throw Error("The database " + where +
                    sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished) + ".");
    }
}

std::string BackupInfo::Describe() const {
    std::string text = name + "  before " + before + "\n    ";
    if (!counts.empty()) text += counts + "\n    ";
    if (!plan.empty()) text += plan + "\n    ";
    return text + std::to_string(cards.size()) + (cards.size() == 1 ? " card" : " cards") +
           " kept, " + std::to_string(created.size()) + " to be created";
}

// The cards of a backup under way, kept on a thread of its own as they are
// named. Their names are packed in one text: a first run names thousands.
struct BackupUnderWay::Keeper {
    enum Kept : char { NotYet, Yes, Missing };

    Keeper(const std::filesystem::path& backups, const std::filesystem::path& from)
        : backupsFolder(backups), contacts(from) {
        try {
            thread = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            // No thread to be had: Finish keeps the cards itself.
        }
    }
    Keeper(const Keeper&) = delete;
    Keeper& operator=(const Keeper&) = delete;
    ~Keeper() { Stop(); }

    void Add(std::string_view card) {
        {
            const std::lock_guard lock(mutex);
            starts.push_back(names.size());
            names.append(card);
            names.push_back('\0');
            kept.push_back(NotYet);
        }
        named.notify_one();
    }

    // Lets the thread keep the cards named so far, and waits for it.
    void Stop() {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        named.notify_one();
        if (thread.joinable()) thread.join();
    }

    // The names of the cards kept, sorted.
    std::vector<std::string_view> KeptNames() const {
        std::vector<std::string_view> sorted;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            if (kept[i] == Yes) sorted.push_back(NameAt(i));
        }
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    std::string_view NameAt(std::size_t i) const {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : names.size() - 1;
        return std::string_view(names).substr(starts[i], end - starts[i]);
    }

    // The backup's folder is made here too, off the run's way; so is every
    // card named, until Stop or a failure.
    void Work() {
        try {
            made = Now();
            folder = NewBackupFolder(backupsFolder, made.name);
            const std::filesystem::path copies = CardsFolderOf(folder);
            const FolderLinks links(contacts, copies);
            std::string name;
            std::unique_lock lock(mutex);
            for (;;) {
                named.wait(lock, [this] { return stopping || next < starts.size(); });
                if (next == starts.size()) return;
                const std::size_t i = next++;
                name.assign(NameAt(i));
                lock.unlock();
                const Kept outcome =
                    KeepCardFile(links, name.c_str(), contacts, copies) ? Yes : Missing;
                lock.lock();
                kept[i] = outcome;
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }

    const std::filesystem::path& backupsFolder;
    const std::filesystem::path& contacts;
    Moment made;
    std::filesystem::path folder;  // once made
    std::exception_ptr failure;    // what stopped the thread
    std::mutex mutex;              // guards what follows
    std::condition_variable named;
    std::string names;  // each followed by a NUL, which no file name holds
    std::vector<std::size_t> starts;
    std::vector<Kept> kept;
    std::size_t next = 0;  // the first name not yet taken by the thread
    bool stopping = false;
    std::thread thread;
};

namespace {

// Keeps the changed cards (names in `contacts`) in `copies`, in their order,
// naming them in `info`; those kept early (sorted) count as kept, and those
// kept early that are not named are let go: the backup holds what its
// manifest lists.
void KeepChangedCards(std::vector<std::string> changedCards, const std::filesystem::path& contacts,
                      const std::filesystem::path& copies,
                      const std::vector<std::string_view>& keptEarly, BackupInfo& info) {
    if (!changedCards.empty()) {
        const FolderLinks links(contacts, copies);
        // A first run keeps thousands, linked on two threads.
        std::vector<char> kept(changedCards.size(), 0);
        InParallel(changedCards.size(), kFilesPerTurn, kFilesWorthAThread, [&](std::size_t i) {
            const std::string& card = changedCards[i];
            kept[i] = std::binary_search(keptEarly.begin(), keptEarly.end(), card) ||
                      KeepCardFile(links, card.c_str(), contacts, copies);
        });
        for (std::size_t i = 0; i < kept.size(); ++i) {
            // A card another program removed meanwhile is not written by
            // the run either (it reports it), so there is nothing to keep.
            if (kept[i]) info.cards.push_back(std::move(changedCards[i]));
        }
    }
    std::vector<std::string_view> named(info.cards.begin(), info.cards.end());
    std::sort(named.begin(), named.end());
    for (const std::string_view card : keptEarly) {
        if (std::binary_search(named.begin(), named.end(), card)) continue;
        // A copy left behind holds what the card holds now and is listed
        // nowhere, so its removal failing harms nothing.
        std::error_code ignored;
        std::filesystem::remove(copies / card, ignored);
    }
}

}  // namespace

BackupUnderWay::BackupUnderWay(std::filesystem::path backupsFolder, BackupRequest request)
    : backupsFolder_(std::move(backupsFolder)), request_(std::move(request)) {}

BackupUnderWay::~BackupUnderWay() {
    if (!keeper_) return;
    keeper_->Stop();
    std::error_code ignored;  // nothing lists an unfinished backup
    if (!keeper_->folder.empty()) std::filesystem::remove_all(keeper_->folder, ignored);
}

void BackupUnderWay::KeepCard(std::string_view card) {
    if (!keeper_) keeper_ = std::make_unique<Keeper>(backupsFolder_, request_.contacts);
    keeper_->Add(card);
}

std::filesystem::path BackupUnderWay::Finish(std::vector<std::string> changedCards,
                                             std::vector<std::string> createdCards) {
    const std::unique_ptr<Keeper> early = std::move(keeper_);
    if (early) early->Stop();
    const bool madeEarly = early && !early->folder.empty();
    const Moment now = madeEarly ? early->made : Now();
    std::filesystem::path folder = madeEarly ? early->folder : std::filesystem::path();
    try {
        if (early && early->failure) std::rethrow_exception(early->failure);
        if (!madeEarly) folder = NewBackupFolder(backupsFolder_, now.name);
        BackupInfo info;
        info.made = now.text;
        info.before = request_.before;
        info.log = request_.log;
        info.phoneBook = request_.phoneBook;
        info.sync = request_.sync;
        info.contacts = request_.contacts;
        info.counts = request_.counts;
        info.plan = request_.plan;
        if (Exists(request_.phoneBook)) {
            CopyDatabase(request_.phoneBook, folder / kPhoneBookCopy, CopyInto::NewFile);
            info.phoneBookCopied = true;
        }
        if (Exists(request_.sync)) {
            CopyDatabase(request_.sync, folder / kSyncCopy, CopyInto::NewFile);
            info.syncCopied = true;
        }
        KeepChangedCards(std::move(changedCards), request_.contacts, CardsFolderOf(folder),
                         early ? early->KeptNames() : std::vector<std::string_view>(), info);
        info.created = std::move(createdCards);
        WriteFileAtomically(folder / kManifestName, ManifestText(info));
    } catch (const std::exception&) {
        std::error_code ignored;  // the error being thrown says what went wrong
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
        throw;
    }
    return folder;
}

std::filesystem::path MakeBackup(const std::filesystem::path& backupsFolder,
                                 BackupRequest request) {
    std::vector<std::string> changed = std::move(request.changedCards);
    std::vector<std::string> created = std::move(request.createdCards);
    BackupUnderWay backup(backupsFolder, std::move(request));
    return backup.Finish(std::move(changed), std::move(created));
}

std::vector<std::string> RetireOldBackups(const std::filesystem::path& backupsFolder, int keep) {
    const auto folders = BackupFolders(backupsFolder);
    const std::size_t kept = static_cast<std::size_t>(std::max(keep, 1));
    std::vector<std::string> retired;
    for (std::size_t i = 0; i + kept < folders.size(); ++i) {
        std::error_code error;
        std::string name = RetiredBackupName(folders[i].filename().string());
        std::filesystem::rename(folders[i], backupsFolder / name, error);
        if (error) {
            throw Error("The old backup " + folders[i].string() +
                        " could not be removed: " + error.message() + ".");
        }
        retired.push_back(std::move(name));
    }
    return retired;
}

void PruneBackups(const std::filesystem::path& backupsFolder, int keep) {
    RetireOldBackups(backupsFolder, keep);
    RemoveRetiredBackups(backupsFolder);
}

std::vector<BackupInfo> ListBackups(const std::filesystem::path& backupsFolder) {
    std::vector<BackupInfo> backups;
    for (const std::filesystem::path& folder : BackupFolders(backupsFolder)) {
        if (auto info = ReadManifest(folder)) backups.push_back(std::move(*info));
    }
    return backups;
}

BackupInfo FindBackup(const std::filesystem::path& backupsFolder, std::string_view name) {
    for (BackupInfo& info : ListBackups(backupsFolder)) {
        if (info.name == name) return std::move(info);
    }
    throw Error("There is no backup named '" + std::string(name) + "' in " +
                backupsFolder.string() + "; 'velmora-sync restore --list' lists them.");
}

namespace {

// The card files a restore changes, each with its stamp as it is now: a card
// the backup kept is put back (over the file there, or anew), a card the run
// created is removed. Looked at before the present state is backed up, each
// is changed only while it is still the file backed up.
std::vector<FileChange> CardChangesOf(const BackupInfo& info) {
    std::vector<FileChange> changes;
    const auto add = [&](const std::string& card, bool kept) {
        const std::filesystem::path path = info.contacts / card;
        const std::optional<FileStamp> now = StampWithoutReading(path);
        if (!kept && !now) return;  // created by the run, and gone since
        FileChange change;
        change.kind = !kept ? FileChange::Kind::Remove
                      : now ? FileChange::Kind::Replace
                            : FileChange::Kind::Create;
        change.path = path.string();
        if (now) change.expected = *now;
        changes.push_back(std::move(change));
    };
    for (const std::string& card : info.cards)
        add(card, true);
    for (const std::string& card : info.created)
        add(card, false);
    return changes;
}

std::string CardName(const FileChange& change) {
    return std::filesystem::path(change.path).filename().string();
}

// Makes the changes as a run stores its cards (FileBatch.h): a few thousand
// at a time, their texts read from the backup's copies, flushed together
// and swapped in, rather than a flush for each card. Adds a line for each
// change made; throws Error naming the cards a batch could not change,
// before the next batch begins.
void PutBackCards(std::vector<FileChange>& changes, const std::filesystem::path& copies,
                  std::vector<std::string>& lines) {
    for (std::size_t start = 0; start < changes.size(); start += kFilesPerBatch) {
        std::vector<FileChange> batch;
        for (std::size_t c = start; c < std::min(changes.size(), start + kFilesPerBatch); ++c) {
            batch.push_back(std::move(changes[c]));
            if (batch.back().kind != FileChange::Kind::Remove)
                batch.back().bytes = ReadWholeFile(copies / CardName(batch.back()));
        }
        const std::vector<FileOutcome> outcomes = ApplyFileChanges(batch);
        std::vector<std::string> failures;
        for (std::size_t c = 0; c < batch.size(); ++c) {
            if (outcomes[c].failure) {
                failures.push_back(*outcomes[c].failure);
                continue;
            }
            lines.push_back(std::string(kEventPrefix) + "The card " + batch[c].path +
                            (batch[c].kind == FileChange::Kind::Remove
                                 ? ", which the run created, has been removed."
                                 : " has been put back."));
        }
        if (failures.empty()) continue;
        throw Error(failures.front() + (failures.size() > 1
                                            ? " " + std::to_string(failures.size() - 1) +
                                                  " more cards could not be restored either."
                                            : std::string()));
    }
}

}  // namespace

RestoreReport RestoreBackup(const std::filesystem::path& backupsFolder, std::string_view name,
                            const RunLocker& lock, const std::filesystem::path& logPath, int keep) {
    const BackupInfo info = FindBackup(backupsFolder, name);
    const std::unique_ptr<RunLock> held = lock ? lock(info.sync) : nullptr;

    // Every check before the first change.
    std::error_code error;
    if (!(info.cards.empty() && info.created.empty()) &&
        !std::filesystem::is_directory(info.contacts, error)) {
        throw Error("The address book folder " + info.contacts.string() +
                    " does not exist; nothing was restored. Make it reachable and try again.");
    }
    for (const std::string& card : info.cards) {
        if (!Exists(info.folder / kCardsFolder / card)) {
            throw Error("The backup " + info.folder.string() + " lacks its copy of the card " +
                        card + "; nothing was restored.");
        }
    }

    // The present state, so that the restore can be undone: every file it
    // writes over or removes is copied, every file it creates is named.
    std::vector<FileChange> cardChanges = CardChangesOf(info);
    BackupRequest undo;
    undo.before = "restoring the backup " + info.name;
    undo.phoneBook = info.phoneBook;
    undo.sync = info.sync;
    undo.contacts = info.contacts;
    undo.log = logPath;
    for (const FileChange& change : cardChanges) {
        (change.kind == FileChange::Kind::Create ? undo.createdCards : undo.changedCards)
            .push_back(CardName(change));
    }
    RestoreReport report;
    report.undoBackup = MakeBackup(backupsFolder, std::move(undo));

    const std::string event(kEventPrefix);
    const auto restoreDatabase = [&](const std::filesystem::path& live, bool copied,
                                     std::string_view copy, std::string_view what) {
        if (copied) {
            CopyDatabase(info.folder / copy, live);
            report.lines.push_back(event + "The " + std::string(what) + " " + live.string() +
                                   " has been restored.");
        } else if (Exists(live)) {
            RemoveFile(live, what);
            report.lines.push_back(event + "The " + std::string(what) + " " + live.string() +
                                   ", which was not there before, has been removed.");
        }
    };
    try {
        restoreDatabase(info.phoneBook, info.phoneBookCopied, kPhoneBookCopy, "PhoneBook database");
        restoreDatabase(info.sync, info.syncCopied, kSyncCopy, "sync database");
        PutBackCards(cardChanges, info.folder / kCardsFolder, report.lines);
    } catch (const Error& failure) {
        throw Error(std::string(failure.what()) + " The restore stopped part-way; restoring the " +
                    "backup " + report.undoBackup.filename().string() +
                    " puts back the state before it.");
    }
    report.lines.push_back(event + "The state before this restore is kept in the backup " +
                           report.undoBackup.filename().string() + ".");

    const bool logExists = Exists(logPath);
    ActivityLog log =
        logExists ? ActivityLog::OpenForAppend(logPath) : ActivityLog::Create(logPath);
    if (!logExists) WriteLogHeader(log, StatusCaption::Restoring);
    log.WriteLine("Restored the stores as they were before " + info.before + " on " + info.made +
                  " (backup " + info.folder.string() + ").");
    for (const std::string& line : report.lines)
        log.WriteLine(line);
    log.Close();

    PruneBackups(backupsFolder, keep);
    return report;
}

}  // namespace velmora
