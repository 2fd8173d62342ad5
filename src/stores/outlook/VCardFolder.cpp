#include "stores/outlook/VCardFolder.h"

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/outlook/CardIndex.h"
#include "stores/outlook/FileBatch.h"
#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"
#include "util/AtomicFile.h"
#include "util/Parallel.h"
#include "util/Random.h"

namespace velmora {

namespace {

constexpr std::size_t kNoFile = SIZE_MAX;

// A card as loaded or created, and what happened to it since.
struct CardEntry {
    // The card's lines, held only while the card is being written: a card
    // is parsed from its file's bytes when a field of it is to change, and
    // let go of once the run moves on to another card (a first run writes
    // nearly every card, and their lines would be most of its memory).
    std::unique_ptr<VCard> card;  // a pointer: most entries have none
    // The card's text as written, once its lines are let go; "" otherwise.
    std::string text;
    // Its fields as they read now, while `fieldsCurrent`: reads come from
    // here rather than from the lines, which take a pass over the card each.
    mutable IndexedCard indexed;
    mutable bool fieldsCurrent = false;
    std::size_t file = kNoFile;  // index into the book's files; kNoFile for a new card
    bool isContact = true;
    bool changed = false;  // created, edited or deleted since the last save
    bool deleted = false;
    std::string newUid;  // a new card's, chosen when it is created; it names its file
};

bool IsOurLeftover(std::string_view name) {
    return name.front() == '.' && (name.ends_with(".tmp") || name.ends_with(".del"));
}

// A file of the folder: its cards (entry indexes, in file order), the text
// around them, and what it was when last read or written, to notice another
// program's change.
struct CardFile {
    std::string name;  // in the book's folder: a path object per file costs more than the file
    FileStamp stamp;
    std::int64_t settledBeforeNs = 0;  // see IndexedFile
    bool parsed = false;               // `gaps` are read; each card has its lines or text
    // The bytes read when the book was opened, kept until the file is parsed
    // (they need no second read, nor a check that they are still on disk).
    std::optional<std::string> bytes;
    // Its bytes were no longer those first read when it had to be parsed:
    // another program's change, which a save must not overwrite.
    bool changedElsewhere = false;
    bool gone = false;              // removed by a save
    bool written = false;           // by the save under way
    bool unsaved = false;           // a save failed: the file no longer holds what the cards say
    std::vector<std::string> gaps;  // gaps[0] before the first card, gaps[i + 1] after card i
    std::vector<std::size_t> cards;
};

// A random (version 4) UUID in lower case.
std::string NewUid() {
    std::mt19937_64& random = ThreadRandom();
    std::array<unsigned char, 16> bytes{};
    for (auto& byte : bytes)
        byte = static_cast<unsigned char>(random());
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    static constexpr std::string_view kHex = "0123456789abcdef";
    std::string uid;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) uid += '-';
        uid += kHex[bytes[i] >> 4];
        uid += kHex[bytes[i] & 0x0F];
    }
    return uid;
}

bool IsCardFileName(std::string_view name) {
    // Hidden files (our own temporary files, other systems' metadata such as
    // "._name.vcf") are not part of the address book.
    return name.size() > 4 && name.front() != '.' &&
           EqualsIgnoringCase(name.substr(name.size() - 4), ".vcf");
}

// A folder opened for calls relative to it, closed when it goes.
struct FolderDescriptor {
    explicit FolderDescriptor(int opened) : fd(opened) {}
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;
    ~FolderDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    int fd;
};

// Changes an open folder once the file system's clock (the coarse one it
// dates changes by) has passed `ns`: a hidden file is made and removed. False
// when the clock does not get there within a few ticks.
bool ChangeFolderAfter(int folder, std::int64_t ns) {
    constexpr int kTicksAtMost = 50;  // of a millisecond each
    for (int waited = 0;; ++waited) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec > ns) break;
        if (waited == kTicksAtMost) return false;
        const timespec tick{0, 1'000'000};
        ::nanosleep(&tick, nullptr);
    }
    // Named as a killed run's temporary files are, so that one left behind
    // is removed by the next run.
    const std::string name = HiddenNameBeside("settled.vcf", ".tmp");
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return ::unlinkat(folder, name.c_str(), 0) == 0;
}

