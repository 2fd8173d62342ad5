#include "stores/outlook/VCardFolder.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/outlook/FileBatch.h"
#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"

namespace velmora {

namespace {

constexpr std::size_t kNoFile = SIZE_MAX;

// A card as loaded or created, and what happened to it since.
struct CardEntry {
    VCard card;
    std::size_t file = kNoFile;  // index into the book's files; kNoFile for a new card
    bool isContact = true;
    bool changed = false;  // created, edited or deleted since the last save
    bool deleted = false;
    std::string newUid;  // a new card's, chosen when it is created; it names its file
};

bool IsOurLeftover(const std::string& name) {
    return name.front() == '.' && (name.ends_with(".tmp") || name.ends_with(".del"));
}

// A file of the folder: its cards (entry indexes, in file order), the text
// around them, and what it was when last read or written, to notice another
// program's change.
struct CardFile {
    std::filesystem::path path;
    FileStamp stamp;
    std::vector<std::string> gaps;  // gaps[0] before the first card, gaps[i + 1] after card i
    std::vector<std::size_t> cards;
};

// A random (version 4) UUID in lower case.
std::string NewUid() {
    static std::mt19937_64 random{std::random_device{}()};
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

bool IsCardFileName(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    // Hidden files (our own temporary files, other systems' metadata such as
    // "._name.vcf") are not part of the address book.
    return !name.empty() && name.front() != '.' &&
           EqualsIgnoringCase(path.extension().string(), ".vcf");
}

class VCardAddressBook final : public AddressBook {
  public:
    explicit VCardAddressBook(std::filesystem::path folder) : folder_(std::move(folder)) { Load(); }

    int Count() const override { return static_cast<int>(entries_.size()); }

    bool IsContact(CardHandle card) const override {
        const CardEntry& entry = At(card);
        return entry.isContact && !entry.deleted;
    }

    std::string Get(CardHandle card, ContactField field) const override {
        return ReadContactField(Contact(card).card, field);
    }

    void Set(CardHandle card, ContactField field, std::string_view value) override {
        CardEntry& entry = Contact(card);
        WriteContactField(entry.card, field, value);
        if (entry.card.dirty) entry.changed = true;
    }

    CardHandle Create() override {
        CardEntry entry;
        entry.card = NewContactCard();
        entry.changed = true;
        entry.newUid = UnusedUid();
        entries_.push_back(std::move(entry));
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
        if (file.cards.size() == 1) return file.path.string();
        const auto place = std::find(file.cards.begin(), file.cards.end(), Index(card));
        return file.path.string() + " (card " + std::to_string(place - file.cards.begin() + 1) +
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
                pending.created.push_back(NewCardPath(entry));
            }
        }
        for (std::size_t f = 0; f < touched.size(); ++f) {
            if (touched[f]) pending.changed.push_back(files_[f].path);
        }
        return pending;
    }

    std::vector<CardFailure> SaveChanges() override {
        std::vector<FileChange> changes;
        std::vector<std::size_t> changedFiles;  // per change: its file
        const std::size_t loadedFiles = files_.size();
        for (std::size_t f = 0; f < loadedFiles; ++f) {
            if (auto change = ChangeOf(f)) {
                changes.push_back(std::move(*change));
                changedFiles.push_back(f);
            }
        }
        for (std::size_t e = 0; e < entries_.size(); ++e) {
            const CardEntry& entry = entries_[e];
            if (entry.changed && entry.file == kNoFile && !entry.deleted) {
                changes.push_back(NewFileFor(e));
                changedFiles.push_back(entry.file);
            }
        }
        const std::vector<FileOutcome> outcomes = ApplyFileChanges(changes);
        std::vector<CardFailure> failures;
        for (std::size_t c = 0; c < changes.size(); ++c) {
            CardFile& file = files_[changedFiles[c]];
            if (!outcomes[c].failure) {
                file.stamp = outcomes[c].stamp;
                continue;
            }
            for (const std::size_t e : file.cards) {
                if (!entries_[e].changed) continue;
                failures.push_back({static_cast<CardHandle>(e + 1), *outcomes[c].failure});
                // A card whose file could not be made stays new.
                if (changes[c].kind == FileChange::Kind::Create) entries_[e].file = kNoFile;
            }
        }
        for (CardEntry& entry : entries_)
            entry.changed = false;
        if (leftovers_) {
            RemoveLeftoverTemporaryFiles(folder_);
            leftovers_ = false;
        }
        return failures;
    }

  private:
    std::size_t Index(CardHandle card) const { return static_cast<std::size_t>(card - 1); }

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

