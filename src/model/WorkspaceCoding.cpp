#include "model/WorkspaceCoding.h"

#include "base/FileRead.h"
#include "base/SharedBytes.h"
#include "model/StoredJsonWriter.h"

#include <unordered_map>

namespace tessane {
namespace {

using Reader = StoredJsonReader;
using Kind = StoredJsonReader::Kind;

// ---- Decoding helpers ----

const char* kindName(Kind k) {
    switch (k) {
        case Kind::object: return "an object";
        case Kind::array: return "an array";
        case Kind::string: return "a string";
        case Kind::number: return "a number";
        case Kind::boolean: return "a Boolean";
        case Kind::null: return "null";
    }
    return "a value";
}

void want(Reader& r, Kind kind) {
    const Kind found = r.peek();
    if (found != kind)
        throw DecodeFailure(std::string("Expected ") + kindName(kind) + " but found " + kindName(found) + ".");
}

// Runs `read` for the value of `segment`, adding the segment to the path of any failure.
template <typename F>
void at(std::string_view segment, F&& read) {
    try {
        read();
    } catch (DecodeFailure& failure) {
        failure.prepend(segment);
        throw;
    }
}

std::string index(size_t i) { return "[" + std::to_string(i) + "]"; }

[[noreturn]] void missing(const char* key) {
    throw DecodeFailure(std::string("No value for key \"") + key + "\".");
}

std::string readString(Reader& r) {
    want(r, Kind::string);
    return r.readString();
}

double readDouble(Reader& r) {
    want(r, Kind::number);
    return r.readNumber();
}

uint32_t readUInt32(Reader& r) {
    want(r, Kind::number);
    return r.readUInt32();
}

bool readBool(Reader& r) {
    want(r, Kind::boolean);
    return r.readBool();
}

Uuid readUuid(Reader& r) {
    auto uuid = Uuid::parse(readString(r));
    if (!uuid) throw DecodeFailure("Not a valid UUID string.");
    return *uuid;
}

Bytes readBytes(Reader& r) {
    want(r, Kind::string);
    Bytes bytes;
    if (!r.readBase64(bytes)) throw DecodeFailure("Not valid Base64 data.");
    return bytes;
}

// Icons: a long list repeats the few icons of the apps it uses, so every distinct icon is held
// once, shared by all the records that carry it, and decoded once.
struct IconReader {
    SharedBytesPool pool;
    // By their text in the document, which outlives the decoding.
    std::unordered_map<std::string_view, SharedBytes, SampledHash> byText;
    Bytes scratch;  // decoded into first, reused: only a new icon costs an allocation

