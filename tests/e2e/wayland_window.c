/* A plain native Wayland window for the layer surface's tests: an xdg-shell
 * toplevel filled with one colour, which reports on standard output where the
 * pointer enters it and each button, in its own coordinates:
 *   ready W H          the first frame is shown
 *   size W H           a later frame of another size is shown
 *   pointer            the seat has a pointer and the window listens to it
 *   enter X Y | leave
 *   button B pressed|released X Y
 *   wayland_window [RRGGBB]      (default 204080) */

#define _GNU_SOURCE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

struct state {
    struct wl_display* display;
    struct wl_compositor* compositor;
    struct wl_shm* shm;
    struct xdg_wm_base* wm;
    struct wl_seat* seat;
    struct wl_pointer* pointer;
    struct wl_surface* surface;
    struct wl_buffer* buffer;
    uint32_t color;
    int width, height;
    int configured_width, configured_height;
    int shown;
    double x, y;
};

static struct wl_buffer* make_buffer(struct state* s, int width, int height)
{
    const int stride = width * 4;
    const size_t bytes = (size_t)stride * (size_t)height;
    const int fd = memfd_create("wayland-test-window", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, (off_t)bytes) != 0)
        return NULL;
    uint32_t* pixels = mmap(NULL, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return NULL;
    }
    for (size_t i = 0; i < bytes / 4; ++i)
        pixels[i] = 0xFF000000u | s->color;
    munmap(pixels, bytes);
    struct wl_shm_pool* pool = wl_shm_create_pool(s->shm, fd, (int32_t)bytes);
    struct wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

static void pointer_enter(void* data, struct wl_pointer* p, uint32_t serial, struct wl_surface* surface, wl_fixed_t x,
                          wl_fixed_t y)
{
    (void)p, (void)serial, (void)surface;
    struct state* s = data;
    s->x = wl_fixed_to_double(x);
    s->y = wl_fixed_to_double(y);
    printf("enter %d %d\n", (int)s->x, (int)s->y);
}

static void pointer_leave(void* data, struct wl_pointer* p, uint32_t serial, struct wl_surface* surface)
{
    (void)data, (void)p, (void)serial, (void)surface;
    printf("leave\n");
}

static void pointer_motion(void* data, struct wl_pointer* p, uint32_t time, wl_fixed_t x, wl_fixed_t y)
{
    (void)p, (void)time;
    struct state* s = data;
    s->x = wl_fixed_to_double(x);
    s->y = wl_fixed_to_double(y);
}

static void pointer_button(void* data, struct wl_pointer* p, uint32_t serial, uint32_t time, uint32_t button,
                           uint32_t state)
{
    (void)p, (void)serial, (void)time;
    struct state* s = data;
    printf("button %u %s %d %d\n", button, state == WL_POINTER_BUTTON_STATE_PRESSED ? "pressed" : "released", (int)s->x,
           (int)s->y);
}

static void pointer_axis(void* data, struct wl_pointer* p, uint32_t time, uint32_t axis, wl_fixed_t value)
{
    (void)data, (void)p, (void)time, (void)axis, (void)value;
}

static const struct wl_pointer_listener pointer_listener = {
    .enter = pointer_enter,
    .leave = pointer_leave,
    .motion = pointer_motion,
    .button = pointer_button,
    .axis = pointer_axis,
};

/* A seat made without input devices gets its pointer once a virtual one comes. */
static void seat_capabilities(void* data, struct wl_seat* seat, uint32_t caps)
{
    struct state* s = data;
    if ((caps & WL_SEAT_CAPABILITY_POINTER) && !s->pointer) {
        s->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(s->pointer, &pointer_listener, s);
        /* Told only once the compositor has the request: a pointer that
         * moves after this line reaches the window. */
        wl_display_roundtrip(s->display);
        printf("pointer\n");
    } else if (!(caps & WL_SEAT_CAPABILITY_POINTER) && s->pointer) {
        wl_pointer_release(s->pointer);
        s->pointer = NULL;
    }
}

static void seat_name(void* data, struct wl_seat* seat, const char* name) { (void)data, (void)seat, (void)name; }

