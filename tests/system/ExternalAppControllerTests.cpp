#include "support/LoggedLines.h"
#include "system/ExternalAppController.h"

#include "model/Log.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimWindowServer.h"

#include <gtest/gtest.h>

using tessane::testing::loggedMessages;

namespace tessane {
namespace {

using sim::SimApplications;
using Result = ExternalAppController::LaunchResult;
using AppControlError = ExternalAppController::AppControlError;

const std::filesystem::path kNotesPath = "/Applications/Notes.app";
const std::string kNotesID = "org.example.Notes";

class ExternalAppControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        apps.connect(queue, windows);
        apps.installApp(kNotesPath, {kNotesID, "Notes", "Notes"});
        notes.displayName = "Notes";
        notes.bundleIdentifier = kNotesID;
        notes.appPath = kNotesPath.string();
        activations = apps.observe(RunningApplications::Notification::didActivate,
                                   [this](const RunningApplication& a) { activated.push_back(a.pid); });
    }
    void TearDown() override { Log::resetForTesting(); }

    // Launches and records the result; `returned` tells whether it had come before launch() did.
    void launch(const ManagedApp& app, std::vector<std::filesystem::path> documents = {}) {
        auto returned = std::make_shared<bool>(false);
        auto completion = [this, returned](const Result& r) {
            results.push_back(r);
            completedBeforeReturn.push_back(!*returned);
        };
        if (documents.empty())
            controller.launch(app, completion);
        else
            controller.launch(app, documents, completion);
        *returned = true;
        queue.runPending();
    }
    const AppControlError& error(size_t i = 0) { return std::get<AppControlError>(results.at(i)); }

    sim::SimMainQueue queue;
    sim::SimWindowServer windows{queue};
    SimApplications apps;
    ExternalAppController controller{apps, queue};
    ManagedApp notes;
    std::vector<Result> results;
    std::vector<bool> completedBeforeReturn;
    std::vector<Pid> activated;
    Subscription activations;
};

TEST_F(ExternalAppControllerTest, AppThatCannotBeFoundCompletesAtOnce) {
    ManagedApp missing;
    missing.displayName = "Ghost Writer";
    missing.bundleIdentifier = "org.example.Ghost";
    missing.appPath = "/Applications/Ghost Writer.app";
    bool called = false;
    controller.launch(missing, [&](const Result& r) {
        called = true;
        results.push_back(r);
    });
    EXPECT_TRUE(called);  // before launch() returned
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(error().kind, AppControlError::Kind::notInstalled);
    EXPECT_EQ(error().description(), "Ghost Writer is not installed or cannot be found.");
    EXPECT_TRUE(apps.openRequests().empty());
}

TEST_F(ExternalAppControllerTest, LaunchFailureMessages) {
    struct Case {
        SimApplications::LaunchBehaviour behaviour;
        std::string description;
    };
    SimApplications::LaunchBehaviour refused;
    refused.failure = SystemError{"NSOSStatusErrorDomain", -10810,
                                  "The application “Notes” could not be launched."};
    SimApplications::LaunchBehaviour silent;
    silent.failsWithoutReason = true;
    const Case cases[] = {
        {refused, "Tessane couldn't launch Notes: The application “Notes” could not be launched."},
        {silent, "Tessane couldn't launch Notes: The file doesn’t exist."},
    };
    for (const auto& c : cases) {
        results.clear();
        apps.setLaunchBehaviour(kNotesID, c.behaviour);
        launch(notes);
        EXPECT_TRUE(results.empty());  // the system answers after its launch time
        queue.advance(1);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(error().kind, AppControlError::Kind::launchFailed);
        EXPECT_EQ(error().description(), c.description);
    }
    EXPECT_EQ(*error().underlying, SystemError::fileNoSuchFile());
}

TEST_F(ExternalAppControllerTest, AnAnswerGivenAtOnceStillCompletesOnALaterMainQueueTurn) {
    for (bool fails : {false, true}) {
        results.clear();
        completedBeforeReturn.clear();
        SimApplications::LaunchBehaviour b;
        b.answersAtOnce = true;
        if (fails) b.failure = SystemError{"X", 1, "nope"};
        apps.setLaunchBehaviour(kNotesID, b);
        launch(notes);
        ASSERT_EQ(results.size(), 1u) << fails;
        EXPECT_FALSE(completedBeforeReturn[0]) << fails;
        EXPECT_EQ(std::holds_alternative<AppControlError>(results[0]), fails);
        queue.advance(1);
        EXPECT_EQ(results.size(), 1u);  // one answer, once
        for (auto& a : apps.runningApplications()) apps.quit(a.pid);
    }
}

TEST_F(ExternalAppControllerTest, LaunchDoesNotActivateAndWindowsMayComeLate) {
    SimApplications::LaunchBehaviour b;
    b.launchTime = 1.0;
    b.windowDelay = 1.3;
    apps.setLaunchBehaviour(kNotesID, b);
    launch(notes);
    ASSERT_EQ(apps.runningApplications().size(), 1u);
    EXPECT_FALSE(apps.runningApplications()[0].isFinishedLaunching);

    queue.advance(1.0);
    ASSERT_EQ(results.size(), 1u);
    const auto& running = std::get<RunningApplication>(results[0]);
    EXPECT_EQ(running.bundleIdentifier, kNotesID);
    EXPECT_TRUE(running.isFinishedLaunching);
    EXPECT_EQ(windows.app(running.pid)->windows().size(), 0u);
    queue.advance(1.3);
    EXPECT_EQ(windows.app(running.pid)->windows().size(), 1u);

    EXPECT_FALSE(apps.openRequests().back().activates);
    EXPECT_TRUE(activated.empty());
    EXPECT_EQ(apps.frontmostApplication(), std::nullopt);
}

