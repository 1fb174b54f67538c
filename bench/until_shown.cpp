// Starts a program under X, waits until it maps its first top-level window (told by the X server,
// not found by polling), optionally lets it run on for a while, then kills it. Timed whole by
// hyperfine, it gives the time from a program's start to its window on the screen; under
// /usr/bin/time, with a pause, the program's peak memory once shown.
// Usage: z2o_until_shown [--settle MS] PROGRAM [ARGUMENT...]
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// True once a MapNotify arrives; false when the program ends first or after a minute.
bool waitForMap(xcb_connection_t* connection, pid_t program) {
    pollfd events{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (int waited = 0; waited < 60000; waited += 100) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped) return true;
        }
        if (xcb_connection_has_error(connection)) return false;
        int status = 0;
        if (waitpid(program, &status, WNOHANG) == program) return false;
        poll(&events, 1, 100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    long settleMs = 0;
    if (argc > 2 && std::strcmp(argv[1], "--settle") == 0) {
        settleMs = std::strtol(argv[2], nullptr, 10);
        first = 3;
    }
    if (first >= argc) {
        std::fputs("Usage: z2o_until_shown [--settle MS] PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("z2o_until_shown: no X display\n", stderr);
        return 2;
    }
    // Without a window manager a program's top-level windows are the root's children, and their
    // mapping is reported to whoever listens on the root, before the program starts.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const pid_t program = fork();
    if (program == 0) {
        close(xcb_get_file_descriptor(connection));
        execvp(argv[first], argv + first);
        _exit(127);
    }
    const bool shown = program > 0 && waitForMap(connection, program);
    if (shown && settleMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    if (program > 0) {
        kill(program, SIGKILL);
        waitpid(program, nullptr, 0);
    }
    xcb_disconnect(connection);
    if (!shown) std::fprintf(stderr, "z2o_until_shown: %s showed no window\n", argv[first]);
    return shown ? 0 : 1;
}
