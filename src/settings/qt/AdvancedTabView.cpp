#include "settings/qt/AdvancedTabView.h"

#include "settings/AdvancedTab.h"
#include "settings/qt/SettingsStyle.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tessane::settings_qt {

namespace {

QLabel* selectable(const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text));
    label->setFont(monospacedCaptionFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setObjectName("selectable");
    makeSecondary(label);
    return label;
}

QLabel* callout(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setFont(calloutFont());
    label->setWordWrap(true);
    return label;
}

QGroupBox* section(const char* title, QVBoxLayout* into) {
    auto* header = new QLabel(QString::fromUtf8(title));
    header->setFont(headlineFont());
    into->addWidget(header);
    auto* box = new QGroupBox;
    into->addWidget(box);
    return box;
}

}  // namespace

AdvancedTabView::AdvancedTabView(QWidget* parent) : QScrollArea(parent) {
    setObjectName("advancedTab");
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(14);

    {
        auto* box = section(advanced_tab::kShortcutsTitle, column);
        auto* v = new QVBoxLayout(box);
        v->addWidget(callout(advanced_tab::kShortcutsIntro));
        for (const auto& line : advanced_tab::exampleLines()) v->addWidget(selectable(line));
        auto* footer = caption(QString::fromUtf8(advanced_tab::kShortcutsFooter));
        v->addWidget(footer);
    }
    {
        auto* box = section(advanced_tab::kAutomationTitle, column);
        auto* form = new QFormLayout(box);
        form->addRow(callout(advanced_tab::kAutomationIntro));
        for (const auto& verb : advanced_tab::verbRows()) {
            auto* summary = new QLabel(QString::fromStdString(verb.summary));
            summary->setFont(calloutFont());
            form->addRow(summary, selectable(verb.url));
        }
        form->addRow(caption(QString::fromUtf8(advanced_tab::kAutomationFooter)));
    }
    column->addStretch();
    setWidget(content);
}

}  // namespace tessane::settings_qt
