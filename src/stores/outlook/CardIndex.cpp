#include "stores/outlook/CardIndex.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <type_traits>

#include "util/AtomicFile.h"

namespace velmora {

namespace {

constexpr std::string_view kMagic = "Velmora card index\n";
// Raised whenever the layout changes or cards' fields are read differently:
// the index holds the fields as the build that wrote it read them.
constexpr std::uint32_t kVersion = 3;

// Timestamps of file systems are as fine as a second (2 s on FAT); a file
// must have changed longer ago than that before its stamp is trusted alone.
constexpr std::int64_t kTimestampGrainNs = 2'000'000'000;

// The checksum at the end of the index covers its body in parts of this
// size, so that the index can be written as it is made.
constexpr std::size_t kPartBytes = 64 * 1024;
constexpr std::uint64_t kChecksumSeed = 0x9e3779b97f4a7c15ULL;

std::uint64_t AddToChecksum(std::uint64_t checksum, std::string_view part) {
    return (checksum ^ static_cast<std::uint64_t>(ContentHash(part))) * 0x100000001b3ULL;
}

std::uint64_t ChecksumOf(std::string_view body) {
    std::uint64_t checksum = kChecksumSeed;
    for (std::size_t at = 0; at < body.size(); at += kPartBytes)
        checksum = AddToChecksum(checksum, body.substr(at, kPartBytes));
    return checksum;
}

// The index is written and read on one machine by one program, so numbers
// go in their native form; the header's hash of a known text refuses an
// index made by a build whose content hash differs.
class Writer {
  public:
    explicit Writer(std::string& bytes) : bytes_(bytes) {}

