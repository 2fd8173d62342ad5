#include "stores/outlook/VCardFolder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/outlook/AtomicFile.h"
#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"

namespace velmora {

namespace {

struct CardFile;

// A card of the session as it stands on disk (or, for a new card, as it will).
struct CardEntry {
    VCard card;
    CardFile* file = nullptr;  // nullptr until a new card is first saved
    unsigned revision = 0;     // counts saves, so open items see them
    bool deleted = false;
};

// A file of the folder: its cards, the text around them, and its bytes as
// last read or written, to notice another program's change.
struct CardFile {
    std::filesystem::path path;
    std::string bytesOnDisk;
    std::vector<std::string> gaps;
    std::vector<std::shared_ptr<CardEntry>> cards;

    std::string Text() const {
        std::string text = gaps.front();
        for (std::size_t i = 0; i < cards.size(); ++i)
            text += CardText(cards[i]->card) + gaps[i + 1];
        return text;
    }
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

std::string ContactLabel(const VCard& card) {
    return ReadContactField(card, ContactField::FileAs);
}

// The folder read into memory; items refer to its cards.
class Session {
  public:
    explicit Session(std::filesystem::path folder) : folder_(std::move(folder)) { Load(); }

    const std::vector<std::shared_ptr<CardEntry>>& Entries() const { return entries_; }

    void Save(const std::shared_ptr<CardEntry>& entry, VCard card) {
        if (entry->deleted) {
            throw Error("The contact " + ContactLabel(card) +
                        " has been deleted from the address book and cannot be saved.");
        }
        FreezeCard(card);
        if (entry->file == nullptr) {
            entry->card = std::move(card);
            CreateFileFor(entry);
        } else {
            CardFile& file = *entry->file;
            RequireUnchanged(file);
            VCard old = std::exchange(entry->card, std::move(card));
            try {
                Rewrite(file);
            } catch (...) {
                entry->card = std::move(old);
                throw;
            }
        }
        ++entry->revision;
    }

    void Remove(const std::shared_ptr<CardEntry>& entry) {
        if (entry->deleted) return;
        if (entry->file != nullptr) RemoveFromFile(entry);
        entries_.erase(std::remove(entries_.begin(), entries_.end(), entry), entries_.end());
        entry->deleted = true;
        entry->file = nullptr;
        ++entry->revision;
    }

  private:
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
    std::vector<std::filesystem::path> CardFilePaths() const {
        std::vector<std::filesystem::path> paths;
        std::error_code error;
        for (auto it = std::filesystem::directory_iterator(folder_, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            std::error_code typeError;
            if (it->is_regular_file(typeError) && IsCardFileName(it->path())) {
                paths.push_back(it->path());
            }
        }
        if (error) {
            throw Error("The address book folder " + folder_.string() +
                        " could not be read: " + error.message() + ".");
        }
        std::sort(paths.begin(), paths.end(), [](const auto& a, const auto& b) {
            return a.filename().string() < b.filename().string();
        });
        return paths;
    }

    void LoadFile(const std::filesystem::path& path) {
        auto file = std::make_unique<CardFile>();
        file->path = path;
        file->bytesOnDisk = ReadWholeFile(path);
        VCardFileContent content = ParseVCardFile(file->bytesOnDisk, path);
        file->gaps = std::move(content.gaps);
        for (VCard& card : content.cards) {
            CheckMappedValues(card, path);
            auto entry = std::make_shared<CardEntry>();
            entry->card = std::move(card);
            entry->file = file.get();
            file->cards.push_back(entry);
            entries_.push_back(entry);
        }
        files_.push_back(std::move(file));
    }

    // Another program's change since we read the file is never overwritten.
    static void RequireUnchanged(const CardFile& file) {
        std::error_code error;
        if (!std::filesystem::exists(file.path, error)) {
            throw Error("The contact file " + file.path.string() +
                        " was removed by another program after it was read; nothing was "
                        "written to it. Please run the synchronization again.");
        }
        if (ReadWholeFile(file.path) != file.bytesOnDisk) {
            throw Error("The contact file " + file.path.string() +
                        " was changed by another program after it was read; it was not "
                        "overwritten. Please run the synchronization again.");
        }
    }

    static void Rewrite(CardFile& file) {
        const std::string text = file.Text();
        WriteFileAtomically(file.path, text);
        file.bytesOnDisk = text;
    }

    void CreateFileFor(const std::shared_ptr<CardEntry>& entry) {
        std::string uid;
        std::filesystem::path path;
        std::error_code error;
        do {
            uid = NewUid();
            path = folder_ / (uid + ".vcf");
        } while (std::filesystem::exists(path, error));
        SetCardUid(entry->card, uid);
        FreezeCard(entry->card);
        auto file = std::make_unique<CardFile>();
        file->path = path;
        file->gaps = {"", ""};
        file->cards = {entry};
        file->bytesOnDisk = file->Text();
        WriteFileAtomically(path, file->bytesOnDisk, true);
        entry->file = file.get();
        files_.push_back(std::move(file));
        entries_.push_back(entry);
    }

    void RemoveFromFile(const std::shared_ptr<CardEntry>& entry) {
        CardFile& file = *entry->file;
        RequireUnchanged(file);
        if (file.cards.size() == 1) {
            std::error_code error;
            std::filesystem::remove(file.path, error);
            if (error) {
                throw Error("The contact file " + file.path.string() +
                            " could not be deleted: " + error.message() + ".");
            }
            files_.erase(std::find_if(files_.begin(), files_.end(),
                                      [&](const auto& f) { return f.get() == &file; }));
            return;
        }
        const auto cardsBefore = file.cards;
        const auto gapsBefore = file.gaps;
        const auto at = static_cast<std::size_t>(
            std::find(file.cards.begin(), file.cards.end(), entry) - file.cards.begin());
        file.cards.erase(file.cards.begin() + static_cast<std::ptrdiff_t>(at));
        file.gaps[at] += file.gaps[at + 1];
        file.gaps.erase(file.gaps.begin() + static_cast<std::ptrdiff_t>(at) + 1);
        try {
            Rewrite(file);
        } catch (...) {
            file.cards = cardsBefore;
            file.gaps = gapsBefore;
            throw;
        }
    }

    std::filesystem::path folder_;
    std::vector<std::unique_ptr<CardFile>> files_;
    std::vector<std::shared_ptr<CardEntry>> entries_;
};

// A contact of the folder. Changes are kept as a list of field writes and
// applied to the card as it stands when the item is saved.
class VCardContact final : public ContactItem {
  public:
    VCardContact(std::shared_ptr<Session> session, std::shared_ptr<CardEntry> entry)
        : session_(std::move(session)), entry_(std::move(entry)) {}

