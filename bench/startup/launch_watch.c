/* Times one program start as a user sees it, from the X side: starts the command, waits for a top-level window
 * of the given title to be mapped, then follows the window's damage and grabs its pixels after every change
 * until a settle time has passed. Prints one line:
 *
 *   mapped_ms painted_ms rss_kb frames
 *
 * mapped_ms: launch to the window's MapNotify. painted_ms: launch to the first grabbed frame from which every
 * later frame equals the settled picture (areas given with --ignore, such as a label that a timer rewrites,
 * are left out of the comparison). rss_kb: VmRSS of the started process at the settle time. The started
 * process is then ended (SIGTERM, SIGKILL after 3 s). On failure the line starts with "fail". With --frames,
 * every grabbed frame's time and hash go to standard error.
 *
 * Frames are read through shared memory (MIT-SHM) and hashed word by word, and a burst of damage is read
 * once, so that watching costs the X server and the CPUs as little as it can.
 *
 * Native Linux program (Xlib, XDamage, XShm); built by bench/startup.sh. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define MAX_FRAMES 4096
#define MAX_IGNORED 8

typedef struct {
  int x, y, w, h;
} Box;

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static int ignored_count;
static Box ignored[MAX_IGNORED];

static int is_ignored(int x, int y) {
  for (int i = 0; i < ignored_count; ++i)
    if (x >= ignored[i].x && x < ignored[i].x + ignored[i].w && y >= ignored[i].y && y < ignored[i].y + ignored[i].h)
      return 1;
  return 0;
}

/* The window's pixels: one shared-memory image reused for every frame when the server offers MIT-SHM. */
static XImage* shared_image;
static XShmSegmentInfo shared_segment;

static void open_shared_image(Display* display, Window window, int width, int height) {
  XWindowAttributes attributes;
  if (!XShmQueryExtension(display) || !XGetWindowAttributes(display, window, &attributes)) return;
  XImage* image = XShmCreateImage(display, attributes.visual, attributes.depth, ZPixmap, NULL, &shared_segment,
                                  width, height);
  if (!image) return;
  shared_segment.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * height, IPC_CREAT | 0600);
  if (shared_segment.shmid < 0) {
    XDestroyImage(image);
    return;
  }
  shared_segment.shmaddr = image->data = shmat(shared_segment.shmid, NULL, 0);
  shared_segment.readOnly = False;
  shmctl(shared_segment.shmid, IPC_RMID, NULL); /* goes when both sides have detached */
  if (image->data == (char*)-1 || !XShmAttach(display, &shared_segment)) {
    XDestroyImage(image);
    return;
  }
  XSync(display, False);
  shared_image = image;
}

static void close_shared_image(Display* display) {
  if (!shared_image) return;
  XShmDetach(display, &shared_segment);
  XDestroyImage(shared_image);
  shmdt(shared_segment.shmaddr);
  shared_image = NULL;
}

/* A hash of the window's pixels outside the ignored boxes; 0 when the window cannot be read. */
static uint64_t frame_hash(Display* display, Window window, int width, int height) {
  XImage* image = shared_image;
  if (image) {
    if (!XShmGetImage(display, window, image, 0, 0, AllPlanes)) return 0;
  } else {
    image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return 0;
  }
  uint64_t hash = 1469598103934665603ULL;
  for (int y = 0; y < height; ++y) {
    const char* row = image->data + (size_t)y * image->bytes_per_line;
    for (int x = 0; x < width; ++x) {
      if (ignored_count && is_ignored(x, y)) continue;
      uint32_t pixel;
      if (image->bits_per_pixel == 32)
        memcpy(&pixel, row + 4 * x, 4);
      else
        pixel = (uint32_t)XGetPixel(image, x, y);
      hash = (hash ^ (pixel & 0xFFFFFF)) * 0x100000001B3ULL;
    }
  }
  if (image != shared_image) XDestroyImage(image);
  return hash ? hash : 1;
}

static long rss_kb(pid_t pid) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* file = fopen(path, "r");
  if (!file) return -1;
  long kb = -1;
  while (fgets(line, sizeof line, file))
    if (strncmp(line, "VmRSS:", 6) == 0) kb = strtol(line + 6, NULL, 10);
  fclose(file);
  return kb;
}

static int title_matches(Display* display, Window window, const char* title) {
  char* name = NULL;
  int match = XFetchName(display, window, &name) && name && strcmp(name, title) == 0;
  if (name) XFree(name);
  return match;
}

