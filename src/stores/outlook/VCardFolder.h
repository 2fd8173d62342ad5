#pragma once

#include <filesystem>
#include <memory>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// The address book as a folder of vCard files. The items are the cards of the
// folder's *.vcf files in file-name order (cards of one file in their order).
// The folder is read once, when the book is opened: a folder that is missing,
// or a card that cannot be read, throws velmora::Error naming the folder, or
// the file and line.
//
// SaveChanges writes each changed file once, atomically, leaving the file's
// other cards as they were, and refuses a file that another program changed
// since it was read (the card is reported, nothing is written to it). A new
// card gets a fresh UID and the file <UID>.vcf.
//
// With an index file (a CardIndex), a file whose stamp or bytes show it as
// the index recorded it is not parsed; its cards are read from the index
// until one of them is written. Saving brings the index up to date. Any
// other file is parsed for its cards' fields, and its bytes are kept to be
// parsed again when a card of it is written: a card's lines are held only
// while it is being written.
//
// Opened to check only (a preview), SaveChanges writes nothing, neither the
// cards nor the index, and reports the cards a save would refuse as it
// would (see CheckFileChanges).
enum class SaveMode { Store, CheckOnly };

std::unique_ptr<AddressBook> OpenVCardFolder(const std::filesystem::path& folder,
                                             const std::filesystem::path& indexFile = {},
                                             SaveMode saveMode = SaveMode::Store);

// An opener of the folder, for the stages.
AddressBookOpener VCardFolderOpener(std::filesystem::path folder,
                                    std::filesystem::path indexFile = {},
                                    SaveMode saveMode = SaveMode::Store);

}  // namespace velmora
