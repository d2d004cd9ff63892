#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimAnimator.h"
#include "platform/sim/SimApplications.h"
#include "platform/sim/SimDefaults.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimEventMonitors.h"
#include "platform/sim/SimFileWatch.h"
#include "platform/sim/SimHotKeys.h"
#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimMenus.h"
#include "platform/sim/SimPanels.h"
#include "platform/sim/SimPreferences.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimSystemLog.h"
#include "platform/sim/SimWindowList.h"
#include "platform/sim/SimWindowServer.h"

namespace tessane::sim {

// One simulated desktop: owns every sim port and hands them out as a Platform. Ports added by
// later subsystems become further members here.
struct SimPlatform {
    SimMainQueue mainQueue;
    SimSystemLog systemLog;
    SimEnvironment environment;
    SimDefaults defaults;
    SimScreens screens;
    SimHotKeys hotKeys;
    SimFileWatch fileWatch{mainQueue};
    SimPreferences preferences{environment.homeFolder(), &fileWatch};
    SimWindowServer windowServer{mainQueue};
    SimAccessibility accessibility{windowServer, mainQueue};
    SimApplications applications{mainQueue, windowServer};
    SimWindowList windowList{windowServer};
    SimAlerts alerts;
    SimPanels panels;
    SimAnimator animator{mainQueue};
    SimEventMonitors eventMonitors;
    SimMenus menus;

    Platform platform() {
        Platform p;
        p.mainQueue = &mainQueue;
        p.systemLog = &systemLog;
        p.environment = &environment;
        p.defaults = &defaults;
        p.screens = &screens;
        p.hotKeys = &hotKeys;
        p.fileWatch = &fileWatch;
        p.preferences = &preferences;
        p.accessibility = &accessibility;
        p.applications = &applications;
        p.windowList = &windowList;
        p.alerts = &alerts;
        p.panels = &panels;
        p.animator = &animator;
        p.eventMonitors = &eventMonitors;
        p.menus = &menus;
        return p;
    }
};

}  // namespace tessane::sim
