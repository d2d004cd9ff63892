#pragma once

#include "settings/SettingsViewServices.h"
#include "settings/SettingsWindowController.h"

#include <filesystem>
#include <string>

namespace tessane {
class Defaults;
}

namespace tessane::settings_qt {

// What the desktop does for the settings window.
void setClipboardText(const std::string& text);
// Asks the file manager to show the file selected (org.freedesktop.FileManager1.ShowItems over
// D-Bus); when no file manager answers, opens the file's folder instead.
void revealInFiles(const std::filesystem::path& file);
// Whether one of our windows is the active one, and the news when that changes.
bool isApplicationActive();
Subscription observeApplicationActivity(std::function<void(bool active)> observer);
// Brings the settings window (else any window of ours) to the front with the keyboard focus.
void activateApplication();

// Makes the settings window with the settings view inside, over `services`.
SettingsWindowFactory makeWindowFactory(SettingsViewServices services, Defaults& defaults);

}  // namespace tessane::settings_qt
