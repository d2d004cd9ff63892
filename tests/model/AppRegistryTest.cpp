#include "ModelTestSupport.h"

#include "model/AppCompatibilityNotes.h"
#include "model/AppRegistry.h"
#include "platform/sim/SimPng.h"

namespace tessane {
namespace {

using testing::makeApp;

class AppRegistryTest : public ::testing::Test {
protected:
    sim::SimApplications apps;
    AppRegistry registry{apps};
};

TEST_F(AppRegistryTest, MakesARecordFromAnInstalledApp) {
    apps.installApp("/Applications/Notes.APP", {"com.notes", "Notes", "NotesShort"});
    const ManagedApp app = registry.makeManagedApp("/Applications/Notes.APP");
    EXPECT_EQ(app.displayName, "Notes");
    EXPECT_EQ(app.bundleIdentifier, "com.notes");
    EXPECT_EQ(app.appPath, "/Applications/Notes.APP");
    EXPECT_EQ(app.role, AppRole::secondary);
    EXPECT_TRUE(app.appURLBookmark);
    ASSERT_TRUE(app.iconData);
    EXPECT_EQ(sim::pngSize(*app.iconData).width, 128u);
    EXPECT_EQ(sim::pngSize(*app.iconData).height, 128u);
    EXPECT_FALSE(app.preferredPaneId || app.observedMinSize || app.lastDocumentPath);
    EXPECT_NE(registry.makeManagedApp("/Applications/Notes.APP").id, app.id) << "a fresh id each time";
}

TEST_F(AppRegistryTest, DisplayNameFallsBackToTheBundleNameThenTheFileName) {
    struct Case {
        std::optional<std::string> display, bundle;
        std::string want;
    };
    const std::vector<Case> cases = {{"Shown", "Short", "Shown"},
                                     {"", "Short", "Short"},
                                     {std::nullopt, "Short", "Short"},
                                     {"", "", "My Tool"},
                                     {std::nullopt, std::nullopt, "My Tool"}};
    for (const auto& c : cases) {
        apps.installApp("/Applications/My Tool.app", {"com.tool", c.display, c.bundle});
        EXPECT_EQ(registry.makeManagedApp("/Applications/My Tool.app").displayName, c.want);
    }
}

TEST_F(AppRegistryTest, RefusesWhatIsNotAnApp) {
    apps.addFile("/Downloads/Tool.zip");
    apps.addFile("/Applications/Empty.app");
    apps.installApp("/Applications/NoID.app", {"", "No ID", std::nullopt});
    struct Case {
        const char* path;
        AppRegistryError::Kind kind;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"/Downloads/Tool.zip", AppRegistryError::Kind::notAnApp, "Tool.zip is not an application."},
        {"/Applications/Empty.app", AppRegistryError::Kind::missingBundleIdentifier,
         "Empty.app is not an application entry that can be started."},
        {"/Applications/NoID.app/", AppRegistryError::Kind::missingBundleIdentifier,
         "NoID.app is not an application entry that can be started."},
        {"/Applications/Missing.app", AppRegistryError::Kind::missingBundleIdentifier,
         "Missing.app is not an application entry that can be started."},
    };
    for (const auto& c : cases) {
        try {
            registry.makeManagedApp(c.path);
            ADD_FAILURE() << c.path;
        } catch (const AppRegistryError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.path;
            EXPECT_STREQ(e.what(), c.text);
        }
    }
}

TEST_F(AppRegistryTest, AFailedBookmarkOrIconOnlyLeavesThemOut) {
    apps.installApp("/Applications/A.app", {"com.a", "A", std::nullopt});
    apps.setBookmarksFail(true);
    apps.setIconRenders("/Applications/A.app", false);
    const ManagedApp app = registry.makeManagedApp("/Applications/A.app");
    EXPECT_FALSE(app.appURLBookmark);
    EXPECT_FALSE(app.iconData);
    EXPECT_EQ(app.bundleIdentifier, "com.a");
}

TEST_F(AppRegistryTest, ResolvesByBookmarkThenPathThenTheSystem) {
    apps.installApp("/Applications/A.app", {"com.a", "A", std::nullopt});
    const ManagedApp app = registry.makeManagedApp("/Applications/A.app");
    EXPECT_EQ(registry.resolveURL(app), std::filesystem::path("/Applications/A.app"));

    // Moved: the bookmark finds it; the stale path loses.
    apps.moveFile("/Applications/A.app", "/Apps/A.app");
    apps.installApp("/Applications/A.app", {"com.impostor", "Impostor", std::nullopt});
    EXPECT_EQ(registry.resolveURL(app), std::filesystem::path("/Apps/A.app"));

    // Without a working bookmark the stored path is next.
    ManagedApp noBookmark = app;
    noBookmark.appURLBookmark = Bytes{'x'};
    EXPECT_EQ(registry.resolveURL(noBookmark), std::filesystem::path("/Applications/A.app"));

    // Bookmark and path lead nowhere: the system's lookup by bundle identifier.
    apps.removeFile("/Apps/A.app");
    apps.removeFile("/Applications/A.app");
    EXPECT_FALSE(registry.resolveURL(app));
    EXPECT_FALSE(registry.isInstalled(app));
    apps.installApp("/Opt/A.app", {"com.a", "A", std::nullopt});
    EXPECT_EQ(registry.resolveURL(app), std::filesystem::path("/Opt/A.app"));
    EXPECT_TRUE(registry.isInstalled(app));
    EXPECT_FALSE(registry.locateOnDisk(app)) << "the system's answer is not where the record points";
}

TEST(AppCompatibilityNotes, EachListedIdentifierOnceUnderItsFirstApp) {
    using namespace app_compatibility_notes;
    const auto gemini = notesFor({makeApp("Mail", "com.apple.mail"), makeApp("Gemini", "com.google.GeminiMacOS"),
                                  makeApp("Gemini 2", "com.google.GeminiMacOS")});
    ASSERT_EQ(gemini.size(), 1u);
    EXPECT_EQ(gemini[0].name, "Gemini");
    EXPECT_EQ(gemini[0].note.title, "Gemini can move its own window");
    EXPECT_EQ(gemini[0].note.message,
              "When this workspace moves to another display, Gemini sometimes pulls its window back to the display it "
              "was on. Tessane puts it back in its pane \u2014 if the pane is ever left empty, show the workspace again.");
    EXPECT_TRUE(notesFor({makeApp("Gemini", "com.google.geminimacos")}).empty()) << "exact match only";
    EXPECT_TRUE(notesFor({}).empty());
}

}  // namespace
}  // namespace tessane
