#include "builder/qt/OnboardingView.h"

#include "builder/OnboardingController.h"
#include "builder/qt/FloatingPanel.h"
#include "builder/qt/OnboardingIllustrations.h"
#include "builder/qt/OnboardingPainting.h"
#include "platform/qt/panels/TextContrast.h"
#include "system/ShortcutHelp.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tessane::builder_qt {

// One dot per step; the current one in the accent colour.
class StepDots final : public QWidget {
public:
    StepDots(bool dark, QWidget* parent) : QWidget(parent), dark_(dark) {
        const int n = int(onboarding_steps::all.size());
        setFixedSize(n * kDot + (n - 1) * kSpacing, kDot);
    }
    void setCurrent(OnboardingStep step) {
        current_ = step;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        // The other steps' dots faint, yet seen on the panel.
        const QColor other = qt_backend::readableOn(color(ColorRole::secondaryLabel, dark_, 0.3),
                                                    {color(ColorRole::windowBackground, dark_)}, qt_backend::kMarkContrast);
        int x = 0;
        for (OnboardingStep step : onboarding_steps::all) {
            p.setBrush(step == current_ ? color(ColorRole::accent, dark_) : other);
            p.drawEllipse(QRectF(x, 0, kDot, kDot));
            x += kDot + kSpacing;
        }
    }

private:
    static constexpr int kDot = 7;
    static constexpr int kSpacing = 6;
    bool dark_;
    OnboardingStep current_ = OnboardingStep::welcome;
};

namespace {

// A large symbol on its own.
class SymbolImage final : public QWidget {
public:
    SymbolImage(Symbol symbol, double pixels, QColor colour, QWidget* parent)
        : QWidget(parent), symbol_(symbol), colour_(colour) {
        setFixedSize(int(pixels * 1.1), int(pixels * 1.1));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintSymbol(p, symbol_, QRectF(rect()), colour_);
    }

private:
    Symbol symbol_;
    QColor colour_;
};

// A shortcut's keys on a rounded chip.
class KeyChip final : public QWidget {
public:
    KeyChip(const QString& keys, int frameWidth, bool dark, QWidget* parent)
        : QWidget(parent), keys_(keys), dark_(dark) {
        setObjectName("keyChip");
        setFixedWidth(frameWidth);
        const QFontMetrics fm(font_());
        setFixedHeight(fm.height() + 10);
    }
    static QFont font_() { return textFont(13, QFont::DemiBold); }
    // Every chip takes the same width: 96, or the widest chip where Linux's key names are longer.
    static int frameWidth(const std::vector<ShortcutHelp>& rows) {
        const QFontMetrics fm(font_());
        int widest = 96;
        for (const auto& row : rows)
            widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(row.keys)) + 2 * kPadding);
        return widest;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QFontMetrics fm(font_());
        const double w = std::min<double>(width(), fm.horizontalAdvance(keys_) + 2 * kPadding);
        const QRectF chip((width() - w) / 2, 0, w, height());
        p.setPen(Qt::NoPen);
        p.setBrush(color(ColorRole::controlBackground, dark_));
        p.drawRoundedRect(chip, 6, 6);
        p.setPen(QPen(color(ColorRole::separator, dark_), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(chip.adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5);
        p.setFont(font_());
        p.setPen(color(ColorRole::label, dark_));
        p.drawText(chip, Qt::AlignCenter, keys_);
    }

private:
    static constexpr int kPadding = 10;
    QString keys_;
    bool dark_;
};

QString qs(const std::string& s) { return QString::fromStdString(s); }

QPushButton* largeButton(const QString& text, std::optional<Symbol> symbol, bool dark, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(textFont(13));
    b->setMinimumHeight(32);
    b->setCursor(Qt::PointingHandCursor);
    if (symbol) {
        b->setIcon(symbolIcon(*symbol, 14, color(ColorRole::label, dark)));
        b->setIconSize(QSize(14, 14));
    }
    b->setMinimumWidth(b->sizeHint().width() + 28);  // a large control: room on both sides of its label
    return b;
}

QPalette viewPalette(QPalette palette, bool dark) {
    palette.setColor(QPalette::Window, color(ColorRole::windowBackground, dark));
    palette.setColor(QPalette::WindowText, color(ColorRole::label, dark));
    palette.setColor(QPalette::Button, color(ColorRole::controlBackground, dark));
    palette.setColor(QPalette::ButtonText, color(ColorRole::label, dark));
    palette.setColor(QPalette::Highlight, color(ColorRole::accent, dark));
    palette.setColor(QPalette::Base, color(ColorRole::controlBackground, dark));
    palette.setColor(QPalette::Text, color(ColorRole::label, dark));
    return palette;
}

}  // namespace

