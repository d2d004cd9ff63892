#pragma once
// Counts the replies the X server sends each client while it runs, seen by the server itself
// (the RECORD extension), so that every connection of a process is counted, also those a toolkit
// opens and we cannot reach from inside. Clients are told apart by their resource-id base and
// named by their process through X-Resource. With `requests`, the core requests each client
// sends are counted too, by opcode (ConfigureWindow, GetProperty...): what a client asked of the
// server, beside what it waited for.

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/record.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <chrono>
#include <utility>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tessane::bench {

// The resource-id bases of the X clients of process `pid` (its connections), as the server tells
// through X-Resource.
inline std::vector<unsigned long> clientsOfProcess(Display* d, pid_t pid) {
    std::vector<unsigned long> out;
    XResClientIdSpec wanted{0, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(d, 1, &wanted, &count, &ids) != Success) return out;
    for (long i = 0; i < count; ++i) {
        if (XResGetClientPid(&ids[i]) != pid) continue;
        const auto& [client, length, value] = ids[i];  // which client, and its pid's bytes
        out.push_back(client.client);
    }
    XResClientIdsDestroy(count, ids);
    return out;
}

class XReplyRecorder {
public:
    // Starts counting at once; none of the recorder's own connections is counted.
    explicit XReplyRecorder(const std::string& display, bool requests = false) {
        control_ = XOpenDisplay(display.c_str());
        data_ = XOpenDisplay(display.c_str());
        int major = 0, minor = 0;
        if (!control_ || !data_ || !XRecordQueryVersion(control_, &major, &minor)) return;
        XRecordRange* range = XRecordAllocRange();
        range->core_replies.first = 1;
        range->core_replies.last = 127;
        range->ext_replies.ext_major.first = 128;
        range->ext_replies.ext_major.last = 255;
        range->ext_replies.ext_minor.first = 0;
        range->ext_replies.ext_minor.last = 65535;
        if (requests) {
            range->core_requests.first = 1;
            range->core_requests.last = 127;
        }
        XRecordClientSpec all = XRecordAllClients;
        context_ = XRecordCreateContext(control_, 0, &all, 1, &range, 1);
        XFree(range);
        XSync(control_, False);
        if (!context_) return;
        thread_ = std::thread([this] {
            XRecordEnableContext(data_, context_, &XReplyRecorder::intercepted, reinterpret_cast<XPointer>(this));
            started_ = true;  // also when the server refused to record
        });
        // The server's first answer to the enabling says that it records from now on.
        while (!started_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~XReplyRecorder() {
        stop();
        if (data_) XCloseDisplay(data_);
        if (control_) XCloseDisplay(control_);
    }
    XReplyRecorder(const XReplyRecorder&) = delete;
    XReplyRecorder& operator=(const XReplyRecorder&) = delete;

    bool running() const { return context_ != 0; }

    // Stops counting; what the server intercepted until now is counted.
    void stop() {
        if (!context_) return;
        XRecordDisableContext(control_, context_);
        XSync(control_, False);
        if (thread_.joinable()) thread_.join();
        XRecordFreeContext(control_, context_);
        XSync(control_, False);
        context_ = 0;
    }

    // Replies per client of the process `pid` (by resource-id base), after stop().
    std::map<unsigned long, long> repliesOf(pid_t pid) const {
        std::map<unsigned long, long> out;
        for (const unsigned long base : clientsOf(pid))
            if (const auto it = replies_.find(base); it != replies_.end()) out[base] = it->second;
        return out;
    }

    // Core requests of opcode `opcode` sent by the client of resource-id base `base`, after stop().
    long requestsOf(unsigned long base, int opcode) const {
        const auto it = requests_.find({base, opcode});
        return it == requests_.end() ? 0 : it->second;
    }
    // When the recorder last heard such a request (steady clock, seconds; 0: never).
    double lastRequestOf(unsigned long base, int opcode) const {
        const auto it = lastRequest_.find({base, opcode});
        return it == lastRequest_.end() ? 0 : it->second;
    }
    // GetProperty (20) or ChangeProperty (18) requests of a client, by the property they name.
    std::map<uint32_t, long> propertiesOf(unsigned long base, int opcode) const {
        const auto it = properties_.find({base, opcode});
        return it == properties_.end() ? std::map<uint32_t, long>{} : it->second;
    }
    // The resource-id bases of the clients of process `pid`.
    std::vector<unsigned long> clientsOf(pid_t pid) const { return clientsOfProcess(control_, pid); }
    // The same summed over the clients of process `pid`.
    long requestsOf(pid_t pid, int opcode) const {
        long sum = 0;
        for (const unsigned long base : clientsOf(pid)) sum += requestsOf(base, opcode);
        return sum;
    }

private:
    static void intercepted(XPointer closure, XRecordInterceptData* d) {
        auto* self = reinterpret_cast<XReplyRecorder*>(closure);
        if (d->category == XRecordStartOfData) self->started_ = true;
        if (d->category == XRecordFromServer) ++self->replies_[d->id_base];
        if (d->category == XRecordFromClient && d->data_len > 0 && d->data)
        {
            const int opcode = d->data[0];
            // GetProperty and ChangeProperty name their property at the same place.
            if ((opcode == 18 || opcode == 20) && d->data_len >= 3) {
                uint32_t atom = 0;
                std::memcpy(&atom, d->data + 8, 4);
                ++self->properties_[{d->id_base, opcode}][atom];
            }
            ++self->requests_[{d->id_base, int(d->data[0])}];
            self->lastRequest_[{d->id_base, int(d->data[0])}] =
                std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        }
        XRecordFreeData(d);
    }

    Display* control_ = nullptr;
    Display* data_ = nullptr;
    XRecordContext context_ = 0;
    std::thread thread_;
    std::atomic<bool> started_ = false;
    std::map<std::pair<unsigned long, int>, long> requests_;  // (client, opcode); the same
    std::map<std::pair<unsigned long, int>, double> lastRequest_;
    std::map<std::pair<unsigned long, int>, std::map<uint32_t, long>> properties_;
    std::map<unsigned long, long> replies_;  // written by the thread until stop() joins it
};

}  // namespace tessane::bench
