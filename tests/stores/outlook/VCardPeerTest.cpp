#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

// Per card: name|family|given|numbers|addresses.
constexpr std::string_view kVobjectReader = R"(
import sys
import vobject
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    text = f.read()
for card in vobject.readComponents(text):
    n = card.n.value
    tels = ','.join(t.value for t in card.contents.get('tel', []))
    emails = ','.join(e.value for e in card.contents.get('email', []))
    print(card.fn.value, n.family, n.given, tels, emails, sep='|')
)";

// Fails the test when python3-vobject is missing.
std::string ReadWithVobject(const test::TempDir& dir, const std::string& cards) {
    test::WriteFileBytes(dir / "read.py", std::string(kVobjectReader));
    test::WriteFileBytes(dir / "cards.vcf", cards);
    const std::string command =
        "/usr/bin/python3 " + (dir / "read.py").string() + " " + (dir / "cards.vcf").string();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return "(python3 could not be started)";
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe.release());
    if (status != 0) output += "(python3 failed: is python3-vobject installed?)";
    return output;
}

// Another program reads the name, number and address Velmora wrote in each version.
TEST(VCardPeerTest, IndependentParserReadsWrittenCards) {
    // No comma: vobject reads 2.1 by 3.0's rules.
    const std::string name =
        "Änne Müller-Lüdenscheidt with a name long enough to need more than one line in a file";
    const test::FieldValues fields{{F::FullName, name},
                                   {F::LastName, "Müller-Lüdenscheidt"},
                                   {F::FirstName, "Änne"},
                                   {F::MobileTelephoneNumber, "+49 30 1234567"},
                                   {F::Email1Address, "änne@example.com"}};
    const std::vector<std::string> before{
        test::MakeCard({"FN:Ann", "N:;;;;", "TEL;CELL:555"}, "2.1"),
        test::MakeCard({"FN:Ann", "N:;;;;"}),
        test::MakeCard({"FN:Ann", "N:;;;;", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0101"}, "4.0")};
    std::string file;
    for (const std::string& text : before) {
        VCard card = std::move(ParseVCardFile(text, "card.vcf").cards.at(0));
        for (const auto& [field, value] : fields)
            WriteContactField(card, field, value);
        FreezeCard(card);
        file += CardText(card);
    }
    const std::string read = name + "|Müller-Lüdenscheidt|Änne|+49 30 1234567|änne@example.com\n";
    const std::string uri =
        name + "|Müller-Lüdenscheidt|Änne|tel:+49-30-1234567|änne@example.com\n";
    const test::TempDir dir;
    EXPECT_EQ(ReadWithVobject(dir, file), read + read + uri) << file;
}

}  // namespace
}  // namespace velmora
