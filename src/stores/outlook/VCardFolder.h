#pragma once

#include <filesystem>
#include <memory>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// The address book as a folder of vCard files. The items are the cards of the
// folder's *.vcf files in file-name order (cards of one file in their order),
// then the cards created in the session. The folder is read when the
// application is made: a folder that is missing, or a card that cannot be
// read, throws velmora::Error naming the folder, or the file and line.
//
// Saving rewrites the card's file atomically, leaving the file's other cards
// as they were, and refuses (with an error naming the file) when another
// program changed the file since it was read. A new card gets a fresh UID and
// the file <UID>.vcf.
std::unique_ptr<OutlookApplication> MakeVCardFolderApplication(const std::filesystem::path& folder);

// A factory of such applications, for the stages.
OutlookApplicationFactory VCardFolderApplicationFactory(std::filesystem::path folder);

}  // namespace velmora
