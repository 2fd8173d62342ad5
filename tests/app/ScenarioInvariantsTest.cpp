#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "bench/ScenarioInvariants.h"
#include "support/EngineFixtures.h"

namespace velmora {
namespace {

using scenarios::CheckInvariants;
using scenarios::LoadedStores;
using test::ParseSet;
using Violations = std::vector<std::string>;

// Three stores from the compact record form ("id:name:flag:kind=number/speed").
LoadedStores Stores(std::string_view addressBook, std::string_view phoneBook,
                    std::string_view sync) {
    return LoadedStores{ParseSet(addressBook), ParseSet(phoneBook), ParseSet(sync)};
}

// The same contacts in all three stores.
LoadedStores Agreed(std::string_view contacts) {
    return Stores(contacts, contacts, contacts);
}

constexpr std::string_view kAnnAndBob = "1:Ann::M=5551/1 | 2:Bob::H=5552/2";

// The checks pass for a run that did what the edits asked and fail, naming
// the contact, for each way a run can go wrong.
TEST(ScenarioInvariantsTest, NamesEachWayARunGoesWrong) {
    const LoadedStores agreed = Agreed(kAnnAndBob);
    // The address book changed Ann's mobile number (speed dials stay in the
    // tag), the phone book deleted Bob and added Cy.
    const LoadedStores edited = Stores("1:Ann::M=5559/1 | 2:Bob::H=5552/2",
                                       "1:Ann::M=5551/1 | 7:Cy::W1=5557/3", kAnnAndBob);
    EXPECT_EQ(CheckInvariants(agreed, edited, Agreed("1:Ann::M=5559/1 | 7:Cy::W1=5557/3")),
              Violations{});

    const auto firstViolation = [&](std::string_view after) {
        const Violations violations = CheckInvariants(agreed, edited, Agreed(after));
        return violations.empty() ? std::string("(none)") : violations.front();
    };
    EXPECT_EQ(firstViolation("1:Ann::M=5559/1"),
              "new contact 7:Cy:Work1=5557/3 is missing after the run");
    EXPECT_EQ(firstViolation("1:Ann::M=5559/1 | 2:Bob::H=5552/2 | 7:Cy::W1=5557/3"),
              "contact 2:Bob:Home=5552/2, deleted on one side, is still there");
    EXPECT_EQ(firstViolation("1:Ann::M=5551/1 | 7:Cy::W1=5557/3"),
              "contact 1:Ann:Mobile=5551/1 ends as 1:Ann:Mobile=5551/1, expected the address "
              "book's 1:Ann:Mobile=5559/1");
    EXPECT_EQ(firstViolation("1:Ann::M=5559/1 | 7:Cy::W1=5557/"),
              "the phone book's work number of 7:Cy:Work1=5557/ has no speed dial");

    // The stores disagree.
    EXPECT_EQ(CheckInvariants(agreed, edited,
                              Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/3",
                                     "1:Ann::M=5559/1 | 7:Cy::W1=5557/3", "1:Ann::M=5559/1"))
                  .front(),
              "the address book holds 7:Cy:Work1=5557/3, the sync database does not");
    EXPECT_EQ(CheckInvariants(
                  agreed, edited,
                  Stores("1:Ann::M=5559/4 | 7:Cy::W1=5557/3", "1:Ann::M=5559/1 | 7:Cy::W1=5557/3",
                         "1:Ann::M=5559/1 | 7:Cy::W1=5557/3"))
                  .front(),
              "the address book holds 1:Ann:Mobile=5559/4, the phone book 1:Ann:Mobile=5559/1");
}

// A speed dial the run hands out must be free; one the phone book already
// gave to two numbers may stay shared.
TEST(ScenarioInvariantsTest, SharedSpeedDials) {
    const LoadedStores agreed = Agreed(kAnnAndBob);
    // The address book added a home number to Ann.
    const LoadedStores added =
        Stores("1:Ann::H=5553/,M=5551/1 | 2:Bob::H=5552/2", kAnnAndBob, kAnnAndBob);
    EXPECT_EQ(CheckInvariants(agreed, added, Agreed("1:Ann::H=5553/3,M=5551/1 | 2:Bob::H=5552/2")),
              Violations{});
    EXPECT_EQ(CheckInvariants(agreed, added, Agreed("1:Ann::H=5553/2,M=5551/1 | 2:Bob::H=5552/2")),
              Violations{"speed dial 2 is shared after the run by 1 Home 2 Home"});

    // The phone book moved Bob's home number onto Ann's speed dial.
    const LoadedStores moved = Stores(kAnnAndBob, "1:Ann::M=5551/1 | 2:Bob::H=5552/1", kAnnAndBob);
    EXPECT_EQ(CheckInvariants(agreed, moved, Agreed("1:Ann::M=5551/1 | 2:Bob::H=5552/1")),
              Violations{});
}

}  // namespace
}  // namespace velmora
