#pragma once

namespace tessane {

// The alerts about a tile that cannot be done (Stage Manager on, windows in fullscreen, too few
// windows) come one at a time: while one is up, another is not shown. Its caller holds it as long
// as it must: a retry run from the answer while it is held cannot stack a second alert.
class BlockedPrompt final {
public:
    class Held {
    public:
        explicit Held(bool& up) : up(up) { up = true; }
        ~Held() { up = false; }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        bool& up;
    };

    bool isUp() const { return up; }
    // Marks an alert as up until the returned value goes.
    [[nodiscard]] Held hold() { return Held(up); }

private:
    bool up = false;
};

}  // namespace tessane
