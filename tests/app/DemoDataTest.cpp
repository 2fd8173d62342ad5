#include <gmock/gmock.h>

#include "app/DemoData.h"
#include "model/Error.h"
#include "stores/database/SqliteDatabase.h"
#include "support/StoreText.h"
#include "support/TempDir.h"

namespace velmora::scenarios {
namespace {

// A seed makes the same sample every time; existing data is refused by name.
TEST(DemoData, SampleFollowsItsSeedAndLeavesExistingDataAlone) {
    SqliteDatabaseEngine engine;
    test::TempDir dirs[3];
    const auto sample = [&](int folder, std::uint32_t seed) {
        SyncSession session(dirs[folder].Path(), DefaultStoreBackends());
        CreateDemoData(session.CurrentSettings(), 30, seed, engine);
        return session;
    };
    const SyncSession session(dirs[0].Path(), DefaultStoreBackends());
    const Settings settings = session.CurrentSettings();
    const DemoSummary made = CreateDemoData(settings, 30, 7, engine);
    EXPECT_EQ(std::vector({made.sharedContacts, made.phoneBookOnly,
                           made.addressBookMarked + made.addressBookUnmarked}),
              std::vector({12, 9, 9}));
    const StoreTexts stores = RenderStores(session);
    EXPECT_EQ(RenderStores(sample(1, 7)), stores);
    EXPECT_NE(RenderStores(sample(2, 8)).phoneBook, stores.phoneBook);
    EXPECT_THAT(RenderTable(engine, settings.PhoneBookPath, "tblContactList", {"Category"}),
                ::testing::HasSubstr("Business"));
    EXPECT_THAT(stores.addressBook, ::testing::HasSubstr("(distribution list)"));

    std::filesystem::remove_all(dirs[0].Path() / "Data");
    const std::pair<std::filesystem::path, std::filesystem::path> places[] = {
        {settings.ContactsPath / "mine.vcf", settings.ContactsPath},
        {settings.SyncPath, settings.SyncPath},
        {settings.PhoneBookPath, settings.PhoneBookPath}};
    for (const auto& [file, named] : places) {
        test::WriteFileBytes(file, "mine");
        EXPECT_THAT([&] { CreateDemoData(settings, 10, 1, engine); },
                    ::testing::ThrowsMessage<Error>(::testing::HasSubstr(named.string())));
        EXPECT_EQ(test::ReadFileBytes(file), "mine");
        std::filesystem::remove(file);
    }
    EXPECT_FALSE(std::filesystem::exists(settings.PhoneBookPath));
}

}  // namespace
}  // namespace velmora::scenarios