static const struct wl_seat_listener seat_listener = {.capabilities = seat_capabilities, .name = seat_name};

static void wm_ping(void* data, struct xdg_wm_base* wm, uint32_t serial)
{
    (void)data;
    xdg_wm_base_pong(wm, serial);
}

static const struct xdg_wm_base_listener wm_listener = {.ping = wm_ping};

static void toplevel_configure(void* data, struct xdg_toplevel* t, int32_t width, int32_t height, struct wl_array* st)
{
    (void)t, (void)st;
    struct state* s = data;
    s->configured_width = width;
    s->configured_height = height;
}

static void toplevel_close(void* data, struct xdg_toplevel* t)
{
    (void)data, (void)t;
    exit(0);
}

static const struct xdg_toplevel_listener toplevel_listener = {.configure = toplevel_configure,
                                                               .close = toplevel_close};

static void surface_configure(void* data, struct xdg_surface* xs, uint32_t serial)
{
    struct state* s = data;
    xdg_surface_ack_configure(xs, serial);
    const int width = s->configured_width > 0 ? s->configured_width : 640;
    const int height = s->configured_height > 0 ? s->configured_height : 480;
    if (s->buffer && width == s->width && height == s->height) {
        wl_surface_commit(s->surface);
        return;
    }
    if (s->buffer)
        wl_buffer_destroy(s->buffer);
    s->buffer = make_buffer(s, width, height);
    if (!s->buffer) {
        fprintf(stderr, "wayland_window: no buffer\n");
        exit(1);
    }
    s->width = width;
    s->height = height;
    wl_surface_attach(s->surface, s->buffer, 0, 0);
    wl_surface_damage(s->surface, 0, 0, width, height);
    wl_surface_commit(s->surface);
    printf("%s %d %d\n", s->shown ? "size" : "ready", width, height);
    s->shown = 1;
}

static const struct xdg_surface_listener surface_listener = {.configure = surface_configure};

static void global(void* data, struct wl_registry* r, uint32_t name, const char* interface, uint32_t version)
{
    struct state* s = data;
    if (strcmp(interface, wl_compositor_interface.name) == 0)
        s->compositor = wl_registry_bind(r, name, &wl_compositor_interface, 4);
    else if (strcmp(interface, wl_shm_interface.name) == 0)
        s->shm = wl_registry_bind(r, name, &wl_shm_interface, 1);
    else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
        s->wm = wl_registry_bind(r, name, &xdg_wm_base_interface, 1);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !s->seat)
        s->seat = wl_registry_bind(r, name, &wl_seat_interface, version < 3 ? version : 3);
}

static void global_remove(void* data, struct wl_registry* r, uint32_t name) { (void)data, (void)r, (void)name; }

static const struct wl_registry_listener registry_listener = {.global = global, .global_remove = global_remove};

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IOLBF, 0);
    struct state s = {0};
    s.color = argc > 1 ? (uint32_t)strtoul(argv[1], NULL, 16) & 0xFFFFFFu : 0x204080u;
    struct wl_display* display = wl_display_connect(NULL);
    s.display = display;
    if (!display) {
        fprintf(stderr, "wayland_window: no compositor\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &s);
    wl_display_roundtrip(display);
    if (!s.compositor || !s.shm || !s.wm || !s.seat) {
        fprintf(stderr, "wayland_window: the compositor lacks a global this needs\n");
        return 1;
    }
    xdg_wm_base_add_listener(s.wm, &wm_listener, &s);
    wl_seat_add_listener(s.seat, &seat_listener, &s);
    s.surface = wl_compositor_create_surface(s.compositor);
    struct xdg_surface* xs = xdg_wm_base_get_xdg_surface(s.wm, s.surface);
    xdg_surface_add_listener(xs, &surface_listener, &s);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xs);
    xdg_toplevel_add_listener(toplevel, &toplevel_listener, &s);
    xdg_toplevel_set_title(toplevel, "wayland test window");
    xdg_toplevel_set_app_id(toplevel, "vitrodial-test-window");
    wl_surface_commit(s.surface);
    while (wl_display_dispatch(display) != -1) {}
    return 0;
}