/* Waits up to `ms` for an X event; 1 when one is queued. */
static int wait_event(Display* display, double ms) {
  if (XPending(display)) return 1;
  if (ms <= 0) return 0;
  struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
  return poll(&fd, 1, (int)ms) > 0 && XPending(display);
}

static void end_process(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid, NULL, WNOHANG) == pid) return;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, NULL, 0);
}

static void usage(void) {
  fprintf(stderr, "usage: launch_watch --title NAME [--ignore x,y,w,h]... [--settle-ms N] [--timeout-ms N] [--frames] -- command...\n");
  exit(2);
}

int main(int argc, char** argv) {
  const char* title = NULL;
  double settle_ms = 1500, timeout_ms = 30000;
  int show_frames = 0;
  int i = 1;
  for (; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      ++i;
      break;
    }
    if (strcmp(argv[i], "--frames") == 0) {
      show_frames = 1;
      continue;
    }
    if (i + 1 >= argc) usage();
    if (strcmp(argv[i], "--title") == 0) {
      title = argv[++i];
    } else if (strcmp(argv[i], "--settle-ms") == 0) {
      settle_ms = atof(argv[++i]);
    } else if (strcmp(argv[i], "--timeout-ms") == 0) {
      timeout_ms = atof(argv[++i]);
    } else if (strcmp(argv[i], "--ignore") == 0 && ignored_count < MAX_IGNORED) {
      Box* box = &ignored[ignored_count++];
      if (sscanf(argv[++i], "%d,%d,%d,%d", &box->x, &box->y, &box->w, &box->h) != 4) usage();
    } else {
      usage();
    }
  }
  if (!title || i >= argc) usage();

  Display* display = XOpenDisplay(NULL);
  if (!display) {
    printf("fail no_display\n");
    return 1;
  }
  int damage_event, damage_error;
  if (!XDamageQueryExtension(display, &damage_event, &damage_error)) {
    printf("fail no_damage_extension\n");
    return 1;
  }
  Window root = DefaultRootWindow(display);
  /* The pointer stays in a corner, away from the centred window, so no hover highlight is drawn. */
  XWarpPointer(display, None, root, 0, 0, 0, 0, 0, 0);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = now_ms();
  pid_t pid = fork();
  if (pid < 0) {
    printf("fail fork\n");
    return 1;
  }
  if (pid == 0) {
    execvp(argv[i], argv + i);
    _exit(127);
  }

  Window window = 0;
  double mapped = -1;
  while (!window) {
    double left = start + timeout_ms - now_ms();
    if (left <= 0) break;
    if (!wait_event(display, left)) continue;
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && title_matches(display, event.xmap.window, title)) {
      mapped = now_ms();
      window = event.xmap.window;
    }
  }
  if (!window) {
    printf("fail not_mapped\n");
    end_process(pid);
    return 1;
  }

  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  const int width = attributes.width, height = attributes.height;
  open_shared_image(display, window, width, height);
  Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
  static double times[MAX_FRAMES];
  static uint64_t hashes[MAX_FRAMES];
  int frames = 0;
  times[frames] = now_ms();
  hashes[frames++] = frame_hash(display, window, width, height);
  const double settled = mapped + settle_ms;
  for (;;) {
    double left = settled - now_ms();
    if (left <= 0) break;
    if (!wait_event(display, left)) continue;
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != damage_event + XDamageNotify) continue;
    /* Later damage is reported again only after this subtraction; pixels are read after it so none is lost.
     * Damage already queued behind this event is taken in the same read. */
    XDamageSubtract(display, damage, None, None);
    XSync(display, False);
    while (XCheckTypedEvent(display, damage_event + XDamageNotify, &event)) continue;
    if (frames < MAX_FRAMES) {
      times[frames] = now_ms();
      hashes[frames++] = frame_hash(display, window, width, height);
    }
  }
  const uint64_t final_hash = frame_hash(display, window, width, height);
  for (int k = 0; show_frames && k < frames; ++k)
    fprintf(stderr, "frame %.1f %016llx%s\n", times[k] - start, (unsigned long long)hashes[k],
            hashes[k] == final_hash ? " final" : "");
  const long rss = rss_kb(pid);
  int first = frames;
  while (first > 0 && hashes[first - 1] == final_hash) --first;
  /* The settled picture never appeared in a grabbed frame: count it as painted only at the settle time. */
  const double painted = first < frames ? times[first] : settled;
  XDamageDestroy(display, damage);
  close_shared_image(display);
  XCloseDisplay(display);
  end_process(pid);
  printf("%.1f %.1f %ld %d\n", mapped - start, painted - start, rss, frames);
  return 0;
}
