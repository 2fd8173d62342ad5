#pragma once

#include <cstdint>
#include <filesystem>

#include "run/Settings.h"

namespace velmora {

class DatabaseEngine;

// What the sample data set holds.
struct DemoSummary {
    int sharedContacts = 0;       // on both sides, matched by name on the first run
    int phoneBookOnly = 0;        // only in the phone book
    int addressBookMarked = 0;    // only in the address book, marked to take part
    int addressBookUnmarked = 0;  // in the address book, not taking part
    int distributionLists = 0;
    std::filesystem::path phoneBookPath;
    std::filesystem::path contactsPath;
};

// Creates a sample phone book at the settings' PhoneBookPath (with columns of
// the phone manager's own beside the ones Velmora uses) and a sample address
// book of vCard files in ContactsPath: realistic names, fictional numbers and
// e-mail addresses, some contacts on both sides and some on one only. The
// same seed gives the same sample. Refuses, with an error naming the path,
// when the phone book or sync database exists or the address book folder
// holds anything: the demo never touches real data.
DemoSummary CreateDemoData(const Settings& settings, int contacts, std::uint32_t seed,
                           DatabaseEngine& engine);

}  // namespace velmora