    void Load() {
        std::error_code error;
        const auto status = std::filesystem::status(folder_, error);
        if (!std::filesystem::exists(status)) {
            throw Error("The address book folder " + folder_.string() + " does not exist.");
        }
        if (!std::filesystem::is_directory(status)) {
            throw Error("The address book folder " + folder_.string() + " is not a folder.");
        }
        for (const auto& path : CardFilePaths())
            LoadFile(path);
    }

    // The folder's card files in file-name order (byte order).
    std::vector<std::filesystem::path> CardFilePaths() {
        std::vector<std::filesystem::path> paths;
        std::error_code error;
        for (auto it = std::filesystem::directory_iterator(folder_, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            std::error_code typeError;
            if (it->is_regular_file(typeError) && IsCardFileName(it->path())) {
                paths.push_back(it->path());
            } else if (const std::string name = it->path().filename().string();
                       !name.empty() && IsOurLeftover(name)) {
                leftovers_ = true;
            }
        }
        if (error) {
            throw Error("The address book folder " + folder_.string() +
                        " could not be read: " + error.message() + ".");
        }
        // All in one folder: the paths sort as their file names do.
        std::sort(paths.begin(), paths.end(),
                  [](const auto& a, const auto& b) { return a.native() < b.native(); });
        return paths;
    }

    void LoadFile(const std::filesystem::path& path) {
        CardFile file;
        file.path = path;
        const FileRead read = ReadFileWithStamp(path);
        file.stamp = read.stamp;
        VCardFileContent content = ParseVCardFile(read.bytes, path);
        file.gaps = std::move(content.gaps);
        for (VCard& card : content.cards) {
            CheckMappedValues(card, path);
            CardEntry entry;
            entry.isContact = !IsDistributionList(card);
            entry.card = std::move(card);
            entry.file = files_.size();
            file.cards.push_back(entries_.size());
            entries_.push_back(std::move(entry));
        }
        files_.push_back(std::move(file));
    }

    // The file's text with its cards as they now stand; a deleted card leaves
    // the text around it.
    std::string FileText(const CardFile& file) {
        std::string text = file.gaps.front();
        for (std::size_t i = 0; i < file.cards.size(); ++i) {
            CardEntry& entry = entries_[file.cards[i]];
            if (!entry.deleted) {
                if (entry.changed) {
                    // Servers refuse a card without a UID; one we write gets one.
                    if (CardUid(entry.card).empty()) SetCardUid(entry.card, NewUid());
                    FreezeCard(entry.card);
                }
                text += CardText(entry.card);
            }
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
        change.path = file.path;
        change.expected = file.stamp;
        if (!anyLeft) {
            change.kind = FileChange::Kind::Remove;
            return change;
        }
        change.bytes = FileText(file);
        if (change.bytes.size() == file.stamp.size &&
            std::hash<std::string_view>{}(change.bytes) == file.stamp.contentHash) {
            return std::nullopt;
        }
        return change;
    }

    // A UID whose file is not in the folder yet.
    std::string UnusedUid() const {
        std::string uid;
        std::error_code error;
        do {
            uid = NewUid();
        } while (std::filesystem::exists(folder_ / (uid + ".vcf"), error));
        return uid;
    }

    std::filesystem::path NewCardPath(const CardEntry& entry) const {
        return folder_ / (entry.newUid + ".vcf");
    }

    // A file of its own for a new card, named after the UID chosen when the
    // card was made.
    FileChange NewFileFor(std::size_t e) {
        CardEntry& entry = entries_[e];
        const std::filesystem::path path = NewCardPath(entry);
        SetCardUid(entry.card, entry.newUid);
        FreezeCard(entry.card);
        CardFile file;
        file.path = path;
        file.gaps = {"", ""};
        file.cards = {e};
        entry.file = files_.size();
        files_.push_back(std::move(file));
        FileChange change;
        change.kind = FileChange::Kind::Create;
        change.path = path;
        change.bytes = CardText(entry.card);
        return change;
    }

    std::filesystem::path folder_;
    std::vector<CardFile> files_;
    std::vector<CardEntry> entries_;
    bool leftovers_ = false;  // temporary files a killed run left behind
};

}  // namespace

std::unique_ptr<AddressBook> OpenVCardFolder(const std::filesystem::path& folder) {
    return std::make_unique<VCardAddressBook>(folder);
}

AddressBookOpener VCardFolderOpener(std::filesystem::path folder) {
    return [folder = std::move(folder)] { return OpenVCardFolder(folder); };
}

}  // namespace velmora
