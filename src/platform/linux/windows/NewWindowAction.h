#pragma once

#include "platform/AccessibilityValue.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessane::linux_desktop {

// The new-window desktop action of an application's desktop entry ("Actions=new-window;" with
// its "[Desktop Action new-window]" group; also named NewWindow, new_window or new-empty-window).
struct NewWindowAction {
    std::string id;    // as the entry names it
    std::string exec;  // the action's Exec line

    // The first action the entry lists that opens a new window and has an Exec line.
    static std::optional<NewWindowAction> parse(const std::string& entryText);
    static std::optional<NewWindowAction> read(const std::filesystem::path& entryPath);
    // Whether an action id names a new window, whatever its case and separators.
    static bool isNewWindowId(std::string_view id);
};

}  // namespace tessane::linux_desktop

namespace tessane::linux_backend {

// An X11 application's menus cannot be read; one whose desktop entry has a new-window action
// gets a menu bar of one menu, "File", holding one item, "New Window" (Command-N, enabled),
// whose press runs the action. Without such an action the application has no menu bar.
class NewWindowMenu {
public:
    // Where the desktop entry of a running process is (its .desktop file); none when unknown.
    using EntryOf = std::function<std::optional<std::filesystem::path>(Pid)>;

    static constexpr const char* kMenuTitle = "File";
    static constexpr const char* kItemTitle = "New Window";

    void setEntryLookup(EntryOf entryOf) { entryOf_ = std::move(entryOf); }

    // The menu bar of the process, when its entry has a new-window action.
    std::optional<AXElement> menuBar(Pid pid) const;
    // Whether the element is one of these menus' (menu bar, menu-bar item, menu, item).
    static bool owns(const AXElement& element);
    static Pid pidOf(const AXElement& element);
    AXAttributeResult attribute(const AXElement& element, std::string_view attribute) const;
    // AXPress on the item runs the action's command, detached.
    AXError performAction(const AXElement& element, std::string_view action) const;

private:
    std::optional<linux_desktop::NewWindowAction> actionOf(Pid pid) const;
    EntryOf entryOf_;
};

}  // namespace tessane::linux_backend
