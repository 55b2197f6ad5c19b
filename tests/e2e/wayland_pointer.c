/* Drives the compositor's pointer as a person would, through a virtual pointer
 * device (or KWin's fake input, where that is all there is), for the layer
 * surface's tests. Runs the commands given as arguments,
 * else one per line from standard input, and prints "ok" after each once the
 * compositor has handled it:
 *   move X Y      to X, Y of the desktop's layout (logical pixels, as the
 *                 outputs' xdg-output positions say)
 *   click [B]     press and release button B (default 272, the left one)
 *   wait MS
 *   wayland_pointer [COMMAND ARGS...] */

#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

/* KWin's fake input, declared here as its protocol defines it: requests
 * authenticate(ss), pointer_motion(ff), button(uu), axis(uf), five touch
 * requests, then pointer_motion_absolute(ff) since version 3. */
enum { FAKE_AUTHENTICATE = 0, FAKE_BUTTON = 2, FAKE_MOTION_ABSOLUTE = 9 };
static const struct wl_interface* fake_types[4];
static const struct wl_message fake_requests[] = {
    {"authenticate", "ss", fake_types},     {"pointer_motion", "ff", fake_types}, {"button", "uu", fake_types},
    {"axis", "uf", fake_types},             {"touch_down", "2uff", fake_types},   {"touch_motion", "2uff", fake_types},
    {"touch_up", "2u", fake_types},         {"touch_cancel", "2", fake_types},    {"touch_frame", "2", fake_types},
    {"pointer_motion_absolute", "3ff", fake_types},
};
static const struct wl_interface fake_input_interface = {"org_kde_kwin_fake_input", 3, 10, fake_requests, 0, NULL};
static struct wl_proxy* fake;

static struct zwlr_virtual_pointer_manager_v1* manager;
static struct zxdg_output_manager_v1* outputs;
static struct wl_seat* seat;

/* Absolute motion spans the box around every output. */
struct layout {
    int32_t left, top, right, bottom;
};
static struct layout box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
static struct wl_output* output_list[16];
static int output_count;
static int32_t output_x[16], output_y[16], output_w[16], output_h[16];

static void xdg_position(void* data, struct zxdg_output_v1* o, int32_t x, int32_t y)
{
    (void)o;
    output_x[(intptr_t)data] = x;
    output_y[(intptr_t)data] = y;
}

static void xdg_size(void* data, struct zxdg_output_v1* o, int32_t width, int32_t height)
{
    (void)o;
    output_w[(intptr_t)data] = width;
    output_h[(intptr_t)data] = height;
}

/* Bound at version 2, where done ends each description. */
static void xdg_done(void* data, struct zxdg_output_v1* o)
{
    (void)o;
    const intptr_t i = (intptr_t)data;
    if (output_x[i] < box.left)
        box.left = output_x[i];
    if (output_y[i] < box.top)
        box.top = output_y[i];
    if (output_x[i] + output_w[i] > box.right)
        box.right = output_x[i] + output_w[i];
    if (output_y[i] + output_h[i] > box.bottom)
        box.bottom = output_y[i] + output_h[i];
}

static void xdg_name(void* data, struct zxdg_output_v1* o, const char* n) { (void)data, (void)o, (void)n; }

static const struct zxdg_output_v1_listener xdg_listener = {
    .logical_position = xdg_position,
    .logical_size = xdg_size,
    .done = xdg_done,
    .name = xdg_name,
    .description = xdg_name,
};

static void global(void* data, struct wl_registry* r, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, fake_input_interface.name) == 0 && version >= 3)
        fake = wl_registry_bind(r, name, &fake_input_interface, 3);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = wl_registry_bind(r, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zxdg_output_manager_v1_interface.name) == 0)
        outputs = wl_registry_bind(r, name, &zxdg_output_manager_v1_interface, 2);
    else if (strcmp(interface, wl_output_interface.name) == 0 && output_count < 16)
        output_list[output_count++] = wl_registry_bind(r, name, &wl_output_interface, 1);
}

static void global_remove(void* data, struct wl_registry* r, uint32_t name) { (void)data, (void)r, (void)name; }

static const struct wl_registry_listener registry_listener = {.global = global, .global_remove = global_remove};

static uint32_t now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