OnboardingView::OnboardingView(std::shared_ptr<OnboardingFlow> flow, bool dark, QWidget* parent)
    : QWidget(parent), flow_(std::move(flow)), dark_(dark) {
    setObjectName("onboardingView");
    setFixedSize(OnboardingPanel::kWidth, OnboardingPanel::kHeight);
    setPalette(viewPalette(palette(), dark));
    setAttribute(Qt::WA_TranslucentBackground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pageArea_ = new QWidget(this);
    pageLayout_ = new QVBoxLayout(pageArea_);
    pageLayout_->setContentsMargins(32, 30, 32, 0);
    column->addWidget(pageArea_, 1);

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(24, 16, 24, 16);
    leading_ = new QPushButton(this);
    leading_->setObjectName("leading");
    leading_->setFlat(true);
    leading_->setFont(textFont(13));
    leading_->setCursor(Qt::PointingHandCursor);
    leading_->setFocusPolicy(Qt::NoFocus);
    QPalette secondary = leading_->palette();
    secondary.setColor(QPalette::ButtonText, color(ColorRole::secondaryLabel, dark));
    leading_->setPalette(secondary);
    leading_->setStyleSheet("QPushButton { border: none; background: transparent; padding: 4px 6px; }");
    connect(leading_, &QPushButton::clicked, this, [this] { flow_->leading(); });
    footer->addWidget(leading_);
    footer->addStretch(1);
    dots_ = new StepDots(dark, this);
    dots_->setObjectName("stepDots");
    footer->addWidget(dots_, 0, Qt::AlignVCenter);
    footer->addStretch(1);
    trailing_ = largeButton({}, std::nullopt, dark, this);
    trailing_->setObjectName("trailing");
    trailing_->setDefault(true);
    trailing_->setMinimumWidth(96);
    connect(trailing_, &QPushButton::clicked, this, [this] { flow_->continueOrDone(); });
    footer->addWidget(trailing_);
    column->addLayout(footer);

    // Return is Continue, or Done on the last step. Escape does nothing: the panel leaves only
    // through Skip, Done and the create button.
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] { flow_->continueOrDone(); });
    }

    flow_->setOnChange([this] { refresh(); });
    refresh();
}

OnboardingView::~OnboardingView() { flow_->setOnChange({}); }

void OnboardingView::refresh() {
    const Step step = flow_->step();
    leading_->setText(qs(onboarding_text::leadingButton(step)));
    trailing_->setText(qs(onboarding_text::trailingButton(step)));
    dots_->setCurrent(step);
    // The old page may hold the button whose click is still running: it goes on the next turn.
    if (page_) {
        page_->hide();
        pageLayout_->removeWidget(page_);
        page_->setParent(nullptr);
        page_->deleteLater();
    }
    page_ = makePage();
    pageLayout_->addWidget(page_);
    page_->show();
}

QWidget* OnboardingView::makePage() {
    switch (flow_->step()) {
    case Step::welcome: return welcomePage();
    case Step::accessibility: return windowControlPage();
    case Step::create: return createPage();
    case Step::gestures: return gesturesPage();
    case Step::shortcuts: return shortcutsPage();
    }
    return new QWidget(pageArea_);
}

QLabel* OnboardingView::label(const QString& text, double pixels, QFont::Weight weight, ColorRole colour, bool wrap,
                              Qt::Alignment align) {
    // A wrapped text never leaves one word alone on its last line: its last two words stay together.
    QString shown = text;
    if (const auto last = shown.lastIndexOf(' '); wrap && last > 0 && shown.indexOf(' ') < last)
        shown[last] = QChar(0x00A0);
    auto* l = new QLabel(shown);
    l->setFont(textFont(pixels, weight));
    l->setWordWrap(wrap);
    l->setAlignment(align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color(colour, dark_));
    l->setPalette(p);
    return l;
}

namespace {

// A page whose content is centred vertically in the height it is given.
QVBoxLayout* centredColumn(QWidget* page, int spacing) {
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(spacing);
    return outer;
}

}  // namespace

QWidget* OnboardingView::welcomePage() {
    auto* page = new QWidget(pageArea_);
    page->setObjectName("welcomePage");
    const auto text = flow_->text();
    auto* col = centredColumn(page, 18);
    col->addStretch(1);
    auto* art = new WorkspaceIllustration(false, dark_, page);
    art->setFixedSize(260, 150);
    col->addWidget(art, 0, Qt::AlignHCenter);
    col->addWidget(label(qs(text.title), 24, QFont::Bold, ColorRole::label, false));
    col->addWidget(label(qs(text.body), 13, QFont::Normal, ColorRole::secondaryLabel, true));
    col->addStretch(1);
    return page;
}