    template <typename Number>
    requires std::is_integral_v<Number>
    void Put(Number value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
    void Put(std::string_view text) {
        Put(static_cast<std::uint32_t>(text.size()));
        bytes_.append(text);
    }

  private:
    std::string& bytes_;
};

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    template <typename Number>
    requires std::is_integral_v<Number>
    bool Get(Number& value) {
        if (bytes_.size() - at_ < sizeof value) return false;
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return true;
    }
    bool Get(std::string& text) {
        std::string_view view;
        if (!Get(view)) return false;
        text.assign(view);
        return true;
    }
    // A text as it lies in the bytes read.
    bool Get(std::string_view& text) {
        std::uint32_t size = 0;
        if (!Get(size) || bytes_.size() - at_ < size) return false;
        text = bytes_.substr(at_, size);
        at_ += size;
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

void PutStamp(Writer out, const FileStamp& stamp) {
    out.Put(stamp.device);
    out.Put(stamp.inode);
    out.Put(stamp.size);
    out.Put(stamp.modifiedNs);
    out.Put(stamp.changedNs);
    out.Put(static_cast<std::uint64_t>(stamp.contentHash));
}

bool GetStamp(Reader& in, FileStamp& stamp) {
    std::uint64_t hash = 0;
    const bool read = in.Get(stamp.device) && in.Get(stamp.inode) && in.Get(stamp.size) &&
                      in.Get(stamp.modifiedNs) && in.Get(stamp.changedNs) && in.Get(hash);
    stamp.contentHash = static_cast<std::size_t>(hash);
    return read;
}

std::uint64_t HashProbe() {
    return ContentHash("Velmora card index");
}

}  // namespace

bool CardIndex::StampVouches(const IndexedFile& recorded, const FileStamp& now) {
    return recorded.stamp.SameFileAs(now) && recorded.stamp.changedNs == now.changedNs &&
           now.changedNs < recorded.settledBeforeNs;
}

std::int64_t CardIndex::SettledBeforeNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - kTimestampGrainNs;
}

const IndexedFile* CardIndex::Find(const std::string& name) const {
    const auto found = files_.find(name);
    return found == files_.end() ? nullptr : &found->second;
}

IndexedFile CardIndex::Take(const std::string& name) {
    return std::move(files_.at(name));
}

void CardIndex::Put(std::string name, IndexedFile file) {
    files_.insert_or_assign(std::move(name), std::move(file));
}

bool CardIndex::Save(const std::filesystem::path& file, const std::filesystem::path& folder) const {
    try {
        CardIndexWriter out(file, folder, files_.size());
        for (const auto& [name, indexed] : files_) {
            out.AddFile(name, indexed.stamp, indexed.settledBeforeNs, indexed.cards.size());
            for (const IndexedCard& card : indexed.cards)
                out.AddCard(card);
        }
        out.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

CardIndexWriter::CardIndexWriter(const std::filesystem::path& file,
                                 const std::filesystem::path& folder, std::size_t files)
    : out_(file), checksum_(kChecksumSeed) {
    part_.reserve(2 * kPartBytes);
    Writer out(part_);
    out.Put(kMagic);
    out.Put(kVersion);
    out.Put(HashProbe());
    out.Put(folder.native());
    out.Put(static_cast<std::uint64_t>(files));
}

void CardIndexWriter::AddFile(std::string_view name, const FileStamp& stamp,
                              std::int64_t settledBeforeNs, std::size_t cards) {
    Writer out(part_);
    out.Put(name);
    PutStamp(out, stamp);
    out.Put(settledBeforeNs);
    out.Put(static_cast<std::uint32_t>(cards));
    WriteFullParts();
}

void CardIndexWriter::AddCard(const IndexedCard& card) {
    Writer out(part_);
    out.Put(static_cast<std::uint8_t>((card.isContact ? 1 : 0) | (card.ownFileAs ? 2 : 0)));
    for (std::size_t f = 0; f < kContactFieldCount; ++f)
        out.Put(card.fields[f]);
    WriteFullParts();
}

void CardIndexWriter::WriteFullParts() {
    if (part_.size() < kPartBytes) return;
    std::size_t at = 0;
    for (; part_.size() - at >= kPartBytes; at += kPartBytes) {
        const std::string_view part(part_.data() + at, kPartBytes);
        checksum_ = AddToChecksum(checksum_, part);
        out_.Append(part);
    }
    part_.erase(0, at);
}

void CardIndexWriter::Commit() {
    if (!part_.empty()) checksum_ = AddToChecksum(checksum_, part_);
    Writer(part_).Put(checksum_);
    out_.Append(part_);
    out_.Commit(Durability::Cached);
}

CardIndex CardIndex::Load(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(file);
    } catch (const std::exception&) {
        return {};
    }
    constexpr std::size_t kChecksum = sizeof(std::uint64_t);
    if (bytes.size() < kChecksum) return {};
    const std::string_view body(bytes.data(), bytes.size() - kChecksum);
    std::uint64_t checksum = 0;
    std::memcpy(&checksum, bytes.data() + body.size(), kChecksum);
    if (checksum != ChecksumOf(body)) return {};

    Reader in(body);
    std::string magic, folderText;
    std::uint32_t version = 0;
    std::uint64_t probe = 0, count = 0;
    if (!in.Get(magic) || magic != kMagic || !in.Get(version) || version != kVersion ||
        !in.Get(probe) || probe != HashProbe() || !in.Get(folderText) ||
        folderText != folder.native() || !in.Get(count)) {
        return {};
    }
    CardIndex index;
    // Room for every record at once, as many as the body could hold.
    constexpr std::size_t kLeastRecordBytes = 32;
    index.files_.reserve(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, body.size() / kLeastRecordBytes)));
    for (std::uint64_t f = 0; f < count; ++f) {
        std::string name;
        IndexedFile indexed;
        std::uint32_t cards = 0;
        if (!in.Get(name) || !GetStamp(in, indexed.stamp) || !in.Get(indexed.settledBeforeNs) ||
            !in.Get(cards) || cards > body.size()) {
            return {};
        }
        indexed.cards.resize(cards);
        for (IndexedCard& card : indexed.cards) {
            std::uint8_t flags = 0;
            if (!in.Get(flags)) return {};
            card.isContact = (flags & 1) != 0;
            card.ownFileAs = (flags & 2) != 0;
            std::array<std::string_view, kContactFieldCount> fields;
            for (std::string_view& field : fields) {
                if (!in.Get(field)) return {};
            }
            card.fields.Assign(fields);
        }
        index.Put(std::move(name), std::move(indexed));
    }
    // Returned by name, so that it is moved rather than copied.
    if (!in.AtEnd()) return {};
    return index;
}

}  // namespace velmora
