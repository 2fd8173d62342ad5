#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/ContactFilter.h"
#include "stores/outlook/InMemoryOutlook.h"

namespace velmora {
namespace {

using F = ContactField;

class ContactFilterTest : public ::testing::Test {
  protected:
    // Whether the filter matches a contact holding the fields.
    bool Matches(std::string_view filter, const InMemoryAddressBook::Fields& fields) {
        auto contact = application->CreateContactItem();
        for (const auto& [field, value] : fields)
            contact->Set(field, value);
        return ContactFilter::Parse(filter).Matches(*contact);
    }

    InMemoryAddressBook book;
    std::unique_ptr<OutlookApplication> application = book.MakeApplication();
};

// The writer's own filters, with and without blanks around '='.
TEST_F(ContactFilterTest, WriterFilters) {
    const std::string tail = "' and ([User2] = 'Y' or [User2]='YES')";
    EXPECT_TRUE(Matches("[User3] ='12" + tail, {{F::User3, "12"}, {F::User2, "Y"}}));
    EXPECT_TRUE(Matches("[User3] ='12" + tail, {{F::User3, "12"}, {F::User2, "YES"}}));
    EXPECT_FALSE(Matches("[User3] ='12" + tail, {{F::User3, "12"}, {F::User2, "No"}}));
    EXPECT_FALSE(Matches("[User3] ='12" + tail, {{F::User3, "1"}, {F::User2, "Y"}}));
    EXPECT_FALSE(Matches("[Nickname]='Jo" + tail, {{F::User2, "y"}}));
    EXPECT_TRUE(Matches("[FullName]='Ann Lee" + tail, {{F::FullName, "Ann Lee"}, {F::User2, "y"}}));
}

// "and" binds closer than "or"; parentheses group; the words and field names
// ignore letter case and inside a value are only text.
TEST_F(ContactFilterTest, PrecedenceAndCase) {
    const std::string filter = "[User3]='1' OR [User3]='2' And [User2]='Y'";
    EXPECT_TRUE(Matches(filter, {{F::User3, "1"}, {F::User2, "N"}}));
    EXPECT_FALSE(Matches(filter, {{F::User3, "2"}, {F::User2, "N"}}));
    EXPECT_TRUE(Matches(filter, {{F::User3, "2"}, {F::User2, "y"}}));
    const std::string grouped = "([User3]='1' or [User3]='2')and[user2]='Y'";
    EXPECT_FALSE(Matches(grouped, {{F::User3, "1"}, {F::User2, "N"}}));
    EXPECT_TRUE(Matches("(([FILEAS] = 'tom AND jerry'))", {{F::FileAs, "Tom and Jerry"}}));
    EXPECT_TRUE(Matches("[FileAs] = 'ÉMILE'", {{F::FileAs, "émile"}}));
    EXPECT_FALSE(Matches("[FileAs] = 'Emile'", {{F::FileAs, "Émile"}}));
    EXPECT_TRUE(Matches("[User3] = ''", {}));
}

// A quote inside a value is written doubled, in single or double quotes.
TEST_F(ContactFilterTest, DoubledQuotes) {
    EXPECT_EQ(QuoteFilterValue("O'Brien"), "O''Brien");
    EXPECT_EQ(QuoteFilterValue("''"), "''''");
    EXPECT_EQ(QuoteFilterValue("plain"), "plain");
    const std::string filter = "[FileAs] ='" + QuoteFilterValue("O'Brien, D'Arcy") + "'";
    EXPECT_TRUE(Matches(filter, {{F::FileAs, "O'Brien, D'Arcy"}}));
    EXPECT_FALSE(Matches(filter, {{F::FileAs, "O"}}));
    EXPECT_TRUE(Matches("[FileAs] = \"say \"\"hi\"\"\"", {{F::FileAs, "say \"hi\""}}));
}

// A filter that does not parse is refused with an error naming it.
TEST_F(ContactFilterTest, RefusesWhatItCannotRead) {
    for (const std::string filter :
         {"", "[User3]", "[User3] = 1", "[User3] = '1", "([User3] = '1'", "[User3] = '1')",
          "[User3] = '1' and", "[Bogus] = '1'", "[User3 = '1'", "[User3] = '1' xor [User2]='Y'",
          "[User3] = '1' andnot [User2] = 'Y'", "User3 = '1'", "[O'Brien] = 'x'"}) {
        try {
            ContactFilter::Parse(filter);
            ADD_FAILURE() << "accepted: " << filter;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("The search filter " + filter + " cannot", 0),
                      0U)
                << error.what();
        }
    }
}

}  // namespace
}  // namespace velmora