// Whether a folder entry is a regular file, or a link to one.
bool IsRegularFile(int folder, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat status {};
    return ::fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

class VCardAddressBook final : public AddressBook {
  public:
    VCardAddressBook(std::filesystem::path folder, std::filesystem::path indexFile,
                     SaveMode saveMode)
        : folder_(std::move(folder)), indexFile_(std::move(indexFile)), saveMode_(saveMode) {
        Load();
    }

    int Count() const override { return static_cast<int>(entries_.size()); }

    bool IsContact(CardHandle card) const override {
        const CardEntry& entry = At(card);
        return entry.isContact && !entry.deleted;
    }

    std::string Get(CardHandle card, ContactField field) const override {
        return std::string(FieldsOf(Contact(card)).fields[static_cast<std::size_t>(field)]);
    }

    void Set(CardHandle card, ContactField field, std::string_view value) override {
        CardEntry& entry = Contact(card);
        if (!entry.card) {
            const std::string_view current = entry.indexed.fields[static_cast<std::size_t>(field)];
            if (WriteKeepsCard(field, current, entry.indexed.ownFileAs, value)) return;
            ReadLinesOf(entry);
            if (!entry.card) {
                // Its file changed meanwhile; saving reports the card.
                entry.changed = true;
                return;
            }
        }
        MoveOnTo(Index(card));
        WriteContactField(*entry.card, field, value);
        if (!entry.card->dirty) return;
        entry.changed = true;
        if (entry.fieldsCurrent && WritesOnlyItself(field)) {
            // A first run gives thousands of cards an ID and speed dials:
            // only that field is read again, not the whole card.
            CardFields& fields = entry.indexed.fields;
            fields.Set(static_cast<std::size_t>(field), ReadContactField(*entry.card, field));
            fields.Fit();
        } else {
            // Writing one field can change what others read (the file-as
            // text made from the names).
            entry.fieldsCurrent = false;
        }
    }

    CardHandle Create() override {
        CardEntry entry;
        entry.card = std::make_unique<VCard>(NewContactCard());
        entry.changed = true;
        // Random, so no file of the folder bears its name but by a chance too
        // small to count; should one, the save refuses to replace it.
        entry.newUid = NewUid();
        entries_.push_back(std::move(entry));
        MoveOnTo(entries_.size() - 1);
        return Count();
    }

    void Delete(CardHandle card) override {
        CardEntry& entry = Contact(card);
        entry.deleted = true;
        entry.changed = true;
    }

    std::string Describe(CardHandle card) const override {
        const CardEntry& entry = At(card);
        if (entry.file == kNoFile) return "a new card in " + folder_.string();
        const CardFile& file = files_[entry.file];
        if (file.cards.size() == 1) return PathOf(file).string();
        const auto place = std::find(file.cards.begin(), file.cards.end(), Index(card));
        return PathOf(file).string() + " (card " + std::to_string(place - file.cards.begin() + 1) +
               ")";
    }

    PendingCardFiles PendingFiles() const override {
        PendingCardFiles pending;
        std::vector<bool> touched(files_.size(), false);
        for (const CardEntry& entry : entries_) {
            if (!entry.changed) continue;
            if (entry.file != kNoFile) {
                touched[entry.file] = true;
            } else if (!entry.deleted) {
                pending.created.push_back(NewCardName(entry));
            }
        }
        for (std::size_t f = 0; f < touched.size(); ++f) {
            if (touched[f]) pending.changed.push_back(files_[f].name);
        }
        return pending;
    }

    std::optional<std::string> PendingFileOf(CardHandle card) const override {
        const CardEntry& entry = At(card);
        if (!entry.changed || entry.file == kNoFile) return std::nullopt;
        return files_[entry.file].name;
    }

    std::vector<CardFailure> SaveChanges() override {
        std::vector<CardFailure> failures;
        std::size_t changedCards = 0;
        std::size_t createdCards = 0;
        for (const CardEntry& entry : entries_) {
            changedCards += entry.changed ? 1 : 0;
            createdCards += AwaitsItsFile(entry) ? 1 : 0;
        }
        // Room for the new files at once: growing would hold the old and the
        // new room together.
        files_.reserve(files_.size() + createdCards);
        Batch batch(changedCards);
        const std::size_t loadedFiles = files_.size();
        for (std::size_t f = 0; f < loadedFiles; ++f) {
            if (auto change = ChangeOf(f)) {
                // Its text holds the cards now: their lines need not wait for
                // the batch (a failed file keeps its cards' fields, as read).
                ForgetLinesOf(f);
                Add(batch, std::move(*change), f, failures);
            } else if (files_[f].changedElsewhere) {
                RefuseChangedElsewhere(f, failures);
            }
        }
        for (std::size_t e = 0; e < entries_.size(); ++e) {
            if (!AwaitsItsFile(entries_[e])) continue;
            FileChange change = NewFileFor(e);
            Add(batch, std::move(change), entries_[e].file, failures);
        }
        Store(batch, failures);
        FinishInFlight(failures);
        for (CardEntry& entry : entries_)
            entry.changed = false;
        if (saveMode_ == SaveMode::CheckOnly) return failures;
        if (leftovers_) {
            RemoveLeftoverTemporaryFiles(folder_);
            leftovers_ = false;
        }
        SettleWrittenFiles();
        SaveIndex();
        return failures;
    }

  private:
    std::size_t Index(CardHandle card) const { return static_cast<std::size_t>(card - 1); }

    // File changes stored together. A first run changes nearly every file:
    // it stores them in a few batches of thousands, each flushed with its
    // file system in one go, rather than hold the new texts, temporary names
    // and steps of all of them at once.
    struct Batch {
        // Batches of about the same size, so that none is so small that its
        // files are flushed one by one.
        explicit Batch(std::size_t expected) {
            const std::size_t batches =
                std::max<std::size_t>(1, (expected + kFilesPerBatch - 1) / kFilesPerBatch);
            size = std::max<std::size_t>(1, (expected + batches - 1) / batches);
            changes.reserve(size);
            files.reserve(size);
        }
        std::size_t size = 0;
        std::vector<FileChange> changes;
        std::vector<std::size_t> files;  // per change: its file
    };

    void Add(Batch& batch, FileChange change, std::size_t file,
             std::vector<CardFailure>& failures) {
        batch.changes.push_back(std::move(change));
        batch.files.push_back(file);
        if (batch.changes.size() >= batch.size) Store(batch, failures);
    }

    // A batch whose temporary files are written, on its way to the disk.
    struct InFlight {
        InFlight(std::vector<FileChange> batchChanges, std::vector<std::size_t> batchFiles)
            : changes(std::move(batchChanges)), files(std::move(batchFiles)), prepared(changes) {}
        std::vector<FileChange> changes;
        std::vector<std::size_t> files;  // per change: its file
        PreparedFileChanges prepared;
        std::future<void> flushed;  // its flush, while that runs aside
    };

    // Stores a batch in two halves. Its temporary files are written now and
    // flushed on a thread of their own; the batch before is then swapped in,
    // its own flush having had this batch's writing to get done. A save of
    // thousands of cards so writes while the disk flushes, rather than wait.
    void Store(Batch& batch, std::vector<CardFailure>& failures) {
        if (batch.changes.empty()) return;
        if (saveMode_ == SaveMode::CheckOnly) {
            NoteOutcomes(batch.changes, batch.files, CheckFileChanges(batch.changes), failures);
            batch.changes.clear();
            batch.files.clear();
            return;
        }
        auto next = std::make_unique<InFlight>(std::move(batch.changes), std::move(batch.files));
        batch.changes.clear();
        batch.files.clear();
        // A replacing text is in its temporary file now; only a new card's
        // is kept, for the card should its file not be made.
        for (FileChange& change : next->changes) {
            if (change.kind == FileChange::Kind::Replace) std::string().swap(change.bytes);
        }
        if (next->prepared.AwaitsFlush()) {
            try {
                next->flushed = std::async(std::launch::async,
                                           [&prepared = next->prepared] { prepared.Flush(); });
            } catch (const std::system_error&) {
                next->prepared.Flush();  // no thread to be had
            }
        }
        FinishInFlight(failures);
        inFlight_ = std::move(next);
        batch.changes.reserve(batch.size);
        batch.files.reserve(batch.size);
    }

    // Swaps in the batch in flight and notes what became of each file; the
    // cards of a file that could not be stored are reported.
    void FinishInFlight(std::vector<CardFailure>& failures) {
        if (!inFlight_) return;
        const std::unique_ptr<InFlight> batch = std::move(inFlight_);
        if (batch->flushed.valid()) batch->flushed.get();
        NoteOutcomes(batch->changes, batch->files, batch->prepared.Finish(), failures);
    }

    // Notes what became of each file of a batch; the cards of a file that
    // could not be stored are reported.
    void NoteOutcomes(std::vector<FileChange>& changes, const std::vector<std::size_t>& files,
                      const std::vector<FileOutcome>& outcomes,
                      std::vector<CardFailure>& failures) {
        for (std::size_t c = 0; c < changes.size(); ++c) {
            FileChange& change = changes[c];
            CardFile& file = files_[files[c]];
            indexStale_ = true;
            if (!outcomes[c].failure) {
                if (saveMode_ == SaveMode::CheckOnly) continue;  // nothing was stored
                file.stamp = outcomes[c].stamp;
                // Trusted by its stamp only once it has settled (see below).
                file.settledBeforeNs = 0;
                file.gone = change.kind == FileChange::Kind::Remove;
                file.written = !file.gone;
                // Its text is stored: the lines of a new card need not be
                // held beside what the run writes next.
                ForgetLinesOf(files[c]);
                continue;
            }
            file.unsaved = true;
            for (const std::size_t e : file.cards) {
                if (!entries_[e].changed) continue;
                failures.push_back({static_cast<CardHandle>(e + 1), *outcomes[c].failure});
                // A card whose file could not be made stays new, with its text.
                if (change.kind == FileChange::Kind::Create) {
                    entries_[e].file = kNoFile;
                    if (!entries_[e].card) entries_[e].text = std::move(change.bytes);
                }
            }
            // A file that could not be made holds no card: a later save makes
            // it anew rather than replace it.
            if (change.kind == FileChange::Kind::Create) file.cards.clear();
        }
    }

    // Lets the next run trust the stamps of the files this save wrote, not
    // read them again, where nothing but their own swap into place can have
    // changed them. A file qualifies when, looked at now, it is the file
    // written (inode, size and mtime as the write left them) and its last
    // change (the swap) came after its bytes were written, so that a later
    // write would have moved its mtime, and before the folder's own last
    // change: any change from now on gives it a later ctime, by the file
    // system's own clock, than the one recorded. A link's file lies in
    // another folder, perhaps on another clock, and is read again instead.
    // The files swapped in during the folder's last tick of the clock (a
    // few milliseconds: hundreds of files of a large save) would be read
    // again by the next two runs; once the clock has moved on, a change to
    // the folder dates it after them, and they qualify too. A file that does
    // not qualify is read by the next run, which finds its stamp as
    // recorded here and so does not take the index for stale.
    void SettleWrittenFiles() {
        std::vector<std::size_t> written;
        for (std::size_t f = 0; f < files_.size(); ++f) {
            if (std::exchange(files_[f].written, false)) written.push_back(f);
        }
        if (indexFile_.empty() || written.empty()) return;
        const FolderDescriptor opened(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (opened.fd < 0) return;
        auto folder = StampWithoutReading(opened.fd, ".");
        if (!folder) return;
        std::vector<char> inLastTick(written.size(), 0);
        InParallel(written.size(), kFilesPerTurn, kFilesWorthAThread, [&](std::size_t i) {
            CardFile& file = files_[written[i]];
            const auto now = StampOfEntry(opened.fd, file.name.c_str());
            if (!now || !now->SameFileAs(file.stamp)) return;
            const bool swappedAfterWritten = now->changedNs > file.stamp.changedNs;
            file.stamp.changedNs = now->changedNs;
            if (!swappedAfterWritten) return;
            if (now->changedNs < folder->changedNs) {
                file.settledBeforeNs = folder->changedNs;
            } else {
                inLastTick[i] = 1;
            }
        });
        std::int64_t latest = 0;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (inLastTick[i]) latest = std::max(latest, files_[written[i]].stamp.changedNs);
        }
        if (latest == 0 || !ChangeFolderAfter(opened.fd, latest)) return;
        folder = StampWithoutReading(opened.fd, ".");
        if (!folder) return;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (!inLastTick[i]) continue;
            CardFile& file = files_[written[i]];
            const auto now = StampOfEntry(opened.fd, file.name.c_str());
            if (now && now->SameFileAs(file.stamp) && now->changedNs == file.stamp.changedNs &&
                now->changedNs < folder->changedNs) {
                file.settledBeforeNs = folder->changedNs;
            }
        }
    }

    // A created card the next save is to give a file of its own.
    static bool AwaitsItsFile(const CardEntry& entry) {
        return entry.changed && entry.file == kNoFile && !entry.deleted;
    }

    const CardEntry& At(CardHandle card) const {
        if (card < 1 || card > Count()) {
            throw Error("There is no card " + std::to_string(card) + " in the address book " +
                        folder_.string() + "; it holds " + std::to_string(Count()) + ".");
        }
        return entries_[Index(card)];
    }

    // A card that can still be read and written.
    CardEntry& Contact(CardHandle card) {
        return const_cast<CardEntry&>(std::as_const(*this).Contact(card));
    }
    const CardEntry& Contact(CardHandle card) const {
        const CardEntry& entry = At(card);
        if (!entry.isContact || entry.deleted) {
            throw Error("The item " + Describe(card) + " is " +
                        (entry.deleted ? "deleted" : "no contact") + " and cannot be used.");
        }
        return entry;
    }

    // Every field of the card as it reads now.
    static const IndexedCard& FieldsOf(const CardEntry& entry) {
        if (!entry.fieldsCurrent) {
            entry.indexed = SummaryOf(*entry.card);
            entry.fieldsCurrent = true;
        }
        return entry.indexed;
    }

    // The cards of a changed file that another program changed meanwhile.
    void RefuseChangedElsewhere(std::size_t f, std::vector<CardFailure>& failures) {
        CardFile& file = files_[f];
        for (const std::size_t e : file.cards) {
            if (!entries_[e].changed) continue;
            failures.push_back({static_cast<CardHandle>(e + 1),
                                "The contact file " + PathOf(file).string() +
                                    " was not written: it was changed by another program after "
                                    "it was read, and that change is kept. Please run the "
                                    "synchronization again."});
        }
        file.unsaved = true;
        indexStale_ = true;
    }

    void Load() {
        std::error_code error;
        const auto status = std::filesystem::status(folder_, error);
        if (!std::filesystem::exists(status)) {
            throw Error("The address book folder " + folder_.string() + " does not exist.");
        }
        if (!std::filesystem::is_directory(status)) {
            throw Error("The address book folder " + folder_.string() + " is not a folder.");
        }
        CardIndex index;
        if (!indexFile_.empty()) index = CardIndex::Load(indexFile_, folder_);
        const FolderDescriptor opened(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (opened.fd < 0) ThrowUnreadable(errno);
        const int folderFd = opened.fd;
        const std::vector<std::string> names = CardFileNames(folderFd);
        files_.reserve(names.size());
        entries_.reserve(names.size());  // a file holds one card, as a rule
        // The files are looked at by two threads, a round at a time, and
        // taken into the book in name order: a first run reads and parses
        // thousands, and a failure is reported for the first bad file by
        // name, as one thread would. A round is large, since each starts a
        // thread: rounds of 256 files made a run after edits at 100 000
        // contacts 0.3 s slower, mostly in the new threads' first memory.
        constexpr std::size_t kFilesPerRound = 4096;
        constexpr std::size_t kReadsPerTurn = 16;
        constexpr std::size_t kReadsWorthAThread = 64;
        std::vector<FileLook> looks;
        std::size_t fromIndex = 0;
        for (std::size_t start = 0; start < names.size(); start += kFilesPerRound) {
            const std::size_t count = std::min(kFilesPerRound, names.size() - start);
            looks.assign(count, {});
            InParallel(count, kReadsPerTurn, kReadsWorthAThread, [&](std::size_t i) {
                looks[i] = LookAt(names[start + i], index, folderFd);
            });
            for (std::size_t i = 0; i < count; ++i)
                fromIndex += TakeFile(names[start + i], std::move(looks[i]), index) ? 1 : 0;
        }
        // Files gone from the folder, or new in it, change the index too.
        if (index.Size() != names.size() || fromIndex != names.size()) indexStale_ = true;
    }

    // The names of the folder's card files in byte order. Listed with the
    // system's own calls: a listing of path objects costs more than the rest
    // of a run with nothing to do.
    std::vector<std::string> CardFileNames(int folderFd) {
        const int listed = ::dup(folderFd);
        const std::unique_ptr<DIR, int (*)(DIR*)> folder(listed < 0 ? nullptr : ::fdopendir(listed),
                                                         ::closedir);
        if (!folder) {
            const int error = errno;
            if (listed >= 0) ::close(listed);
            ThrowUnreadable(error);
        }
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = ::readdir(folder.get())) {
            const std::string_view name = entry->d_name;
            if (IsCardFileName(name) && IsRegularFile(folderFd, *entry)) {
                names.emplace_back(name);
            } else if (IsOurLeftover(name)) {
                leftovers_ = true;
            }
            errno = 0;
        }
        if (errno != 0) ThrowUnreadable(errno);
        std::sort(names.begin(), names.end());
        return names;
    }

    [[noreturn]] void ThrowUnreadable(int error) const {
        throw Error("The address book folder " + folder_.string() +
                    " could not be read: " + std::generic_category().message(error) + ".");
    }

    // What a file of the folder holds, as one thread finds it: whether its
    // stamp vouches for the index's record, or else its bytes and, unless
    // they are the index's, its cards. Only reads; any thread may call it.
    struct FileLook {
        bool vouched = false;
        std::optional<FileRead> read;
        std::int64_t settledBefore = 0;  // as the read began
        std::optional<std::vector<IndexedCard>> parsed;
        std::exception_ptr failure;  // why it could not be read
    };

    FileLook LookAt(const std::string& name, const CardIndex& index, int folderFd) const {
        FileLook look;
        try {
            const IndexedFile* recorded = index.Find(name);
            if (recorded) {
                const auto now = StampWithoutReading(folderFd, name.c_str());
                look.vouched = now && CardIndex::StampVouches(*recorded, *now);
                if (look.vouched) return look;
            }
            look.settledBefore = CardIndex::SettledBeforeNow();
            const std::filesystem::path path = folder_ / name;
            look.read = ReadFileWithStamp(folderFd, name.c_str(), path);
            if (recorded && SameBytes(recorded->stamp, look.read->stamp)) return look;
            VCardFileContent content = ParseVCardFile(look.read->bytes, path);
            look.parsed.emplace();
            look.parsed->reserve(content.cards.size());
            for (const VCard& card : content.cards) {
                CheckMappedValues(card, path);
                // Its fields are all the run reads; its lines wait for a write.
                look.parsed->push_back(SummaryOf(card));
            }
        } catch (...) {
            look.failure = std::current_exception();
        }
        return look;
    }

    static bool SameBytes(const FileStamp& recorded, const FileStamp& read) {
        return recorded.size == read.size && recorded.contentHash == read.contentHash;
    }

    // Takes a file's cards into the book as they were looked at: from the
    // index when its stamp, or else its bytes, are as the index recorded
    // them, or else as parsed. True when the index's record of the file
    // stands as it was.
    bool TakeFile(const std::string& name, FileLook look, CardIndex& index) {
        if (look.failure) std::rethrow_exception(look.failure);
        CardFile file;
        file.name = name;
        if (look.vouched) {
            IndexedFile recorded = index.Take(name);
            file.stamp = recorded.stamp;
            file.settledBeforeNs = recorded.settledBeforeNs;
            AddIndexed(std::move(file), std::move(recorded));
            return true;
        }
        FileRead& read = *look.read;
        file.stamp = read.stamp;
        file.settledBeforeNs = read.stamp.changedNs < look.settledBefore ? look.settledBefore : 0;
        if (!look.parsed) {
            const IndexedFile& recorded = *index.Find(name);
            const bool sameStamp = file.stamp.SameFileAs(recorded.stamp) &&
                                   file.stamp.changedNs == recorded.stamp.changedNs;
            // Not settled yet: the index stays as it was rather than be
            // written again for nothing.
            if (sameStamp && file.settledBeforeNs == 0)
                file.settledBeforeNs = recorded.settledBeforeNs;
            const bool same = sameStamp && file.settledBeforeNs == recorded.settledBeforeNs;
            AddIndexed(std::move(file), index.Take(name));
            return same;
        }
        // The bytes need no second read, nor a check that they are still on
        // disk, when the file is parsed for a write.
        file.bytes = std::move(read.bytes);
        IndexedFile parsed;
        parsed.cards = std::move(*look.parsed);
        AddIndexed(std::move(file), std::move(parsed));
        return false;
    }

    void AddIndexed(CardFile file, IndexedFile recorded) {
        for (IndexedCard& card : recorded.cards) {
            CardEntry entry;
            entry.isContact = card.isContact;
            entry.indexed = std::move(card);
            entry.fieldsCurrent = true;
            entry.file = files_.size();
            file.cards.push_back(entries_.size());
            entries_.push_back(std::move(entry));
        }
        files_.push_back(std::move(file));
    }

    // Drops the lines of a file whose text is made, keeping its cards'
    // fields: the file is then as if its cards came from the index, and is
    // parsed again should a card of it be written once more. A file with a
    // deleted card keeps its lines, since its cards no longer match the
    // file's one by one.
    void ForgetLinesOf(std::size_t f) {
        CardFile& file = files_[f];
        if (file.gone || !file.parsed) return;
        const auto deleted = [&](std::size_t e) { return entries_[e].deleted; };
        if (std::any_of(file.cards.begin(), file.cards.end(), deleted)) return;
        for (const std::size_t e : file.cards) {
            CardEntry& entry = entries_[e];
            FieldsOf(entry);
            entry.card.reset();
            std::string().swap(entry.text);
        }
        std::vector<std::string>().swap(file.gaps);
        file.parsed = false;
    }

    // The run writes one card after another: once it turns to another card,
    // the lines of the one it changed last are let go of, keeping its text
    // and fields.
    void MoveOnTo(std::size_t e) {
        if (writing_ != e && writing_ < entries_.size()) LetGoOfLines(entries_[writing_]);
        writing_ = e;
    }

    // Keeps a changed card's text and fields in place of its lines.
    void LetGoOfLines(CardEntry& entry) {
        if (!entry.card || !entry.changed || entry.deleted) return;
        FieldsOf(entry);
        entry.text = FinishedText(entry);
        entry.card.reset();
    }

    // Makes a card's lines ready for a write: from its text when the run let
    // go of them, or else from its file.
    void ReadLinesOf(CardEntry& entry) {
        if (entry.text.empty()) {
            ReadCardsOf(entry.file);
            return;
        }
        entry.card =
            std::make_unique<VCard>(std::move(ParseVCardFile(entry.text, folder_).cards.front()));
        std::string().swap(entry.text);
    }

    // A card's text as it is to be stored. Servers refuse a card without a
    // UID; one we write gets one.
    std::string FinishedText(CardEntry& entry) {
        if (!entry.card) return entry.text;
        if (entry.changed) {
            if (entry.file == kNoFile) {
                SetCardUid(*entry.card, entry.newUid);
            } else if (CardUid(*entry.card).empty()) {
                SetCardUid(*entry.card, NewUid());
            }
            FreezeCard(*entry.card);
        }
        return CardText(*entry.card);
    }

    // Parses a file whose cards came from the index, so they can be written.
    // A file whose bytes are no longer those the index vouched for is left
    // unread and marked: its cards cannot be written without overwriting
    // another program's change.
    void ReadCardsOf(std::size_t f) {
        CardFile& file = files_[f];
        if (file.parsed || file.changedElsewhere) return;
        if (file.bytes) {
            const std::string bytes = *std::exchange(file.bytes, std::nullopt);
            TakeCards(file, ParseVCardFile(bytes, PathOf(file)));
            return;
        }
        std::optional<FileRead> read;
        try {
            read = ReadFileWithStamp(PathOf(file));
        } catch (const Error&) {
            // Removed or unreadable since: the save reports it.
        }
        if (read && read->bytes.size() == file.stamp.size &&
            read->stamp.contentHash == file.stamp.contentHash) {
            if (TakeCards(file, ParseVCardFile(read->bytes, PathOf(file)))) return;
        }
        file.changedElsewhere = true;
    }

    // Gives a file's cards their lines; false when the file no longer holds
    // as many cards as were read.
    bool TakeCards(CardFile& file, VCardFileContent content) {
        if (content.cards.size() != file.cards.size()) return false;
        file.gaps = std::move(content.gaps);
        for (std::size_t i = 0; i < file.cards.size(); ++i)
            entries_[file.cards[i]].card = std::make_unique<VCard>(std::move(content.cards[i]));
        file.parsed = true;
        return true;
    }

    // Keeps what the folder's files now hold for the next run, when that
    // differs from the index read.
    void SaveIndex() {
        if (indexFile_.empty() || !indexStale_) return;
        const auto indexed = [](const CardFile& file) {
            return !file.gone && !file.unsaved && !file.changedElsewhere && !file.cards.empty();
        };
        const auto kept = [&](std::size_t e) { return !entries_[e].deleted; };
        const auto files = std::count_if(files_.begin(), files_.end(), indexed);
        try {
            CardIndexWriter index(indexFile_, folder_, static_cast<std::size_t>(files));
            for (const CardFile& file : files_) {
                if (!indexed(file)) continue;
                const auto cards = std::count_if(file.cards.begin(), file.cards.end(), kept);
                index.AddFile(file.name, file.stamp, file.settledBeforeNs,
                              static_cast<std::size_t>(cards));
                for (const std::size_t e : file.cards) {
                    if (kept(e)) index.AddCard(FieldsOf(entries_[e]));
                }
            }
            index.Commit();
            indexStale_ = false;
        } catch (const std::exception&) {
            // A failure costs the next run time only; the cards are stored.
        }
    }

    // The file's text with its cards as they now stand; a deleted card leaves
    // the text around it.
    std::string FileText(const CardFile& file) {
        std::string text = file.gaps.front();
        for (std::size_t i = 0; i < file.cards.size(); ++i) {
            CardEntry& entry = entries_[file.cards[i]];
            if (!entry.deleted) text += FinishedText(entry);
            text += file.gaps[i + 1];
        }
        return text;
    }

    // What storing the file's changed cards asks of it: nothing when no card
    // changed or the edits came back to the text read, its removal when no
    // card is left in it.
    std::optional<FileChange> ChangeOf(std::size_t f) {
        CardFile& file = files_[f];
        const auto changed = [&](std::size_t e) { return entries_[e].changed; };
        if (std::none_of(file.cards.begin(), file.cards.end(), changed)) return std::nullopt;
        const bool anyLeft = std::any_of(file.cards.begin(), file.cards.end(),
                                         [&](std::size_t e) { return !entries_[e].deleted; });
        FileChange change;
        change.path = PathOf(file).string();
        change.expected = file.stamp;
        if (!anyLeft) {
            change.kind = FileChange::Kind::Remove;
            return change;
        }
        ReadCardsOf(f);
        if (file.changedElsewhere) return std::nullopt;
        change.bytes = FileText(file);
        if (change.bytes.size() == file.stamp.size &&
            std::hash<std::string_view>{}(change.bytes) == file.stamp.contentHash) {
            return std::nullopt;
        }
        return change;
    }

    std::filesystem::path PathOf(const CardFile& file) const { return folder_ / file.name; }

    static std::string NewCardName(const CardEntry& entry) { return entry.newUid + ".vcf"; }

    // A file of its own for a new card, named after the UID chosen when the
    // card was made.
    FileChange NewFileFor(std::size_t e) {
        CardEntry& entry = entries_[e];
        CardFile file;
        file.name = NewCardName(entry);
        file.gaps = {"", ""};
        file.parsed = true;
        file.cards = {e};
        FileChange change;
        change.kind = FileChange::Kind::Create;
        change.path = PathOf(file).string();
        // The change takes over the text of a card whose lines are let go.
        change.bytes = entry.card ? FinishedText(entry) : std::move(entry.text);
        entry.file = files_.size();
        files_.push_back(std::move(file));
        return change;
    }

    std::filesystem::path folder_;
    std::filesystem::path indexFile_;  // "" for none
    SaveMode saveMode_;
    bool indexStale_ = false;  // the index file no longer says what the folder holds
    std::vector<CardFile> files_;
    std::vector<CardEntry> entries_;
    std::size_t writing_ = SIZE_MAX;      // the entry last written, whose lines are held
    bool leftovers_ = false;              // temporary files a killed run left behind
    std::unique_ptr<InFlight> inFlight_;  // the batch stored last, not yet swapped in
};

}  // namespace

std::unique_ptr<AddressBook> OpenVCardFolder(const std::filesystem::path& folder,
                                             const std::filesystem::path& indexFile,
                                             SaveMode saveMode) {
    return std::make_unique<VCardAddressBook>(folder, indexFile, saveMode);
}

AddressBookOpener VCardFolderOpener(std::filesystem::path folder, std::filesystem::path indexFile,
                                    SaveMode saveMode) {
    return [folder = std::move(folder), indexFile = std::move(indexFile), saveMode] {
        return OpenVCardFolder(folder, indexFile, saveMode);
    };
}

}  // namespace velmora
