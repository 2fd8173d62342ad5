#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "stores/outlook/CardIndex.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

struct IndexedFolder {
    IndexedFolder() {
        test::WriteFileBytes(folder / "01.vcf",
                             test::MakeCard({"FN:Ann Lee", "TEL;TYPE=cell:5550101"}));
        test::WriteFileBytes(folder / "02.vcf",
                             test::MakeCard({"FN:Bob Ray", "TEL;TYPE=cell:5550202"}) +
                                 test::MakeCard({"FN:Cy Ode", "TEL;TYPE=cell:5550303"}));
        OpenVCardFolder(folder, index)->SaveChanges();
    }
    std::unique_ptr<AddressBook> Open() const { return OpenVCardFolder(folder, index); }
    std::string Stored() const { return test::RenderAddressBook(*OpenVCardFolder(folder)); }

    // The index records `mobile` for the file under a settled stamp.
    void RecordAsSettled(const std::string& name, const std::string& mobile) const {
        CardIndex recorded = CardIndex::Load(index, folder);
        IndexedFile file = recorded.Take(name);
        file.settledBeforeNs = INT64_MAX;
        file.stamp.contentHash ^= 1;
        CardFields& fields = file.cards.front().fields;
        std::array<std::string, kContactFieldCount> values;
        std::array<std::string_view, kContactFieldCount> views;
        for (std::size_t f = 0; f < kContactFieldCount; ++f)
            views[f] = values[f] = std::string(fields[f]);
        views[static_cast<std::size_t>(F::MobileTelephoneNumber)] = mobile;
        fields.Assign(views);
        recorded.Put(name, file);
        ASSERT_TRUE(recorded.Save(index, folder));
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "Contacts";
    std::filesystem::path index = dir / "cards.index";
};

// A settled stamp is trusted until the file's time changes; an unsettled one is not.
TEST(CardIndex, TrustsAStampOnlyWhileItIsUnchangedAndSettled) {
    IndexedFolder f;
    test::WriteFileBytes(f.folder / "02.vcf",
                         test::MakeCard({"FN:Bob Ray", "TEL;TYPE=cell:5550299"}) +
                             test::MakeCard({"FN:Cy Ode", "TEL;TYPE=cell:5550303"}));
    EXPECT_EQ(f.Open()->Get(2, F::MobileTelephoneNumber), "5550299");  // same size
    f.RecordAsSettled("01.vcf", "1234567");
    EXPECT_EQ(f.Open()->Get(1, F::MobileTelephoneNumber), "1234567");

    const auto folder01 = f.folder / "01.vcf";
    std::filesystem::last_write_time(
        folder01, std::filesystem::last_write_time(folder01) - std::chrono::seconds(10));
    EXPECT_EQ(f.Open()->Get(1, F::MobileTelephoneNumber), "5550101");
}

// Every file a save wrote is trusted by its stamp from then on, those
// swapped in during the folder's last tick of the clock too, and no longer
// once it is rewritten in place, even to the same size and with its mtime
// put back: the first of many, swapped in well before the folder's last
// change, and the last.
TEST(CardIndex, TrustsTheFilesASaveWroteUntilOneIsRewritten) {
    test::TempDir dir;
    const auto folder = dir / "Contacts";
    const auto index = dir / "cards.index";
    const auto name = [](int i) { return "c" + std::to_string(10000 + i) + ".vcf"; };
    for (int i = 0; i < 1100; ++i) {
        test::WriteFileBytes(folder / name(i), test::MakeCard({"FN:Card " + std::to_string(i),
                                                               "TEL;TYPE=cell:5550101"}));
    }
    {
        const auto book = OpenVCardFolder(folder, index);
        for (CardHandle card = 1; card <= book->Count(); ++card)
            book->Set(card, F::MobileTelephoneNumber, "5550111");
        ASSERT_TRUE(book->SaveChanges().empty());
    }
    const CardIndex saved = CardIndex::Load(index, folder);
    for (int i = 0; i < 1100; ++i) {
        ASSERT_NE(saved.Find(name(i)), nullptr);
        EXPECT_GT(saved.Find(name(i))->settledBeforeNs, 0) << name(i);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1100);

    for (const int i : {0, 1099}) {
        const auto card = folder / name(i);
        const auto written = std::filesystem::last_write_time(card);
        std::string bytes = test::ReadFileBytes(card);
        bytes.replace(bytes.find("5550111"), 7, "5550199");
        test::WriteFileBytes(card, bytes);
        std::filesystem::last_write_time(card, written);
    }
    const auto book = OpenVCardFolder(folder, index);
    EXPECT_EQ(book->Get(1, F::MobileTelephoneNumber), "5550199");
    EXPECT_EQ(book->Get(2, F::MobileTelephoneNumber), "5550111");
    EXPECT_EQ(book->Get(1100, F::MobileTelephoneNumber), "5550199");
}

// A damaged index is no index.
TEST(CardIndex, IgnoresADamagedIndex) {
    IndexedFolder f;
    const std::string stored = f.Stored();
    std::string bytes = test::ReadFileBytes(f.index);
    bytes[bytes.size() / 2] ^= 0x20;
    test::WriteFileBytes(f.index, bytes);
    EXPECT_EQ(test::RenderAddressBook(*f.Open()), stored);
    EXPECT_EQ(CardIndex::Load(f.index, f.folder).Size(), 0u);
    EXPECT_EQ(CardIndex::Load(f.dir / "missing", f.folder).Size(), 0u);
}

// An index written in parts as it is made reads back whole, leaves no
// temporary file, and damage to any of its parts makes it no index.
TEST(CardIndex, ReadsBackAnIndexWrittenInParts) {
    test::TempDir dir;
    const std::filesystem::path folder = dir / "Contacts";
    const std::filesystem::path file = dir / "cards.index";
    CardIndex written;
    const std::string address(200, 'a');
    for (int i = 0; i < 1000; ++i) {
        const std::string name = std::to_string(i);
        std::array<std::string_view, kContactFieldCount> fields{};
        fields[static_cast<std::size_t>(F::FullName)] = name;
        fields[static_cast<std::size_t>(F::Email1Address)] = address;
        IndexedFile indexed;
        indexed.cards.resize(1);
        indexed.cards.front().fields.Assign(fields);
        written.Put(name + ".vcf", std::move(indexed));
    }
    ASSERT_TRUE(written.Save(file, folder));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);