TEST_F(ExternalAppControllerTest, LaunchWithDocumentsOpensThemInTheSameRequest) {
    launch(notes, {"/home/u/a.txt", "/home/u/b.txt"});
    queue.advance(1);
    ASSERT_EQ(apps.openRequests().size(), 1u);
    EXPECT_EQ(apps.openRequests()[0].documents.size(), 2u);
    EXPECT_FALSE(apps.openRequests()[0].activates);
    const auto& running = std::get<RunningApplication>(results.at(0));
    std::vector<std::string> docs;
    for (auto* w : windows.app(running.pid)->windows())
        if (w->document()) docs.push_back(*w->document());
    std::sort(docs.begin(), docs.end());
    EXPECT_EQ(docs, (std::vector<std::string>{"file:///home/u/a.txt", "file:///home/u/b.txt"}));
}

TEST_F(ExternalAppControllerTest, ReopenActivatesAndLogsOnlyFailures) {
    controller.reopen(notes);
    queue.advance(1);
    ASSERT_EQ(apps.openRequests().size(), 1u);
    EXPECT_TRUE(apps.openRequests()[0].activates);
    ASSERT_TRUE(apps.frontmostApplication());
    EXPECT_EQ(apps.frontmostApplication()->bundleIdentifier, kNotesID);
    EXPECT_EQ(activated.size(), 1u);
    EXPECT_TRUE(loggedMessages().empty());

    for (auto& a : apps.runningApplications()) apps.quit(a.pid);
    SimApplications::LaunchBehaviour silent;
    silent.failsWithoutReason = true;
    apps.setLaunchBehaviour(kNotesID, silent);
    controller.reopen(notes);
    queue.advance(1);
    SimApplications::LaunchBehaviour refused;
    refused.failure = SystemError{"X", 2, "The app is damaged"};
    apps.setLaunchBehaviour(kNotesID, refused);
    controller.reopen(notes);
    queue.advance(1);
    EXPECT_EQ(loggedMessages(), (std::vector<std::string>{
                            "[Tessane] Notes: reopen failed — no reason given.",
                            "[Tessane] Notes: reopen failed — The app is damaged."}));

    ManagedApp missing;
    missing.displayName = "Ghost";
    missing.bundleIdentifier = "org.example.Ghost";
    controller.reopen(missing);  // nothing to open, nothing said
    EXPECT_EQ(apps.openRequests().size(), 3u);
    EXPECT_EQ(loggedMessages().size(), 2u);
}

TEST_F(ExternalAppControllerTest, ReopenOfARunningAppWithoutAWindowPutsOneUp) {
    // Running but windowless: the reopen is what makes it put up a window. One that has a
    // window already gets no second one, only the activation.
    for (int windowsBefore : {0, 1}) {
        for (auto& a : apps.runningApplications()) apps.quit(a.pid);
        auto& app = apps.addRunningApp({.bundleIdentifier = kNotesID,
                                        .bundlePath = kNotesPath,
                                        .name = "Notes"});
        const Pid pid = app.pid();
        for (int i = 0; i < windowsBefore; ++i) app.addWindow();
        controller.reopen(notes);
        queue.advance(1);
        ASSERT_TRUE(windows.app(pid)) << windowsBefore;
        EXPECT_EQ(windows.app(pid)->windows().size(), 1u) << windowsBefore;
        ASSERT_TRUE(apps.frontmostApplication()) << windowsBefore;
        EXPECT_EQ(apps.frontmostApplication()->pid, pid) << windowsBefore;
    }
    EXPECT_EQ(apps.runningApplications().size(), 1u);
}

TEST_F(ExternalAppControllerTest, RunningApplicationPrefersTheFirstRegularInstance) {
    using P = ActivationPolicy;
    struct Case {
        std::vector<P> policies;
        std::optional<size_t> expected;
    };
    const Case cases[] = {
        {{P::accessory, P::regular}, 1},
        {{P::prohibited, P::accessory}, 0},
        {{P::regular, P::regular}, 0},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        for (auto& a : apps.runningApplications()) apps.quit(a.pid);
        std::vector<Pid> pids;
        for (auto policy : c.policies)
            pids.push_back(apps.addRunningApp({.bundleIdentifier = kNotesID,
                                               .name = "Notes",
                                               .activationPolicy = policy})
                               .pid());
        apps.addRunningApp({.bundleIdentifier = "org.example.Other", .name = "Other"});
        const auto found = controller.runningApplication(kNotesID);
        if (!c.expected) {
            EXPECT_EQ(found, std::nullopt);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(found->pid, pids[*c.expected]);
    }
}

TEST_F(ExternalAppControllerTest, LaunchOfARunningAppAnswersWithThatInstance) {
    const Pid pid = apps.addRunningApp({.bundleIdentifier = kNotesID, .name = "Notes"}).pid();
    launch(notes, {"/home/u/c.txt"});
    queue.advance(0.1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(std::get<RunningApplication>(results[0]).pid, pid);
    EXPECT_EQ(apps.runningApplications().size(), 1u);
    EXPECT_TRUE(activated.empty());
}

TEST_F(ExternalAppControllerTest, CompletionRunsEvenWhenTheControllerIsGone) {
    int completions = 0;
    {
        ExternalAppController shortLived(apps, queue);
        shortLived.launch(notes, [&](const Result&) { ++completions; });
    }
    queue.advance(1);
    EXPECT_EQ(completions, 1);
}

}  // namespace
}  // namespace tessane
