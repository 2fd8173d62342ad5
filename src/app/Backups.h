#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/RunLock.h"

namespace velmora {

// Backups of the three stores, one folder each in the backups folder
// (Data/Backups in the program folder), named by the date and time they were
// made ("2026-03-14_15-04-05"). A folder holds the phone book and the sync
// database as they were (copied through SQLite's online backup), the card
// files about to be written over or deleted (cards/), and manifest.txt, which
// says what was copied from where and which cards were about to be created.
// The manifest is written last: a folder without one is an unfinished backup
// and is never offered for restoring.

// What a new backup takes.
struct BackupRequest {
    std::string before;               // what follows it: "the synchronization", "restoring ..."
    std::filesystem::path phoneBook;  // copied when it exists
    std::filesystem::path sync;       // copied when it exists
    std::filesystem::path contacts;   // the folder of the card files
    std::filesystem::path log;        // the log of what follows
    std::vector<std::string> changedCards;  // file names in `contacts`: copied (those that exist)
    std::vector<std::string> createdCards;  // file names in `contacts`: only named
    std::string counts;                     // the contacts each store held, for the list
    std::string plan;                       // what the run was to do, for the list
};

// A finished backup, as its manifest describes it.
struct BackupInfo {
    std::string name;  // the folder's name
    std::filesystem::path folder;
    std::string made;  // "2026-03-14 15:04:05"
    std::string before;
    std::filesystem::path phoneBook;
    bool phoneBookCopied = false;  // false: there was no phone book there
    std::filesystem::path sync;
    bool syncCopied = false;
    std::filesystem::path contacts;
    std::filesystem::path log;
    std::vector<std::string> cards;    // file names, copies in cards/
    std::vector<std::string> created;  // file names of cards that did not exist
    std::string counts;
    std::string plan;

    // For a list: the name and what followed, then the counts, on lines of
    // their own.
    std::string Describe() const;
};

// Makes a backup and returns its folder. Throws Error naming what could not
// be copied; a backup that failed half-way is removed.
std::filesystem::path MakeBackup(const std::filesystem::path& backupsFolder, BackupRequest request);

// A backup begun while the run still works out what it will write: each card
// file named as about to change is kept at once, on a thread of its own,
// beside the run's work on the cards (a first run names thousands, which
// would otherwise wait for it). Finish makes it whole; one not finished is
// removed, with all it kept.
class BackupUnderWay {
  public:
    // Of `request`, whose cards are named later (KeepCard, Finish).
    BackupUnderWay(std::filesystem::path backupsFolder, BackupRequest request);
    BackupUnderWay(const BackupUnderWay&) = delete;
    BackupUnderWay& operator=(const BackupUnderWay&) = delete;
    ~BackupUnderWay();

    // A card file (its name in the contacts folder) about to be written over
    // or deleted; naming one twice keeps it once. Never throws: what could
    // not be kept is reported by Finish.
    void KeepCard(std::string_view card);

    // The backup, as MakeBackup makes it of the request with these cards:
    // the changed cards not kept yet are kept now, those kept that are not
    // named here are let go, then the databases and the manifest are
    // written. Throws Error naming what failed, here or while the cards
    // were kept. Call it once.
    std::filesystem::path Finish(std::vector<std::string> changedCards,
                                 std::vector<std::string> createdCards);

  private:
    struct Keeper;
    std::filesystem::path backupsFolder_;
    BackupRequest request_;
    std::unique_ptr<Keeper> keeper_;  // from the first card named
};

// Retires the oldest backups beyond `keep` (see RetiredBackups.h): they leave
// the list at once, their files stay until removed. Returns the names they
// were retired under; throws Error naming a folder that could not be retired.
std::vector<std::string> RetireOldBackups(const std::filesystem::path& backupsFolder, int keep);

// Retires the oldest backups beyond `keep` and removes every retired one.
// Throws Error naming what could not be retired or removed.
void PruneBackups(const std::filesystem::path& backupsFolder, int keep);

// The finished backups, oldest first; none when the folder does not exist.
std::vector<BackupInfo> ListBackups(const std::filesystem::path& backupsFolder);

// The finished backup of that name; throws Error naming it when there is none.
BackupInfo FindBackup(const std::filesystem::path& backupsFolder, std::string_view name);

// What a restore did: the backup of the stores made before it (restoring that
// one undoes the restore) and one line per store put back.
struct RestoreReport {
    std::filesystem::path undoBackup;
    std::vector<std::string> lines;
};

// Puts the stores back as they were when the backup was made: both databases
// (a database that was not there is removed), the cards it copied, and the
// cards the run was to create removed. Takes the lock of the stores first
// (when `lock` is set), then backs up their present state. Appends what it
// did to the activity log at `logPath`. Throws Error (StoresInUse when a run
// holds the lock) naming what failed; nothing is put back before the checks
// and the backup of the present state have passed.
RestoreReport RestoreBackup(const std::filesystem::path& backupsFolder, std::string_view name,
                            const RunLocker& lock, const std::filesystem::path& logPath, int keep);

// Where a database copy goes: over a database in use, which a crash midway
// must leave as it was (SQLite's journal does), or into a new file that
// nothing reads unless the copy finished, which needs no journal and the
// flushes it costs.
enum class CopyInto { InUse, NewFile };

// Copies a SQLite database page by page through the online backup API, so
// the copy is whole even while another program has the file open. Throws
// Error naming both files.
void CopyDatabase(const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyInto into = CopyInto::InUse);

}  // namespace velmora
