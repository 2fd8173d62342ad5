#include <gtest/gtest.h>

#include "bench/ScenarioInvariants.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using scenarios::LoadedStores;
using test::ParseSet;

// Three stores from the compact record form ("id:name:flag:kind=number/speed";
// a store given as "=" holds the address book's records).
LoadedStores Stores(std::string_view addressBook, std::string_view phoneBook = "=",
                    std::string_view sync = "=") {
    const auto same = [&](std::string_view set) { return set == "=" ? addressBook : set; };
    return LoadedStores{ParseSet(addressBook), ParseSet(same(phoneBook)), ParseSet(same(sync))};
}

// The checks of the randomised tests pass for a run that did what the edits
// asked, and fail, naming the contact, for each way a run can go wrong.
TEST(ScenarioInvariants, NameEachWayARunGoesWrong) {
    const std::string_view ann = "1:Ann::M=5551/1 | 2:Bob::H=5552/2";
    // The address book changed Ann's mobile number, the phone book deleted
    // Bob and added Cy.
    const LoadedStores changed =
        Stores("1:Ann::M=5559/1 | 2:Bob::H=5552/2", "1:Ann::M=5551/1 | 7:Cy::W1=5557/3", ann);
    // The address book added a home number to Ann; the phone book moved
    // Bob's home number onto Ann's speed dial.
    const LoadedStores added = Stores("1:Ann::H=5553/,M=5551/1 | 2:Bob::H=5552/2", ann, ann);
    const LoadedStores moved = Stores(ann, "1:Ann::M=5551/1 | 2:Bob::H=5552/1", ann);
    const std::tuple<const LoadedStores*, LoadedStores, std::string> cases[] = {
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/3"), ""},
        {&changed, Stores("1:Ann::M=5559/1"),
         "new contact 7:Cy:Work1=5557/3 is missing after the run"},
        {&changed, Stores("1:Ann::M=5559/1 | 2:Bob::H=5552/2 | 7:Cy::W1=5557/3"),
         "contact 2:Bob:Home=5552/2, deleted on one side, is still there"},
        {&changed, Stores("1:Ann::M=5551/1 | 7:Cy::W1=5557/3"),
         "contact 1:Ann:Mobile=5551/1 ends as 1:Ann:Mobile=5551/1, expected the address "
         "book's 1:Ann:Mobile=5559/1"},
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/"),
         "the phone book's work number of 7:Cy:Work1=5557/ has no speed dial"},
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/3", "=", "1:Ann::M=5559/1"),
         "the address book holds 7:Cy:Work1=5557/3, the sync database does not"},
        {&changed,
         Stores("1:Ann::M=5559/4 | 7:Cy::W1=5557/3", "1:Ann::M=5559/1 | 7:Cy::W1=5557/3",
                "1:Ann::M=5559/1 | 7:Cy::W1=5557/3"),
         "the address book holds 1:Ann:Mobile=5559/4, the phone book 1:Ann:Mobile=5559/1"},
        {&added, Stores("1:Ann::H=5553/3,M=5551/1 | 2:Bob::H=5552/2"), ""},
        {&added, Stores("1:Ann::H=5553/2,M=5551/1 | 2:Bob::H=5552/2"),
         "speed dial 2 is shared after the run by 1 Home 2 Home"},
        {&moved, Stores("1:Ann::M=5551/1 | 2:Bob::H=5552/1"), ""},
    };
    for (const auto& [edited, after, expected] : cases) {
        const auto violations = scenarios::CheckInvariants(Stores(ann), *edited, after);
        EXPECT_EQ(violations.empty() ? "" : violations.front(), expected);
    }
}

}  // namespace
}  // namespace velmora
