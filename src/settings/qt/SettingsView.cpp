#include "settings/qt/SettingsView.h"

#include "settings/qt/AdvancedTabView.h"
#include "settings/qt/GeneralTabView.h"
#include "settings/qt/SettingsSymbols.h"
#include "settings/qt/WorkspacesTabView.h"

#include <QEvent>

namespace tessane::settings_qt {

SettingsView::SettingsView(const SettingsViewServices& services, const SettingsViewContext& context, QWidget* parent)
    : QTabWidget(parent), router_(context.router) {
    setObjectName("settingsView");
    setMinimumSize(660, 420);
    setDocumentMode(true);
    general_ = std::make_unique<GeneralTab>(services.general, router_, context.onShowWelcome);
    generalView_ = new GeneralTabView(*general_);
    workspacesView_ = new WorkspacesTabView(
        services.editor, {context.onNewWorkspace, context.onDismiss, context.onReturnToFront});
    advancedView_ = new AdvancedTabView;
    addTab(generalView_, SettingsRouter::title(SettingsRouter::Tab::general));
    addTab(workspacesView_, SettingsRouter::title(SettingsRouter::Tab::workspaces));
    addTab(advancedView_, SettingsRouter::title(SettingsRouter::Tab::advanced));
    refreshSymbols();
    setCurrentIndex(static_cast<int>(router_.tab()));

    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (!following_ && index >= 0 && index < 3 && static_cast<int>(router_.tab()) != index)
            router_.setTab(SettingsRouter::kTabs[index]);
    });
    // The router tells before it changes; the new tab comes with the news.
    tab_ = router_.observeTab([this](const SettingsRouter::Tab& tab) {
        following_ = true;
        setCurrentIndex(static_cast<int>(tab));
        following_ = false;
    });
}

SettingsView::~SettingsView() {
    tab_.reset();
    // The tab views hold the General tab's subscription; they go before it.
    while (count() > 0) delete widget(0);
}

void SettingsView::refreshSymbols() {
    const QColor ink = palette().color(QPalette::WindowText);
    setTabIcon(0, symbolIcon(Symbol::gear, 16, ink));
    setTabIcon(1, symbolIcon(Symbol::splitRectangle, 16, ink));
    setTabIcon(2, symbolIcon(Symbol::sliders, 16, ink));
}

void SettingsView::changeEvent(QEvent* event) {
    QTabWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) refreshSymbols();
}

}  // namespace tessane::settings_qt
