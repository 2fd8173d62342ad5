#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/ContactFilter.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

// Which contacts a filter matches: "and" binds closer than "or", parentheses
// group, blanks are optional, words and field names ignore letter case and
// are only text inside a value; values compare ignoring case; a quote inside
// a value is written doubled.
TEST(ContactFilterTest, Matches) {
    InMemoryAddressBook book;
    const auto application = book.MakeApplication();
    const std::tuple<std::string, std::string, bool> cases[] = {
        // filter, contact, matches
        {"[User3]='1' OR [User3]='2' And [User2]='Y'", "User3=1; User2=N", true},
        {"[User3]='1' OR [User3]='2' And [User2]='Y'", "User3=2; User2=N", false},
        {"[User2]='Y' and [User3]='1' or [User3]='2'", "User3=2; User2=N", true},
        {"([User3]='1' or [User3]='2')and[user2]='Y'", "User3=1; User2=N", false},
        {"(([FILEAS] = 'tom AND jerry'))", "FileAs=Tom and Jerry", true},
        {"[FileAs] = 'ÉMILE'", "FileAs=émile", true},
        {"[FileAs] = 'Emile'", "FileAs=Émile", false},
        {"[User3] = ''", "", true},
        {"[FileAs] ='" + QuoteFilterValue("O'Brien, D''Arcy") + "'", "FileAs=o'brien, d''arcy",
         true},
        {"[FileAs] = \"say \"\"hi\"\"\"", "FileAs=say \"hi\"", true},
    };
    for (const auto& [filter, fields, matches] : cases) {
        auto contact = application->CreateContactItem();
        for (const auto& [field, value] : test::ParseFields(fields))
            contact->Set(field, value);
        EXPECT_EQ(ContactFilter::Parse(filter).Matches(*contact), matches) << filter;
    }
}

// A filter that does not parse is refused with an error naming it.
TEST(ContactFilterTest, RefusesWhatItCannotRead) {
    for (const std::string filter :
         {"", "[User3]", "[User3] = 1", "[User3] = '1", "([User3] = '1'", "[User3] = '1')",
          "[User3] = '1' and", "[Bogus] = '1'", "[User3 = '1'", "[User3] = '1' xor [User2]='Y'",
          "[User3] = '1' andnot [User2] = 'Y'", "User3 = '1'", "[O'Brien] = 'x'"}) {
        EXPECT_THAT([&] { ContactFilter::Parse(filter); },
                    ::testing::ThrowsMessage<Error>(
                        ::testing::StartsWith("The search filter " + filter + " cannot be read")));
    }
}

}  // namespace
}  // namespace velmora