    std::string Get(ContactField field) const override { return ReadContactField(View(), field); }

    void Set(ContactField field, std::string_view value) override {
        WriteContactField(MutableView(), field, value);
        pending_.emplace_back(field, std::string(value));
    }

    void Save() override {
        VCard next = entry_->card;
        for (const auto& [field, value] : pending_)
            WriteContactField(next, field, value);
        if (next.dirty || entry_->file == nullptr || entry_->deleted) {
            session_->Save(entry_, std::move(next));
        }
        pending_.clear();
        view_.reset();
    }

    void Delete() override {
        session_->Remove(entry_);
        pending_.clear();
        view_.reset();
    }

  private:
    VCard& MutableView() const {
        if (!view_ || viewRevision_ != entry_->revision) {
            view_ = entry_->card;
            for (const auto& [field, value] : pending_)
                WriteContactField(*view_, field, value);
            viewRevision_ = entry_->revision;
        }
        return *view_;
    }
    const VCard& View() const { return MutableView(); }

    std::shared_ptr<Session> session_;
    std::shared_ptr<CardEntry> entry_;
    std::vector<std::pair<ContactField, std::string>> pending_;
    mutable std::optional<VCard> view_;
    mutable unsigned viewRevision_ = 0;
};

class VCardItems final : public OutlookItems {
  public:
    VCardItems(std::shared_ptr<Session> session, std::vector<std::shared_ptr<CardEntry>> entries)
        : session_(std::move(session)), entries_(std::move(entries)) {}

    int Count() const override { return static_cast<int>(entries_.size()); }

  protected:
    std::unique_ptr<OutlookItem> ItemAt(int index) override {
        const auto& entry = entries_[static_cast<std::size_t>(index - 1)];
        if (IsDistributionList(entry->card)) return std::make_unique<OtherItem>(kDistListItemType);
        return std::make_unique<VCardContact>(session_, entry);
    }

  private:
    std::shared_ptr<Session> session_;
    std::vector<std::shared_ptr<CardEntry>> entries_;
};

class VCardFolder final : public OutlookFolder {
  public:
    explicit VCardFolder(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    std::unique_ptr<OutlookItems> Items() override {
        return std::make_unique<VCardItems>(session_, session_->Entries());
    }

  private:
    std::shared_ptr<Session> session_;
};

class VCardApplication final : public OutlookApplication {
  public:
    explicit VCardApplication(const std::filesystem::path& folder)
        : session_(std::make_shared<Session>(folder)), folder_(session_) {}

    OutlookFolder& GetDefaultContactsFolder() override { return folder_; }

    std::unique_ptr<ContactItem> CreateContactItem() override {
        auto entry = std::make_shared<CardEntry>();
        entry->card = NewContactCard();
        return std::make_unique<VCardContact>(session_, std::move(entry));
    }

    // Everything is on disk after each save; the session holds nothing else.
    void Logoff() override {}

  private:
    std::shared_ptr<Session> session_;
    VCardFolder folder_;
};

}  // namespace

std::unique_ptr<OutlookApplication> MakeVCardFolderApplication(
    const std::filesystem::path& folder) {
    return std::make_unique<VCardApplication>(folder);
}

OutlookApplicationFactory VCardFolderApplicationFactory(std::filesystem::path folder) {
    return [folder = std::move(folder)] { return MakeVCardFolderApplication(folder); };
}

}  // namespace velmora
