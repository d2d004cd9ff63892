#pragma once

#include <QScrollArea>

namespace tessane::settings_qt {

// The Advanced tab: how to drive Tessane with its links. Read-only; only the command lines and
// the links can be selected (and copied with the ordinary text selection).
class AdvancedTabView final : public QScrollArea {
public:
    explicit AdvancedTabView(QWidget* parent = nullptr);
};

}  // namespace tessane::settings_qt
