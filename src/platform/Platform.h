#pragma once

namespace tessane {

class MainQueue;
class SystemLog;
class Environment;
class Defaults;
class Screens;
class HotKeys;
class FileWatch;
class Preferences;
class Accessibility;
class Applications;
class WindowList;
class Alerts;
class Panels;
class Animator;
class EventMonitors;
class Menus;

// The ports of one backend (sim or linux), handed to the objects that need them. The backend
// owns them; a Platform is a set of non-owning references.
struct Platform {
    MainQueue* mainQueue = nullptr;
    SystemLog* systemLog = nullptr;
    Environment* environment = nullptr;
    Defaults* defaults = nullptr;
    Screens* screens = nullptr;
    HotKeys* hotKeys = nullptr;
    FileWatch* fileWatch = nullptr;
    Preferences* preferences = nullptr;
    Accessibility* accessibility = nullptr;
    Applications* applications = nullptr;
    WindowList* windowList = nullptr;
    Alerts* alerts = nullptr;
    Panels* panels = nullptr;
    Animator* animator = nullptr;
    EventMonitors* eventMonitors = nullptr;
    Menus* menus = nullptr;
};

}  // namespace tessane