/* Runs one command (words[0..n)); 0 when it is not understood. */
static int run(struct wl_display* display, struct zwlr_virtual_pointer_v1* pointer, char** words, int n)
{
    if (n == 3 && strcmp(words[0], "move") == 0) {
        const long x = strtol(words[1], NULL, 10) - box.left, y = strtol(words[2], NULL, 10) - box.top;
        const long width = (long)box.right - box.left, height = (long)box.bottom - box.top;
        if (x < 0 || y < 0 || x > width || y > height)
            return 0;
        if (!pointer)
            wl_proxy_marshal(fake, FAKE_MOTION_ABSOLUTE, wl_fixed_from_int((int)(x + box.left)),
                             wl_fixed_from_int((int)(y + box.top)));
        else
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), (uint32_t)x, (uint32_t)y, (uint32_t)width,
                                                (uint32_t)height);
        if (pointer)
            zwlr_virtual_pointer_v1_frame(pointer);
    } else if ((n == 1 || n == 2) && strcmp(words[0], "click") == 0 && !pointer) {
        /* KWin takes a press sent with the motion before it for part of
         * that motion: the press waits until the motion is handled. */
        const uint32_t button = n == 2 ? (uint32_t)strtoul(words[1], NULL, 10) : BTN_LEFT;
        wl_display_roundtrip(display);
        usleep(100000);
        wl_proxy_marshal(fake, FAKE_BUTTON, button, WL_POINTER_BUTTON_STATE_PRESSED);
        wl_display_roundtrip(display);
        usleep(100000);
        wl_proxy_marshal(fake, FAKE_BUTTON, button, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if ((n == 1 || n == 2) && strcmp(words[0], "click") == 0) {
        const uint32_t button = n == 2 ? (uint32_t)strtoul(words[1], NULL, 10) : BTN_LEFT;
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
    } else if (n == 2 && strcmp(words[0], "wait") == 0) {
        usleep((useconds_t)strtoul(words[1], NULL, 10) * 1000u);
    } else {
        return 0;
    }
    if (wl_display_roundtrip(display) < 0)
        return 0;
    printf("ok\n");
    return 1;
}

static int arity(const char* command)
{
    if (strcmp(command, "move") == 0)
        return 3;
    if (strcmp(command, "wait") == 0)
        return 2;
    return 1;
}

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IOLBF, 0);
    const int first = 1;
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wayland_pointer: no compositor\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if ((!manager && !fake) || !outputs || output_count == 0) {
        fprintf(stderr, "wayland_pointer: the compositor has no virtual pointers or no outputs\n");
        return 1;
    }
    struct zxdg_output_v1* xdg[16];
    for (int i = 0; i < output_count; ++i) {
        xdg[i] = zxdg_output_manager_v1_get_xdg_output(outputs, output_list[i]);
        zxdg_output_v1_add_listener(xdg[i], &xdg_listener, (void*)(intptr_t)i);
    }
    wl_display_roundtrip(display);
    for (int i = 0; i < output_count; ++i) {
        zxdg_output_v1_destroy(xdg[i]);
        wl_output_destroy(output_list[i]);
    }
    zxdg_output_manager_v1_destroy(outputs);
    struct zwlr_virtual_pointer_v1* pointer =
        manager ? zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat) : NULL;
    if (!pointer)
        wl_proxy_marshal(fake, FAKE_AUTHENTICATE, "wayland_pointer", "the clock's click-through tests");
    wl_display_roundtrip(display);

    int status = 0;
    if (first < argc) {
        for (int i = first; i < argc && status == 0;) {
            int n = arity(argv[i]);
            if (strcmp(argv[i], "click") == 0 && i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9')
                n = 2;
            if (i + n > argc || !run(display, pointer, argv + i, n))
                status = 2;
            i += n;
        }
    } else {
        char line[256];
        while (status == 0 && fgets(line, sizeof line, stdin)) {
            char* words[4];
            int n = 0;
            for (char* w = strtok(line, " \t\r\n"); w && n < 4; w = strtok(NULL, " \t\r\n"))
                words[n++] = w;
            if (n > 0 && !run(display, pointer, words, n))
                status = 2;
        }
    }
    if (status)
        fprintf(stderr, "wayland_pointer: a command failed\n");
    if (pointer) {
        zwlr_virtual_pointer_v1_destroy(pointer);
        zwlr_virtual_pointer_manager_v1_destroy(manager);
    } else {
        wl_proxy_destroy(fake);
    }
    if (seat)
        wl_seat_destroy(seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