QWidget* OnboardingView::windowControlPage() {
    auto* page = new QWidget(pageArea_);
    page->setObjectName("windowControlPage");
    const auto text = flow_->text();
    const bool available = flow_->trusted();
    auto* col = centredColumn(page, 16);
    col->addStretch(1);
    auto* symbol = new SymbolImage(*symbolFor(text.symbol), 44,
                                   color(available ? ColorRole::green : ColorRole::accent, dark_), page);
    symbol->setObjectName("trustSymbol");
    col->addWidget(symbol, 0, Qt::AlignHCenter);
    col->addWidget(label(qs(text.title), 22, QFont::Bold, ColorRole::label, false));
    col->addWidget(label(qs(text.body), 13, QFont::Normal, ColorRole::secondaryLabel, true));
    if (available) {
        auto* row = new QWidget(page);
        row->setObjectName("availableRow");
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(6);
        h->addWidget(new SymbolImage(Symbol::checkmarkCircleFilled, 14, color(ColorRole::green, dark_), row));
        auto* status = label(qs(text.statusLine), 13, QFont::Bold, ColorRole::green, false);
        status->setObjectName("statusLine");
        // Green text on the light panel needs a darker green to read at 4.5:1.
        QPalette readable = status->palette();
        readable.setColor(QPalette::WindowText, qt_backend::readableOn(color(ColorRole::green, dark_),
                                                                       {color(ColorRole::windowBackground, dark_)}));
        status->setPalette(readable);
        h->addWidget(status);
        col->addWidget(row, 0, Qt::AlignHCenter);
    } else {
        auto* help = largeButton(qs(text.buttonLabel), symbolFor(text.buttonSymbol), dark_, page);
        help->setObjectName("helpButton");
        connect(help, &QPushButton::clicked, this, [this] { flow_->openWindowControlHelp(); });
        col->addWidget(help, 0, Qt::AlignHCenter);
        auto* caption = label(qs(text.caption), 11, QFont::Normal, ColorRole::tertiaryLabel, true);
        caption->setObjectName("caption");
        col->addWidget(caption);
    }
    col->addStretch(1);
    return page;
}

QWidget* OnboardingView::createPage() {
    auto* page = new QWidget(pageArea_);
    page->setObjectName("createPage");
    const auto text = flow_->text();
    auto* col = centredColumn(page, 18);
    col->addStretch(1);
    auto* art = new WorkspaceIllustration(true, dark_, page);
    art->setFixedSize(260, 150);
    col->addWidget(art, 0, Qt::AlignHCenter);
    col->addWidget(label(qs(text.title), 22, QFont::Bold, ColorRole::label, false));
    auto* body = label(qs(text.body), 13, QFont::Normal, ColorRole::secondaryLabel, true);
    body->setObjectName("createBody");
    col->addWidget(body);
    auto* create = largeButton(qs(text.buttonLabel), symbolFor(text.buttonSymbol), dark_, page);
    create->setObjectName("createButton");
    connect(create, &QPushButton::clicked, this, [this] { flow_->create(); });
    col->addWidget(create, 0, Qt::AlignHCenter);
    col->addStretch(1);
    return page;
}

QWidget* OnboardingView::gesturesPage() {
    auto* page = new QWidget(pageArea_);
    page->setObjectName("gesturesPage");
    const auto text = flow_->text();
    auto* col = centredColumn(page, 18);
    col->addStretch(1);
    col->addWidget(label(qs(text.title), 22, QFont::Bold, ColorRole::label, false));
    const auto& rows = onboarding_text::gestures();
    QWidget* art[] = {new MoveIllustration(dark_), new ResizeIllustration(dark_), new MenuIllustration(dark_)};
    for (size_t i = 0; i < rows.size(); ++i)
        col->addWidget(new GestureRow(art[i], qs(rows[i].title), qs(rows[i].detail), dark_, page));
    col->addWidget(label(qs(text.note), 12, QFont::Normal, ColorRole::secondaryLabel, true));
    col->addStretch(1);
    return page;
}

QWidget* OnboardingView::shortcutsPage() {
    auto* page = new QWidget(pageArea_);
    page->setObjectName("shortcutsPage");
    const auto text = flow_->text();
    auto* col = centredColumn(page, 14);
    col->addStretch(1);
    col->addWidget(label(qs(text.title), 22, QFont::Bold, ColorRole::label, false));
    col->addWidget(label(qs(text.note), 12, QFont::Normal, ColorRole::secondaryLabel, true));
    auto* rows = new QVBoxLayout;
    rows->setContentsMargins(0, 2, 0, 0);
    rows->setSpacing(9);
    const auto shortcuts = ShortcutHelp::all();
    const int chipWidth = KeyChip::frameWidth(shortcuts);
    for (const auto& help : shortcuts) {
        auto* row = new QHBoxLayout;
        row->setSpacing(14);
        row->addWidget(new KeyChip(qs(help.keys), chipWidth, dark_, page), 0, Qt::AlignVCenter);
        // Wraps where Linux's longer key names leave it too little room.
        // The last two words stay together, so that a wrapped line never ends a word short.
        QString words = qs(help.summary);
        if (const auto last = words.lastIndexOf(' '); last > 0) words[last] = QChar(0x00A0);
        auto* summary = label(words, 12, QFont::Normal, ColorRole::label, true, Qt::AlignLeft | Qt::AlignVCenter);
        summary->setObjectName(qs("shortcut-" + help.id));
        row->addWidget(summary, 1);
        rows->addLayout(row);
    }
    col->addLayout(rows);
    col->addStretch(1);
    return page;
}

void OnboardingView::paintEvent(QPaintEvent*) {
    paintPanelSurface(*this, color(ColorRole::windowBackground, dark_), kCornerRadius, dark_);
}

}  // namespace tessane::builder_qt
