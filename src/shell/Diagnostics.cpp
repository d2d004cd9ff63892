#include "shell/Diagnostics.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <cmath>
#include <functional>
#include <memory>

#ifndef TESSANE_SUPPORT_EMAIL
#define TESSANE_SUPPORT_EMAIL ""
#endif

namespace tessane::Diagnostics {

namespace {

const char* const kDot = " \u00B7 ";    // space, middle dot, space
const char* const kDash = " \u2014 ";   // space, em dash, space
const char* const kTimes = "\u00D7";
const char* const kTrimMarker = "\n\n[trimmed \u2014 use Copy Diagnostics for the full report]";
constexpr size_t kPaneFitLines = 6;

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += separator;
        out += parts[i];
    }
    return out;
}

long long truncated(double v) { return std::isfinite(v) ? static_cast<long long>(std::trunc(v)) : 0; }

// Walks the extended grapheme clusters (user-perceived characters) of a UTF-8 text from the
// start, as byte ranges, until `visit` answers false.
void forEachCharacter(std::string_view text, const std::function<bool(std::string_view)>& visit) {
    UErrorCode status = U_ZERO_ERROR;
    UText* ut = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_SUCCESS(status) && it) {
        it->setText(ut, status);
        int32_t start = it->first();
        for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next())
            if (!visit(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)))) break;
    }
    utext_close(ut);
}

}  // namespace

std::string supportAddress() { return TESSANE_SUPPORT_EMAIL; }

std::string signedNumber(long long value) { return (value >= 1 ? "+" : "") + std::to_string(value); }

std::string describe(const ScreenInfo& screen, double scale, bool isMain) {
    return std::to_string(truncated(screen.frame.size.width)) + kTimes + std::to_string(truncated(screen.frame.size.height)) +
           " @" + std::to_string(truncated(scale)) + "x" + (isMain ? " (main)" : "");
}

std::string describe(const PaneFit& f) {
    std::string out = f.workspace + " pane " + std::to_string(f.paneIndex) + " (" + f.appName + "): pane " +
                      std::to_string(f.wantWidth) + kTimes + std::to_string(f.wantHeight) + kDash;
    if (f.gotWidth && f.gotHeight) {
        std::vector<std::string> parts{"window " + std::to_string(*f.gotWidth) + kTimes + std::to_string(*f.gotHeight)};
        if (*f.gotWidth != f.wantWidth) parts.push_back("w " + signedNumber(*f.gotWidth - static_cast<long long>(f.wantWidth)));
        if (*f.gotHeight != f.wantHeight) parts.push_back("h " + signedNumber(*f.gotHeight - static_cast<long long>(f.wantHeight)));
        if (f.offsetX && f.offsetY && (*f.offsetX != 0 || *f.offsetY != 0))
            parts.push_back("origin " + signedNumber(*f.offsetX) + "," + signedNumber(*f.offsetY));
        return out + joined(parts, ", ");
    }
    return out + f.note.value_or("no window");
}

std::string render(const Snapshot& s) {
    std::vector<std::string> lines;
    lines.push_back("Tessane " + s.appVersion);
    lines.push_back(s.osVersion + kDot + s.hardwareModel + kDot + s.architecture);
    lines.push_back(s.bundlePath + kDot + "launch at login: " + s.launchAtLogin);
    lines.push_back("");
    lines.push_back(std::string("Window control: ") + (s.accessibilityTrusted ? "available" : "NOT AVAILABLE"));
    lines.push_back(s.displays.empty() ? "Displays: none reported"
                                       : "Displays: " + std::to_string(s.displays.size()) + kDash + joined(s.displays, ", "));
    lines.push_back("Theme: " + s.theme);
    lines.push_back("");
    size_t shown = 0;
    for (const auto& w : s.workspaces) shown += w.isShown ? 1 : 0;
    lines.push_back("Workspaces: " + std::to_string(s.workspaces.size()) + " (" + std::to_string(shown) + " shown)");
    for (const auto& w : s.workspaces) {
        lines.push_back(std::string("  \u00B7 ") + w.name + kDash + std::to_string(w.appCount) + " apps" + kDot + w.layout +
                        (w.isShown ? std::string(kDot) + "shown" : "") + kDot +
                        (w.bundleIdentifiers.empty() ? "(no apps)" : joined(w.bundleIdentifiers, ", ")));
    }
    lines.push_back("");
    if (s.panesChecked == 0) {
        lines.push_back("Pane fit: nothing shown, nothing measured");
    } else if (s.paneFit.empty()) {
        lines.push_back("Pane fit: all " + std::to_string(s.panesChecked) + " shown panes hold their window");
    } else {
        lines.push_back("Pane fit: " + std::to_string(s.paneFit.size()) + " of " + std::to_string(s.panesChecked) +
                        " shown panes off");
        for (size_t i = 0; i < s.paneFit.size() && i < kPaneFitLines; ++i)
            lines.push_back(std::string("  \u00B7 ") + describe(s.paneFit[i]));
        if (s.paneFit.size() > kPaneFitLines)
            lines.push_back("  \u00B7 \u2026 " + std::to_string(s.paneFit.size() - kPaneFitLines) +
                            " more (Copy Diagnostics carries them all)");
    }
    return joined(lines, "\n");
}

std::string fullText(std::string_view summary, const std::vector<std::string>& logLines) {
    if (logLines.empty())
        return std::string(summary) + "\n\nRecent log\n(no Tessane log entries were readable on this system)";
    return std::string(summary) + "\n\nRecent log (" + std::to_string(logLines.size()) + " lines)\n" + joined(logLines, "\n");
}

std::string percentEncoded(std::string_view text) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> mailtoURL(std::string_view to, std::string_view subject, std::string_view body, int urlLimit) {
    // The recipient goes in unchanged; one no link can carry makes no link.
    for (unsigned char c : to)
        if (c <= 0x20 || c == 0x7F) return std::nullopt;
    const std::string prefix = "mailto:" + std::string(to) + "?subject=" + percentEncoded(subject) + "&body=";
    // Every encoded character is ASCII, so its bytes are its characters.
    const long long budget = static_cast<long long>(urlLimit) - static_cast<long long>(prefix.size());
    if (budget < 1) return std::nullopt;
    const std::string whole = percentEncoded(body);
    if (static_cast<long long>(whole.size()) <= budget) return prefix + whole;

    const std::string marker = percentEncoded(kTrimMarker);
    const long long room = budget - static_cast<long long>(marker.size());
    if (room < 1) return std::nullopt;
    std::string kept;
    long long total = 0;
    forEachCharacter(body, [&](std::string_view character) {
        const std::string encoded = percentEncoded(character);
        if (total + static_cast<long long>(encoded.size()) > room) return false;  // later ones are never taken
        total += static_cast<long long>(encoded.size());
        kept += encoded;
        return true;
    });
    return prefix + kept + marker;
}

}  // namespace tessane::Diagnostics
