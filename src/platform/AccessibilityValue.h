#pragma once

#include "base/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessane {

// A process identifier, as the window server and the Accessibility port use it.
using Pid = int32_t;

// The Accessibility interface's own error codes. Backends may answer other codes of the same
// family; callers compare with these and print the number.
enum class AXError : int32_t {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidUIElement = -25202,
    cannotComplete = -25204,
    attributeUnsupported = -25205,
    actionUnsupported = -25206,
    notificationUnsupported = -25207,
    notificationAlreadyRegistered = -25209,
    apiDisabled = -25211,
    noValue = -25212,
};

inline int32_t code(AXError e) { return static_cast<int32_t>(e); }

// An opaque reference to one user-interface object of another application (its application
// object, a window, a menu, a menu item). Two elements are equal exactly when they name the same
// object. The handle's meaning belongs to the backend that made it; 0 is the null element.
class AXElement {
public:
    AXElement() = default;
    static AXElement fromHandle(uint64_t handle) { return AXElement(handle); }

    uint64_t handle() const { return handle_; }
    bool isNull() const { return handle_ == 0; }
    explicit operator bool() const { return handle_ != 0; }

    bool operator==(const AXElement&) const = default;
    auto operator<=>(const AXElement&) const = default;

private:
    explicit AXElement(uint64_t handle) : handle_(handle) {}
    uint64_t handle_ = 0;
};

// An attribute value. Booleans, integers and doubles stay distinct kinds: a reader that wants a
// Boolean does not take the number 1, and one that wants a number decides for itself whether a
// Boolean counts.
class AXValue {
public:
    enum class Kind { none, string, integer, real, boolean, point, size, element, array, url };
    using Array = std::vector<AXValue>;

    AXValue() = default;  // none
    static AXValue string(std::string s) { return AXValue(Storage(std::in_place_index<1>, std::move(s))); }
    static AXValue integer(int64_t i) { return AXValue(Storage(std::in_place_index<2>, i)); }
    static AXValue real(double d) { return AXValue(Storage(std::in_place_index<3>, d)); }
    static AXValue boolean(bool b) { return AXValue(Storage(std::in_place_index<4>, b)); }
    static AXValue point(Point p) { return AXValue(Storage(std::in_place_index<5>, p)); }
    static AXValue size(Size s) { return AXValue(Storage(std::in_place_index<6>, s)); }
    static AXValue element(AXElement e) { return AXValue(Storage(std::in_place_index<7>, e)); }
    static AXValue array(Array a) { return AXValue(Storage(std::in_place_index<8>, std::move(a))); }
    static AXValue url(std::string u) { return AXValue(Storage(std::in_place_index<9>, Url{std::move(u)})); }
    static AXValue elements(const std::vector<AXElement>& list) {
        Array a;
        a.reserve(list.size());
        for (auto& e : list) a.push_back(element(e));
        return array(std::move(a));
    }

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isNone() const { return kind() == Kind::none; }

    // Each answers only for its own kind.
    std::optional<std::string> asString() const { return get<1, std::string>(); }
    std::optional<int64_t> asInteger() const { return get<2, int64_t>(); }
    std::optional<double> asReal() const { return get<3, double>(); }
    std::optional<bool> asBoolean() const { return get<4, bool>(); }
    std::optional<Point> asPoint() const { return get<5, Point>(); }
    std::optional<Size> asSize() const { return get<6, Size>(); }
    std::optional<AXElement> asElement() const { return get<7, AXElement>(); }
    const Array* asArray() const { return std::get_if<8>(&storage_); }
    std::optional<std::string> asUrl() const {
        if (auto u = std::get_if<9>(&storage_)) return u->string;
        return std::nullopt;
    }

    // A number in the wide sense of the platform's number objects: an integer, a double or a
    // Boolean (as 0 or 1).
    std::optional<double> asNumber() const {
        if (auto i = asInteger()) return static_cast<double>(*i);
        if (auto d = asReal()) return *d;
        if (auto b = asBoolean()) return *b ? 1.0 : 0.0;
        return std::nullopt;
    }

    bool operator==(const AXValue&) const = default;

private:
    struct Url {
        std::string string;
        bool operator==(const Url&) const = default;
    };
    using Storage = std::variant<std::monostate, std::string, int64_t, double, bool, Point, Size,
                                 AXElement, Array, Url>;

    explicit AXValue(Storage s) : storage_(std::move(s)) {}
    template <size_t I, typename T>
    std::optional<T> get() const {
        if (auto p = std::get_if<I>(&storage_)) return *p;
        return std::nullopt;
    }

    Storage storage_;
};

// The result of reading one attribute: the error code and, on success, the value.
struct AXAttributeResult {
    AXError error = AXError::noValue;
    AXValue value;

    bool ok() const { return error == AXError::success; }
};

}  // namespace tessane

template <>
struct std::hash<tessane::AXElement> {
    size_t operator()(const tessane::AXElement& e) const noexcept {
        return std::hash<uint64_t>{}(e.handle());
    }
};
