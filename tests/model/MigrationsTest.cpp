#include "ModelTestSupport.h"

#include "platform/sim/SimPng.h"

namespace tessane {
namespace {

using testing::makeApp;
using testing::makeWorkspace;
using testing::ModelTest;

class MigrationsTest : public ModelTest {
protected:
    // An app installed at `path`, and a record of it made through the registry.
    ManagedApp installed(const std::string& path, const std::string& bundleID, const std::string& name) {
        apps.installApp(path, {bundleID, name, std::nullopt});
        return AppRegistry(apps).makeManagedApp(path);
    }
};

TEST_F(MigrationsTest, OnlyIconsAbove200000BytesAreRerendered) {
    ManagedApp atLimit = installed("/Applications/A.app", "com.a", "A");
    atLimit.iconData = Bytes(200'000, 7);
    ManagedApp over = installed("/Applications/B.app", "com.b", "B");
    over.iconData = Bytes(200'001, 7);
    ManagedApp gone = makeApp("Gone", "com.gone");
    gone.iconData = Bytes(300'000, 7);
    ManagedApp noIcon = installed("/Applications/C.app", "com.c", "C");
    noIcon.iconData.reset();
    seed({makeWorkspace("W1", {atLimit, over}), makeWorkspace("W2", {gone, noIcon})});
    const int rendersBefore = apps.iconRenderCount();

    auto m = makeManager();
    const auto& list = m->workspaces().get();
    EXPECT_EQ(list[0].apps[0].iconData->size(), 200'000u);
    const auto size = sim::pngSize(*list[0].apps[1].iconData);
    EXPECT_EQ(size.width, 128u);
    EXPECT_EQ(size.height, 128u);
    EXPECT_FALSE(list[1].apps[0].iconData) << "not installed any more: dropped";
    EXPECT_FALSE(list[1].apps[1].iconData);
    EXPECT_EQ(apps.iconRenderCount() - rendersBefore, 1);
    EXPECT_EQ(logCount("[Tessane] Migrated oversized app icons to small PNGs; re-persisting workspaces."), 1u);
    EXPECT_EQ(stored(), list) << "the repaired list is stored";
}

TEST_F(MigrationsTest, AnIconThatCannotBeRenderedBecomesNil) {
    ManagedApp app = installed("/Applications/A.app", "com.a", "A");
    app.iconData = Bytes(250'000, 1);
    apps.setIconRenders("/Applications/A.app", false);
    seed({makeWorkspace("W", {app})});
    auto m = makeManager();
    EXPECT_FALSE(m->workspaces().get()[0].apps[0].iconData);
    EXPECT_FALSE(stored()[0].apps[0].iconData);
}

TEST_F(MigrationsTest, NothingToMigrateWritesAndLogsNothing) {
    seed({makeWorkspace("W", {installed("/Applications/A.app", "com.a", "A")})});
    forgetFile();
    seed({makeWorkspace("W", {installed("/Applications/A.app", "com.a", "A")})});
    const auto before = std::filesystem::last_write_time(file());
    std::vector<size_t> published;
    auto m = makeManager();
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(std::filesystem::last_write_time(file()), before);
}

TEST_F(MigrationsTest, AnAppRepublishedUnderANewIdentifierIsRelinked) {
    ManagedApp old = installed("/Applications/Editor.app", "com.old.editor", "Editor");
    old.observedMinSize = SizeModel{300, 200};
    old.lastDocumentPath = "/d/x.txt";
    old.iconData = Bytes{1, 2, 3};
    seed({makeWorkspace("W", {old, installed("/Applications/Other.app", "com.other", "Other")})});
    apps.setBundleIdentifier("/Applications/Editor.app", "com.new.editor");

    auto m = makeManager();
    const ManagedApp& app = m->workspaces().get()[0].apps[0];
    EXPECT_EQ(app.bundleIdentifier, "com.new.editor");
    EXPECT_EQ(app.id, old.id);
    EXPECT_EQ(app.displayName, "Editor");
    EXPECT_EQ(app.observedMinSize, old.observedMinSize);
    EXPECT_EQ(app.lastDocumentPath, old.lastDocumentPath);
    EXPECT_EQ(app.appPath, "/Applications/Editor.app");
    EXPECT_EQ(sim::pngSize(*app.iconData).width, 128u) << "a new icon";
    EXPECT_EQ(logCount("[Tessane] Re-linked apps whose desktop entry id changed: Editor com.old.editor \u2192 "
                       "com.new.editor; re-persisting workspaces."),
              1u);
    EXPECT_EQ(stored()[0].apps[0].bundleIdentifier, "com.new.editor");
}

TEST_F(MigrationsTest, RelinkFollowsTheBookmarkOfAMovedApp) {
    ManagedApp old = installed("/Applications/Editor.app", "com.old.editor", "Editor");
    seed({makeWorkspace("W", {old})});
    apps.moveFile("/Applications/Editor.app", "/Applications/Tools/Editor.app");
    apps.setBundleIdentifier("/Applications/Tools/Editor.app", "com.new.editor");
    auto m = makeManager();
    const ManagedApp& app = m->workspaces().get()[0].apps[0];
    EXPECT_EQ(app.bundleIdentifier, "com.new.editor");
    EXPECT_EQ(app.appPath, "/Applications/Tools/Editor.app");
    EXPECT_NE(app.appURLBookmark, old.appURLBookmark);
}

TEST_F(MigrationsTest, ASecondRecordThatWouldDuplicateAnIdentifierIsSkipped) {
    // Two records of one app (in two workspaces), and a letter-case-only change.
    ManagedApp first = installed("/Applications/Editor.app", "com.old.editor", "Editor");
    ManagedApp second = first;
    second.id = Uuid::random();
    second.displayName = "Editor (2)";
    ManagedApp cased = installed("/Applications/Cased.app", "com.example.cased", "Cased");
    seed({makeWorkspace("W1", {first, cased}), makeWorkspace("W2", {second})});
    apps.setBundleIdentifier("/Applications/Editor.app", "com.new.editor");
    apps.setBundleIdentifier("/Applications/Cased.app", "com.example.Cased");

    auto m = makeManager();
    const auto& list = m->workspaces().get();
    EXPECT_EQ(list[0].apps[0].bundleIdentifier, "com.new.editor");
    EXPECT_EQ(list[0].apps[1].bundleIdentifier, "com.example.Cased") << "a case change is a change";
    EXPECT_EQ(list[1].apps[0].bundleIdentifier, "com.old.editor");
    EXPECT_EQ(logCount("[Tessane] Desktop-entry id migration skipped for Editor (2): com.old.editor \u2192 com.new.editor "
                       "already in use (would duplicate)."),
              1u);
    EXPECT_EQ(logCount("Re-linked apps whose desktop entry id changed: Editor com.old.editor \u2192 com.new.editor; "
                       "Cased com.example.cased \u2192 com.example.Cased; re-persisting"),
              1u);
}

TEST_F(MigrationsTest, ALoadReadsEachAppOnDiskOnceAndTheNextLoadReadsItAgain) {
    ManagedApp record = installed("/Applications/Editor.app", "com.editor", "Editor");
    std::vector<Workspace> list;
    for (int i = 0; i < 3; ++i) {
        record.id = Uuid::random();
        list.push_back(makeWorkspace("W" + std::to_string(i), {record}));
    }
    seed(list);
    int reads = apps.bundleReadCount();
    makeManager();
    EXPECT_EQ(apps.bundleReadCount() - reads, 1) << "three records of one app";

    apps.setBundleIdentifier("/Applications/Editor.app", "com.new.editor");
    reads = apps.bundleReadCount();
    auto m = makeManager();
    EXPECT_EQ(apps.bundleReadCount() - reads, 1);
    EXPECT_EQ(m->workspaces().get()[0].apps[0].bundleIdentifier, "com.new.editor") << "the change is seen";
    EXPECT_EQ(m->workspaces().get()[1].apps[0].bundleIdentifier, "com.editor");
    EXPECT_EQ(logCount("Desktop-entry id migration skipped for Editor"), 2u);
}

TEST_F(MigrationsTest, AnAppFoundOnlyByTheSystemIsNeverRelinked) {
    ManagedApp record = makeApp("Mail", "com.mail");
    record.appPath = "/Applications/Old Mail.app";  // nothing there any more
    seed({makeWorkspace("W", {record})});
    apps.installApp("/Applications/Mail.app", {"com.other.mail", "Mail", std::nullopt});
    apps.setSystemApplication("com.mail", std::filesystem::path("/Applications/Mail.app"));
    auto m = makeManager();
    EXPECT_EQ(m->workspaces().get()[0].apps[0].bundleIdentifier, "com.mail");
    EXPECT_TRUE(logLines().empty());
}

}  // namespace
}  // namespace tessane