    SharedBytes operator()(Reader& r) {
        want(r, Kind::string);
        const auto text = r.readRawBase64();
        if (text)
            if (const auto known = byText.find(*text); known != byText.end()) return known->second;
        if (!(text ? Reader::decodeBase64(*text, scratch) : r.readBase64(scratch)))
            throw DecodeFailure("Not valid Base64 data.");
        SharedBytes icon = pool.intern(scratch);
        if (text) byText.emplace(*text, icon);
        return icon;
    }
};

template <typename E>
E readEnum(Reader& r) {
    const std::string raw = readString(r);
    auto value = fromString<E>(raw);
    if (!value) throw DecodeFailure("Cannot initialize from invalid value \"" + raw + "\".");
    return *value;
}

std::vector<double> readDoubles(Reader& r) {
    want(r, Kind::array);
    std::vector<double> values;
    r.beginArray();
    while (r.nextElement()) at(index(values.size()), [&] { values.push_back(readDouble(r)); });
    return values;
}

// Objects: calls onKey(key) for every member; onKey returns false for keys it does not know,
// whose values are skipped.
template <typename F>
void readObject(Reader& r, F&& onKey) {
    want(r, Kind::object);
    r.beginObject();
    std::string_view key;
    while (r.nextKey(key)) {
        bool known = false;
        // The key's text may live in the reader's scratch space, which nested reads reuse.
        const std::string segment(key);
        at(segment, [&] { known = onKey(key); });
        if (!known) r.skipValue();
    }
}

// An optional member: null leaves it absent.
template <typename T, typename F>
void readOptional(Reader& r, std::optional<T>& field, F&& read) {
    if (r.consumeNull()) {
        field.reset();
        return;
    }
    field = read(r);
}

// ---- Records ----

RectModel readRect(Reader& r) {
    RectModel rect;
    bool x = false, y = false, w = false, h = false;
    readObject(r, [&](std::string_view key) {
        if (key == "x") rect.x = readDouble(r), x = true;
        else if (key == "y") rect.y = readDouble(r), y = true;
        else if (key == "width") rect.width = readDouble(r), w = true;
        else if (key == "height") rect.height = readDouble(r), h = true;
        else return false;
        return true;
    });
    if (!x) missing("x");
    if (!y) missing("y");
    if (!w) missing("width");
    if (!h) missing("height");
    return rect;
}

SizeModel readSize(Reader& r) {
    SizeModel size;
    bool w = false, h = false;
    readObject(r, [&](std::string_view key) {
        if (key == "width") size.width = readDouble(r), w = true;
        else if (key == "height") size.height = readDouble(r), h = true;
        else return false;
        return true;
    });
    if (!w) missing("width");
    if (!h) missing("height");
    return size;
}

SplitNode readSplitNode(Reader& r);

SplitNode readSplitCase(Reader& r) {
    std::optional<SplitDirection> direction;
    std::optional<double> ratio;
    std::optional<std::vector<SplitNode>> children;
    readObject(r, [&](std::string_view key) {
        if (key == "direction") direction = readEnum<SplitDirection>(r);
        else if (key == "ratio") ratio = readDouble(r);
        else if (key == "children") {
            want(r, Kind::array);
            children.emplace();
            r.beginArray();
            while (r.nextElement()) at(index(children->size()), [&] { children->push_back(readSplitNode(r)); });
        } else return false;
        return true;
    });
    if (!direction) missing("direction");
    if (!ratio) missing("ratio");
    if (!children) missing("children");
    return SplitNode::split(*direction, *ratio, std::move(*children));
}

SplitNode readAppCase(Reader& r) {
    std::optional<std::string> appId;
    readObject(r, [&](std::string_view key) {
        if (key != "appId") return false;
        appId = readString(r);
        return true;
    });
    if (!appId) missing("appId");
    return SplitNode::app(std::move(*appId));
}

SplitNode readSplitNode(Reader& r) {
    // The number of case keys decides first: a node with two cases fails for that, whatever
    // either case holds. A copy of the reader looks ahead without consuming anything.
    {
        Reader ahead = r;
        want(ahead, Kind::object);
        ahead.beginObject();
        int keys = 0;
        std::string_view key;
        while (ahead.nextKey(key)) {
            if (key == "split" || key == "app") ++keys;
            ahead.skipValue();
        }
        if (keys != 1) throw DecodeFailure("Invalid number of keys found, expected one.");
    }
    std::optional<SplitNode> node;
    int cases = 0;
    readObject(r, [&](std::string_view key) {
        if (key == "split") node = readSplitCase(r);
        else if (key == "app") node = readAppCase(r);
        else return false;
        ++cases;
        return true;
    });
    if (cases != 1) throw DecodeFailure("Invalid number of keys found, expected one.");
    return std::move(*node);
}

ThreeColumnsState readThreeColumns(Reader& r) {
    ThreeColumnsState state;
    bool folded = false;
    readObject(r, [&](std::string_view key) {
        if (key == "folded") state.folded = readBool(r), folded = true;
        else if (key == "parkedRatios") readOptional(r, state.parkedRatios, readDoubles);
        else return false;
        return true;
    });
    if (!folded) missing("folded");
    return state;
}

std::map<std::string, std::string> readStringMap(Reader& r) {
    std::map<std::string, std::string> map;
    want(r, Kind::object);
    r.beginObject();
    std::string_view key;
    while (r.nextKey(key)) {
        std::string k(key);
        at(k, [&] { map[k] = readString(r); });
    }
    return map;
}

std::map<std::string, RectModel> readRectMap(Reader& r) {
    std::map<std::string, RectModel> map;
    want(r, Kind::object);
    r.beginObject();
    std::string_view key;
    while (r.nextKey(key)) {
        // The key's view may point into the reader's key scratch, which the rectangle's own keys
        // overwrite; name the failure by the copy.
        std::string k(key);
        at(k, [&] { map[k] = readRect(r); });
    }
    return map;
}

Layout readLayout(Reader& r) {
    Layout layout;
    bool type = false;
    readObject(r, [&](std::string_view key) {
        if (key == "type") layout.type = readEnum<LayoutType>(r), type = true;
        else if (key == "splitTree") readOptional(r, layout.splitTree, readSplitNode);
        else if (key == "ratios") readOptional(r, layout.ratios, readDoubles);
        else if (key == "paneAssignments") readOptional(r, layout.paneAssignments, readStringMap);
        else if (key == "threeColumns") readOptional(r, layout.threeColumns, readThreeColumns);
        else return false;
        return true;
    });
    if (!type) missing("type");
    return layout;
}

LayoutCheckpoint readCheckpoint(Reader& r) {
    LayoutCheckpoint checkpoint;
    bool frame = false;
    readObject(r, [&](std::string_view key) {
        if (key == "containerFrame") checkpoint.containerFrame = readRect(r), frame = true;
        else if (key == "ratios") readOptional(r, checkpoint.ratios, readDoubles);
        else return false;
        return true;
    });
    if (!frame) missing("containerFrame");
    return checkpoint;
}

ShortcutConfig readShortcut(Reader& r) {
    ShortcutConfig shortcut;
    bool keyCode = false, modifiers = false, display = false;
    readObject(r, [&](std::string_view key) {
        if (key == "keyCode") shortcut.keyCode = readUInt32(r), keyCode = true;
        else if (key == "carbonModifiers") shortcut.carbonModifiers = readUInt32(r), modifiers = true;
        else if (key == "displayString") shortcut.displayString = readString(r), display = true;
        else return false;
        return true;
    });
    if (!keyCode) missing("keyCode");
    if (!modifiers) missing("carbonModifiers");
    if (!display) missing("displayString");
    return shortcut;
}

ManagedApp readApp(Reader& r, IconReader& icons) {
    ManagedApp app;
    bool id = false, name = false, bundle = false, role = false;
    readObject(r, [&](std::string_view key) {
        if (key == "id") app.id = readUuid(r), id = true;
        else if (key == "displayName") app.displayName = readString(r), name = true;
        else if (key == "bundleIdentifier") app.bundleIdentifier = readString(r), bundle = true;
        else if (key == "appURLBookmark") readOptional(r, app.appURLBookmark, readBytes);
        else if (key == "appPath") readOptional(r, app.appPath, readString);
        else if (key == "iconData") readOptional(r, app.iconData, icons);
        else if (key == "preferredPaneId") readOptional(r, app.preferredPaneId, readString);
        else if (key == "role") app.role = readEnum<AppRole>(r), role = true;
        else if (key == "observedMinSize") readOptional(r, app.observedMinSize, readSize);
        else if (key == "lastDocumentPath") readOptional(r, app.lastDocumentPath, readString);
        else return false;
        return true;
    });
    if (!id) missing("id");
    if (!name) missing("displayName");
    if (!bundle) missing("bundleIdentifier");
    if (!role) missing("role");
    return app;
}

std::vector<ManagedApp> readApps(Reader& r, IconReader& icons) {
    want(r, Kind::array);
    std::vector<ManagedApp> apps;
    r.beginArray();
    while (r.nextElement()) at(index(apps.size()), [&] { apps.push_back(readApp(r, icons)); });
    return apps;
}

Workspace readWorkspace(Reader& r, IconReader& icons) {
    Workspace w;
    bool id = false, name = false, apps = false, layout = false, enabled = false;
    readObject(r, [&](std::string_view key) {
        if (key == "id") w.id = readUuid(r), id = true;
        else if (key == "name") w.name = readString(r), name = true;
        else if (key == "apps") w.apps = readApps(r, icons), apps = true;
        else if (key == "layout") w.layout = readLayout(r), layout = true;
        else if (key == "primaryAppBundleIdentifier") readOptional(r, w.primaryAppBundleIdentifier, readString);
        else if (key == "primaryAppID") readOptional(r, w.primaryAppID, readUuid);
        else if (key == "shortcut") readOptional(r, w.shortcut, readShortcut);
        else if (key == "lastContainerFrame") readOptional(r, w.lastContainerFrame, readRect);
        else if (key == "topologyFrames") readOptional(r, w.topologyFrames, readRectMap);
        else if (key == "savedLayout") readOptional(r, w.savedLayout, readCheckpoint);
        else if (key == "isEnabled") w.isEnabled = readBool(r), enabled = true;
        else return false;
        return true;
    });
    if (!id) missing("id");
    if (!name) missing("name");
    if (!apps) missing("apps");
    if (!layout) missing("layout");
    if (!enabled) missing("isEnabled");
    return w;
}

// ---- Encoding (keys in sorted byte order) ----

using Writer = StoredJsonWriter;

void writeDoubles(Writer& w, const std::vector<double>& values) {
    w.beginArray();
    for (double v : values) w.number(v);
    w.endArray();
}

void writeRect(Writer& w, const RectModel& rect) {
    w.beginObject();
    w.key("height"), w.number(rect.height);
    w.key("width"), w.number(rect.width);
    w.key("x"), w.number(rect.x);
    w.key("y"), w.number(rect.y);
    w.endObject();
}

void writeSize(Writer& w, const SizeModel& size) {
    w.beginObject();
    w.key("height"), w.number(size.height);
    w.key("width"), w.number(size.width);
    w.endObject();
}

void writeSplitNode(Writer& w, const SplitNode& node) {
    w.beginObject();
    if (node.kind == SplitNode::Kind::app) {
        w.key("app");
        w.beginObject();
        w.key("appId"), w.string(node.appId);
        w.endObject();
    } else {
        w.key("split");
        w.beginObject();
        w.key("children");
        w.beginArray();
        for (const auto& child : node.children) writeSplitNode(w, child);
        w.endArray();
        w.key("direction"), w.string(toString(node.direction));
        w.key("ratio"), w.number(node.ratio);
        w.endObject();
    }
    w.endObject();
}

void writeLayout(Writer& w, const Layout& layout) {
    w.beginObject();
    if (layout.paneAssignments) {
        w.key("paneAssignments");
        w.beginObject();
        for (const auto& [pane, app] : *layout.paneAssignments) w.key(pane), w.string(app);
        w.endObject();
    }
    if (layout.ratios) w.key("ratios"), writeDoubles(w, *layout.ratios);
    if (layout.splitTree) w.key("splitTree"), writeSplitNode(w, *layout.splitTree);
    if (layout.threeColumns) {
        w.key("threeColumns");
        w.beginObject();
        w.key("folded"), w.boolean(layout.threeColumns->folded);
        if (layout.threeColumns->parkedRatios) w.key("parkedRatios"), writeDoubles(w, *layout.threeColumns->parkedRatios);
        w.endObject();
    }
    w.key("type"), w.string(toString(layout.type));
    w.endObject();
}

void writeApp(Writer& w, const ManagedApp& app) {
    w.beginObject();
    if (app.appPath) w.key("appPath"), w.string(*app.appPath);
    if (app.appURLBookmark) w.key("appURLBookmark"), w.base64(*app.appURLBookmark);
    w.key("bundleIdentifier"), w.string(app.bundleIdentifier);
    w.key("displayName"), w.string(app.displayName);
    if (app.iconData) w.key("iconData"), w.base64(*app.iconData);
    w.key("id"), w.string(app.id.string());
    if (app.lastDocumentPath) w.key("lastDocumentPath"), w.string(*app.lastDocumentPath);
    if (app.observedMinSize) w.key("observedMinSize"), writeSize(w, *app.observedMinSize);
    if (app.preferredPaneId) w.key("preferredPaneId"), w.string(*app.preferredPaneId);
    w.key("role"), w.string(toString(app.role));
    w.endObject();
}

void writeWorkspace(Writer& w, const Workspace& ws) {
    w.beginObject();
    w.key("apps");
    w.beginArray();
    for (const auto& app : ws.apps) writeApp(w, app);
    w.endArray();
    w.key("id"), w.string(ws.id.string());
    w.key("isEnabled"), w.boolean(ws.isEnabled);
    if (ws.lastContainerFrame) w.key("lastContainerFrame"), writeRect(w, *ws.lastContainerFrame);
    w.key("layout"), writeLayout(w, ws.layout);
    w.key("name"), w.string(ws.name);
    if (ws.primaryAppBundleIdentifier) w.key("primaryAppBundleIdentifier"), w.string(*ws.primaryAppBundleIdentifier);
    if (ws.primaryAppID) w.key("primaryAppID"), w.string(ws.primaryAppID->string());
    if (ws.savedLayout) {
        w.key("savedLayout");
        w.beginObject();
        w.key("containerFrame"), writeRect(w, ws.savedLayout->containerFrame);
        if (ws.savedLayout->ratios) w.key("ratios"), writeDoubles(w, *ws.savedLayout->ratios);
        w.endObject();
    }
    if (ws.shortcut) {
        w.key("shortcut");
        w.beginObject();
        w.key("carbonModifiers"), w.unsignedInteger(ws.shortcut->carbonModifiers);
        w.key("displayString"), w.string(ws.shortcut->displayString);
        w.key("keyCode"), w.unsignedInteger(ws.shortcut->keyCode);
        w.endObject();
    }
    if (ws.topologyFrames) {
        w.key("topologyFrames");
        w.beginObject();
        for (const auto& [fingerprint, frame] : *ws.topologyFrames) w.key(fingerprint), writeRect(w, frame);
        w.endObject();
    }
    w.endObject();
}

// A close upper bound of the encoded size, so the output grows only once.
size_t estimatedSize(const Workspace& ws) {
    size_t n = 1024;
    for (const auto& app : ws.apps) {
        n += 512 + app.displayName.size() + app.bundleIdentifier.size();
        if (app.iconData) n += app.iconData->size() / 3 * 4 + 4;
        if (app.appURLBookmark) n += app.appURLBookmark->size() / 3 * 4 + 4;
        if (app.appPath) n += app.appPath->size();
        if (app.lastDocumentPath) n += app.lastDocumentPath->size();
    }
    if (ws.topologyFrames) n += ws.topologyFrames->size() * 160;
    return n;
}

template <typename List, typename Record>
void encodeList(const List& workspaces, Record record, std::string& out) {
    size_t estimate = 2;
    for (const auto& ws : workspaces) estimate += estimatedSize(record(ws));
    out.clear();
    out.reserve(estimate);
    Writer w(out);
    w.beginArray();
    for (const auto& ws : workspaces) writeWorkspace(w, record(ws));
    w.endArray();
}

}  // namespace

void encodeWorkspaces(const std::vector<Workspace>& workspaces, std::string& out) {
    encodeList(workspaces, [](const Workspace& ws) -> const Workspace& { return ws; }, out);
}

void encodeWorkspaces(const std::vector<std::shared_ptr<const Workspace>>& workspaces, std::string& out) {
    encodeList(workspaces, [](const std::shared_ptr<const Workspace>& ws) -> const Workspace& { return *ws; }, out);
}

std::string encodeWorkspaces(const std::vector<Workspace>& workspaces) {
    std::string out;
    encodeWorkspaces(workspaces, out);
    return out;
}

std::vector<Workspace> decodeWorkspaces(std::string_view json) {
    // Some editors start the file with a byte-order mark; it says nothing in UTF-8.
    Reader r(withoutByteOrderMark(json));
    std::vector<Workspace> workspaces;
    IconReader icons;
    want(r, Kind::array);
    r.beginArray();
    while (r.nextElement()) at(index(workspaces.size()), [&] { workspaces.push_back(readWorkspace(r, icons)); });
    r.expectEnd();
    return workspaces;
}

std::string encodeWorkspace(const Workspace& workspace) {
    std::string out;
    out.reserve(estimatedSize(workspace));
    Writer w(out);
    writeWorkspace(w, workspace);
    return out;
}

Workspace decodeWorkspace(std::string_view json) {
    Reader r(json);
    IconReader icons;
    Workspace workspace = readWorkspace(r, icons);
    r.expectEnd();
    return workspace;
}

}  // namespace tessane
