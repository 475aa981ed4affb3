#include "gfx/web/web_canvas.hpp"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gfx/pixel_convert.hpp"
#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/window.hpp"
#include "runtime/cp437.hpp"
#include "runtime/device_hooks.hpp"

namespace {

constexpr const char* kTextRows = "#qztext";
constexpr uint32_t kOpaque = 0xFF000000u;
// The canvas's pixels: red, green, blue and alpha bytes, in this order.
constexpr DisplayFormat kCanvasFormat{0x000000FFu, 0x0000FF00u, 0x00FF0000u, 4};

// The page's half of the canvas: its 2D context and the rows of text, kept on the program's
// instance. Fails when the page lacks the canvas or the rows.
EM_JS(int, page_open, (const char* canvas, const char* rows), {
  var c = document.querySelector(UTF8ToString(canvas));
  var r = document.querySelector(UTF8ToString(rows));
  var g = c && c.getContext ? c.getContext("2d", {alpha: false}) : null;
  if (!g || !r) return 0;
  r.textContent = "";
  Module.qzPage = {context: g, box: r, rows: []};
  return 1;
});

// Shows count lines of RGBA pixels from line first on.
EM_JS(void, page_put_lines, (const uint32_t* pixels, int width, int first, int count), {
  var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels + first * width * 4, count * width * 4);
  Module.qzPage.context.putImageData(new ImageData(bytes, width, count), 0, first);
});

// A blank row (one blank) is hidden from screen readers, which would read each one out.
EM_JS(void, page_show_row, (int row, const char* text), {
  var page = Module.qzPage;
  while (page.rows.length <= row) page.rows.push(page.box.appendChild(document.createElement("div")));
  var shown = page.rows[row];
  shown.textContent = UTF8ToString(text);
  if (shown.textContent === " ") shown.setAttribute("aria-hidden", "true");
  else shown.removeAttribute("aria-hidden");
});

// The browser's audio: one context for every run of the page, made with the screen and
// suspended, since the browser lets it sound only after the user's key or tap. Each key or tap
// resumes it, so that its beep sounds at once (a context made at the beep would sound a good
// while later). A running context costs processor time even while silent: a silent source keeps
// it awake a second (of its own clock) after the last key or beep, then it is suspended again.
EM_JS(void, page_prepare_audio, (), {
  var Context = window.AudioContext || window.webkitAudioContext;
  if (Context && !window.qzAudio) (window.qzAudio = new Context()).suspend();
});

EM_JS(void, page_wake_audio, (), {
  var audio = window.qzAudio;
  if (!audio) return;
  if (audio.state !== "running") audio.resume();
  if (!audio.createConstantSource) return;  // older engines: it stays awake
  var awake = audio.createConstantSource();
  var mute = audio.createGain();
  mute.gain.value = 0;
  awake.connect(mute).connect(audio.destination);
  // The source is let go when it ends: what it holds of this run is not kept for the next.
  awake.onended = function () {
    if (audio.qzAwake !== awake) return;
    audio.qzAwake = null;
    audio.suspend();
  };
  awake.start();
  awake.stop(audio.currentTime + 1);
  audio.qzAwake = awake;
});

// A tone through the browser's audio.
EM_JS(void, page_beep, (int hertz, int milliseconds), {
  var audio = window.qzAudio;
  if (!audio) return;
  var tone = audio.createOscillator();
  var volume = audio.createGain();
  tone.type = "square";
  tone.frequency.value = hertz;
  volume.gain.value = 0.1;
  tone.connect(volume).connect(audio.destination);
  tone.start();
  tone.stop(audio.currentTime + milliseconds / 1000);
});

struct Canvas {
  std::vector<uint32_t> pixels;    // the picture as the canvas takes it: RGBA, line after line
  uint32_t table[256];             // colour index -> RGBA, from the palette table
  std::vector<std::string> rows;   // the rows of text as the page shows them
  bool frame_owed;                 // an animation frame has been asked for
  long frame_id;
};

Canvas canvas;

// The rows of the shown page's text grid as text, each without its trailing blanks; only the
// rows that changed reach the page.
void show_rows(const GfxScreen& screen) {
  const auto columns = static_cast<size_t>(screen.text_columns);
  const std::vector<TextCell>& cells = screen.text_cells[static_cast<size_t>(screen.visible_page)];
  if (columns == 0 || cells.size() != columns * static_cast<size_t>(screen.text_rows)) return;
  // A byte no UTF-8 text holds: every row is shown the first time.
  if (canvas.rows.size() != static_cast<size_t>(screen.text_rows)) {
    canvas.rows.assign(static_cast<size_t>(screen.text_rows), "\xFF");
  }
  for (size_t row = 0; row < canvas.rows.size(); ++row) {
    std::string text;
    for (size_t c = 0; c < columns; ++c) {
      char bytes[4];
      const char* end = encode_utf8(cp437_to_unicode(static_cast<uint8_t>(cells[row * columns + c].code)), bytes);
      text.append(bytes, static_cast<size_t>(end - bytes));
    }
    // A blank row keeps one blank, so that it stays a line of its own when copied.
    text.erase(std::max<size_t>(1, text.find_last_not_of(' ') + 1));
    if (text == canvas.rows[row]) continue;
    canvas.rows[row] = text;
    page_show_row(static_cast<int>(row), text.c_str());
  }
}

