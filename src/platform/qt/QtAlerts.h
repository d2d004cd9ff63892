#pragma once

#include "platform/Alerts.h"

namespace tessane {

// Alerts as QMessageBox dialogs, raised and activated over other applications' windows.
class QtAlerts final : public Alerts {
public:
    AlertResponse runModal(const AlertSpec& details) override;
    void present(const AlertSpec& details, std::function<void(AlertResponse)> done) override;
};

}  // namespace tessane
