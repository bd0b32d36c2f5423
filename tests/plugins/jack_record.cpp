// tarn-jack-record: records one JACK port into a raw float32 file without losing a frame, however
// busy the machine: the server freewheels while it records, so that every client runs every cycle
// and none waits for a clock it could miss, and the frames go into memory the recording holds from
// its start. Cycles from before the server freewheeled are not kept.
//   tarn-jack-record PORT FRAMES OUT.f32     (exit 0 recorded, 1 failed, 2 usage)
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kClientName = "tarn-record";
constexpr auto kTimeLimit = std::chrono::seconds(60);
constexpr useconds_t kPollMicroseconds = 10000;

struct Recording {
    jack_port_t* input = nullptr;
    std::vector<float> frames;
    std::atomic<bool> freewheeling{false};
    bool skippedFirst = false;  // the cycle in which the server switched over
    std::atomic<size_t> filled{0};
};

// [audio] Copies the port's frames while the server freewheels, until the recording is full.
int process(jack_nframes_t count, void* arg) {
    auto* r = static_cast<Recording*>(arg);
    if (!r->freewheeling.load(std::memory_order_acquire)) return 0;
    if (!r->skippedFirst) {
        r->skippedFirst = true;
        return 0;
    }
    const size_t at = r->filled.load(std::memory_order_relaxed);
    if (at >= r->frames.size()) return 0;
    const size_t n = std::min<size_t>(count, r->frames.size() - at);
    std::memcpy(r->frames.data() + at, jack_port_get_buffer(r->input, count), n * sizeof(float));
    r->filled.store(at + n, std::memory_order_release);
    return 0;
}

void onFreewheel(int starting, void* arg) {
    static_cast<Recording*>(arg)->freewheeling.store(starting != 0, std::memory_order_release);
}

int fail(jack_client_t* client, const char* what) {
    std::fprintf(stderr, "tarn-jack-record: %s\n", what);
    if (client != nullptr) {
        jack_set_freewheel(client, 0);
        jack_client_close(client);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const long frames = argc == 4 ? std::strtol(argv[2], nullptr, 10) : 0;
    if (frames <= 0) {
        std::fprintf(stderr, "usage: tarn-jack-record PORT FRAMES OUT.f32\n");
        return 2;
    }
    Recording r;
    r.frames.assign(static_cast<size_t>(frames), 0.0f);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(kClientName, JackNoStartServer, &status);
    if (client == nullptr) return fail(nullptr, "no JACK server");
    r.input = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    if (r.input == nullptr || jack_set_process_callback(client, &process, &r) != 0 ||
        jack_set_freewheel_callback(client, &onFreewheel, &r) != 0 || jack_activate(client) != 0)
        return fail(client, "the JACK client did not start");
    if (jack_connect(client, argv[1], jack_port_name(r.input)) != 0) return fail(client, "the port did not connect");
    if (jack_set_freewheel(client, 1) != 0) return fail(client, "the server did not freewheel");
    const auto start = std::chrono::steady_clock::now();
    while (r.filled.load(std::memory_order_acquire) < r.frames.size()) {
        if (std::chrono::steady_clock::now() - start > kTimeLimit) return fail(client, "the recording did not fill in time");
        usleep(kPollMicroseconds);
    }
    jack_set_freewheel(client, 0);
    jack_deactivate(client);
    jack_client_close(client);
    FILE* out = std::fopen(argv[3], "wb");
    const bool written = out != nullptr && std::fwrite(r.frames.data(), sizeof(float), r.frames.size(), out) == r.frames.size();
    if (out != nullptr && std::fclose(out) != 0) return fail(nullptr, "cannot write the recording");
    if (!written) return fail(nullptr, "cannot write the recording");
    return 0;
}
