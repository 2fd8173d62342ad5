#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <absl/container/flat_hash_map.h>

#include "model/PackedTexts.h"
#include "stores/outlook/FileBatch.h"
#include "stores/outlook/OutlookPort.h"
#include "util/AtomicFile.h"

namespace velmora {

// Every field of a card as the address book reads it, by ContactField, in
// one text: a folder's cards hold hundreds of thousands of fields, nearly
// all short or empty. Held as a string each, loading them from the card
// index took 60 million instructions at 10 000 cards; in one text, 35.
using CardFields = PackedTexts<kContactFieldCount>;

// One card as a run read it.
struct IndexedCard {
    bool isContact = true;
    bool ownFileAs = false;  // the card has a line of its own for the file-as text
    CardFields fields;
};

// One card file as a run last read or wrote it.
struct IndexedFile {
    FileStamp stamp;  // with the hash of the bytes the cards were read from
    // The stamp alone vouches for the bytes only if the file's ctime is
    // before this moment: a change within the file system's timestamp
    // granularity of the reading could leave the stamp as it was.
    std::int64_t settledBeforeNs = 0;
    std::vector<IndexedCard> cards;
};

// What the cards of a folder said when a run last read or wrote them, kept
// between runs so that a file shown unchanged by its stamp, or by its bytes,
// is not parsed again. It is only a cache: a missing, damaged or foreign
// index file reads as empty, and a failure to store one costs the next run
// time, nothing else.
class CardIndex {
  public:
    // The index kept in `file` for the cards of `folder`; empty when there is
    // none that can be used.
    static CardIndex Load(const std::filesystem::path& file, const std::filesystem::path& folder);

    // Whether the stamp of a file, taken now, vouches for its recorded bytes.
    static bool StampVouches(const IndexedFile& recorded, const FileStamp& now);
    // The moment before which a file read now must have last changed for its
    // stamp to vouch for it next time.
    static std::int64_t SettledBeforeNow();

    const IndexedFile* Find(const std::string& name) const;
    // Moves a file's record out of the index (it must be there).
    IndexedFile Take(const std::string& name);
    void Put(std::string name, IndexedFile file);
    std::size_t Size() const { return files_.size(); }

    // Writes the index atomically; false when it could not be written (it is
    // a cache: the failure costs the next run time only).
    bool Save(const std::filesystem::path& file, const std::filesystem::path& folder) const;

  private:
    // A flat table: a run looks every card file up in it.
    absl::flat_hash_map<std::string, IndexedFile> files_;
};

// Writes an index file record by record, from whatever holds the cards: a
// folder of ten thousand cards gathered into a CardIndex first cost a run
// that writes a copy of every card's fields.
class CardIndexWriter {
  public:
    // Starts the index `file` of `files` files for the cards of `folder`, in
    // a temporary file beside it. It is written in parts as the records come:
    // held whole, the index of a first run's ten thousand cards (3 MB) raised
    // the run's peak of memory. Failures throw velmora::Error.
    CardIndexWriter(const std::filesystem::path& file, const std::filesystem::path& folder,
                    std::size_t files);

    // A file's record; its `cards` cards follow.
    void AddFile(std::string_view name, const FileStamp& stamp, std::int64_t settledBeforeNs,
                 std::size_t cards);
    void AddCard(const IndexedCard& card);

    // Puts the index in its place once all records are added. It is not
    // flushed to the disk: written after the cards it describes are there, it
    // can only lag behind them after a crash, and a file it no longer
    // describes is read.
    void Commit();

  private:
    void WriteFullParts();

    AtomicFileWriter out_;
    std::string part_;  // not yet written
    std::uint64_t checksum_;
};

}  // namespace velmora