    const CardIndex read = CardIndex::Load(file, folder);
    EXPECT_EQ(read.Size(), 1000u);
    ASSERT_NE(read.Find("999.vcf"), nullptr);
    EXPECT_EQ(read.Find("999.vcf")->cards.front().fields[static_cast<std::size_t>(F::FullName)],
              "999");

    const std::string bytes = test::ReadFileBytes(file);
    ASSERT_GT(bytes.size(), 3u * 64 * 1024);
    for (const std::size_t at : {std::size_t{100}, bytes.size() / 2, bytes.size() - 9}) {
        std::string damaged = bytes;
        damaged[at] ^= 0x20;
        test::WriteFileBytes(file, damaged);
        EXPECT_EQ(CardIndex::Load(file, folder).Size(), 0u) << "damaged at " << at;
    }
}

// A card taken from the index is written with its file's others; the index follows.
TEST(CardIndex, WritesCardsTakenFromTheIndex) {
    IndexedFolder f;
    {
        const auto book = f.Open();
        book->Set(2, F::MobileTelephoneNumber, "5550222");
        book->Delete(3);
        EXPECT_TRUE(book->SaveChanges().empty());
    }
    EXPECT_EQ(f.Stored(),
              "FileAs=Ann Lee; FullName=Ann Lee; MobileTelephoneNumber=5550101\n"
              "FileAs=Bob Ray; FullName=Bob Ray; MobileTelephoneNumber=5550222\n");
    EXPECT_EQ(test::RenderAddressBook(*f.Open()), f.Stored());
    ASSERT_NE(CardIndex::Load(f.index, f.folder).Find("02.vcf"), nullptr);
    EXPECT_EQ(CardIndex::Load(f.index, f.folder).Find("02.vcf")->cards.size(), 1u);
}

}  // namespace
}  // namespace velmora