// The converted picture lines first to last, every pixel opaque, onto the canvas; then the rows
// of text.
void show_lines(const GfxScreen& screen, int32_t first, int32_t last) {
  const int32_t width = screen.width;
  uint32_t* pixels = canvas.pixels.data();
  std::for_each(pixels + first * width, pixels + (last + 1) * width, [](uint32_t& p) { p |= kOpaque; });
  page_put_lines(pixels, width, first, last - first + 1);
  show_rows(screen);
}

// Shows the dirty lines (every line after a palette change) and clears them.
void present(GfxScreen& screen) {
  const Presenter presenter{
      kCanvasFormat, &canvas.table, 1, nullptr,
      [&screen] {
        return PictureLines{reinterpret_cast<uint8_t*>(canvas.pixels.data()), screen.width * 4};
      },
      [&screen](int32_t first, int32_t last) { show_lines(screen, first, last); }};
  present_dirty_lines(screen, presenter);
}

// One presentation cycle: the picture, then the bell. The driver lock is free: the program
// runs only while this does not.
void present_cycle() {
  GfxWindow& w = gfx_window();
  if (GfxScreen* screen = current_screen()) present(*screen);
  if (w.bell_requested) {
    page_wake_audio();
    page_beep(kToneHertz, kToneMilliseconds);
    w.bell_requested = false;
  }
}

EM_BOOL animation_frame(double, void*) {
  canvas.frame_owed = false;
  if (gfx_window().running) present_cycle();
  return EM_FALSE;
}

bool something_to_show(const GfxScreen& screen) {
  const GfxWindow& w = gfx_window();
  return w.palette_changed || w.bell_requested ||
         std::find(screen.dirty.begin(), screen.dirty.end(), 1) != screen.dirty.end();
}

// The largest whole factor by which width x height fits into the space (at least 1).
int32_t whole_scale(double space_width, double space_height, int32_t width, int32_t height) {
  const double fits = std::min(std::floor(space_width / width), std::floor(space_height / height));
  return fits >= 1 ? static_cast<int32_t>(fits) : 1;
}

// Places the picture: the largest whole scale in the device's pixels, centred by the page.
void layout() {
  double width = 0, height = 0;
  if (emscripten_get_element_css_size(kScreenArea, &width, &height) != EMSCRIPTEN_RESULT_SUCCESS) return;
  const GfxWindow& w = gfx_window();
  const double ratio = emscripten_get_device_pixel_ratio();
  const int32_t scale = whole_scale(width * ratio, height * ratio, w.width, w.height);
  emscripten_set_element_css_size(kCanvas, w.width * scale / ratio, w.height * scale / ratio);
}

EM_BOOL resized(int, const EmscriptenUiEvent*, void*) {
  layout();
  return EM_FALSE;
}

// Entering or leaving the browser's full screen: the picture is scaled anew and shown whole.
EM_BOOL fullscreen_changed(int, const EmscriptenFullscreenChangeEvent* e, void*) {
  GfxWindow& w = gfx_window();
  if (static_cast<bool>(e->isFullscreen) != static_cast<bool>(w.flags & GFX_FULLSCREEN)) {
    w.flags ^= GFX_FULLSCREEN;
  }
  layout();
  window_fullscreen_switched();
  canvas_present_soon();
  return EM_FALSE;
}

int32_t init(const char* title, int32_t width, int32_t height, int32_t, int32_t, int32_t flags) {
  if (flags & GFX_OPENGL) return -1;
  if (!page_open(kCanvas, kTextRows)) return -1;
  window_reset(title, width, height, flags);
  canvas = Canvas{};
  canvas.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kOpaque);
  emscripten_set_canvas_element_size(kCanvas, width, height);
  layout();
  emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, resized);
  emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                           fullscreen_changed);
  web_keys_listen();
  page_prepare_audio();
  GfxWindow& w = gfx_window();
  w.running = true;
  w.active = true;
  // Full screen needs the user's gesture: the browser grants it at the next key or click.
  if (flags & GFX_FULLSCREEN) emscripten_request_fullscreen(kScreenArea, EM_TRUE);
  return 0;
}

// The last picture stays on the page, with its rows of text, after the program has ended.
void exit_driver() {
  GfxWindow& w = gfx_window();
  if (!w.running) return;
  present_cycle();
  w.running = false;
  if (canvas.frame_owed) emscripten_cancel_animation_frame(canvas.frame_id);
  canvas.frame_owed = false;
  web_keys_stop();
  emscripten_html5_remove_all_event_listeners();
}

void lock() {}

// The statements have finished with the screen: anything new is shown at the next frame.
void unlock() {
  const GfxScreen* screen = current_screen();
  if (screen != nullptr && something_to_show(*screen)) canvas_present_soon();
}

}  // namespace

void canvas_present_soon() {
  if (!gfx_window().running || canvas.frame_owed) return;
  canvas.frame_owed = true;
  canvas.frame_id = emscripten_request_animation_frame(animation_frame, nullptr);
}

void canvas_wake_audio() { page_wake_audio(); }

void canvas_toggle_fullscreen() {
  GfxWindow& w = gfx_window();
  if (w.flags & GFX_NO_SWITCHING) return;
  if (w.mouse.inside) window_mouse_left();
  EmscriptenFullscreenChangeEvent status{};
  if (emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.isFullscreen) {
    emscripten_exit_fullscreen();
  } else {
    emscripten_request_fullscreen(kScreenArea, EM_FALSE);
  }
}

const GfxDriver kCanvasDriver{"Canvas", init, exit_driver, lock, unlock, window_set_palette};
