// The browser's keyboard events and the text typed into the page's key field, turned into
// key messages as the other platforms' windows give them. The physical key gives the scan
// code, the typed character its code page 437 code.
#include <emscripten.h>
#include <emscripten/dom_pk_codes.h>
#include <emscripten/html5.h>

#include <cstring>

#include "gfx/key_messages.hpp"
#include "gfx/screen.hpp"
#include "gfx/web/web_canvas.hpp"
#include "gfx/window.hpp"
#include "runtime/cp437.hpp"
#include "runtime/web/web_platform.hpp"

namespace {

// Keys whose name is not the character they type.
struct NamedCharacter {
  const char* key;
  char32_t character;
};

constexpr NamedCharacter kNamedCharacters[] = {
    {"Enter", 13}, {"Tab", 9}, {"Backspace", 8}, {"Escape", 27}};

// Key names that stand for text still being composed (an input method, a dead key, a phone's
// keyboard): the text arrives as the field's input instead. An "Unidentified" key is one only
// when it has no physical key either, or the composing key code: some engines name Shift+Tab so.
constexpr const char* kComposingKeys[] = {"Process", "Dead"};
constexpr const char* kUnnamedKey = "Unidentified";

constexpr unsigned long kComposingKeyCode = 229;

// The right-hand Ctrl and Alt, told apart by their own key events.
struct RightModifiers {
  bool ctrl, alt;
};

RightModifiers right_held;

bool unnamed(const EmscriptenKeyboardEvent& e) { return std::strcmp(e.key, kUnnamedKey) == 0; }

// The character a key event types: a one-character key name is that character. A key without
// a name types what its physical key names (Tab, Enter, ...), else nothing.
char32_t typed_character(const EmscriptenKeyboardEvent& e) {
  const char* key = unnamed(e) ? e.code : e.key;
  for (const NamedCharacter& named : kNamedCharacters) {
    if (std::strcmp(key, named.key) == 0) return named.character;
  }
  return unnamed(e) ? 0 : decode_utf8(key, static_cast<int>(std::strlen(key)));
}

// What Ctrl makes of a character, as the X library does it.
char32_t with_control(char32_t c) {
  if (c == 13) return 10;
  if ((c >= '@' && c < 127) || c == ' ') return c & 0x1F;
  if (c == '2') return 0;
  if (c >= '3' && c <= '7') return c - ('3' - 27);
  if (c == '8') return 127;
  if (c == '/') return '_' & 0x1F;
  return c;
}

// The key translation's virtual key on the web is the key's own character itself: what the
// key types, letters in upper case, 0 for a key that types nothing.
int own_character(int virtual_key) { return virtual_key; }

int own_of(char32_t character) {
  if (character >= 'a' && character <= 'z') return static_cast<int>(character - 'a' + 'A');
  return character < 128 ? static_cast<int>(character) : 0;
}

bool composing(const EmscriptenKeyboardEvent& e, int pk) {
  if (e.keyCode == kComposingKeyCode || (unnamed(e) && pk == DOM_PK_UNKNOWN)) return true;
  for (const char* name : kComposingKeys) {
    if (std::strcmp(e.key, name) == 0) return true;
  }
  return false;
}

// Ctrl+V, Shift+Insert and the Command key's V paste: the browser does it, and the pasted
// text arrives as the field's input.
bool pastes(const EmscriptenKeyboardEvent& e, int pk) {
  const bool v = pk == DOM_PK_V;
  return (v && (e.ctrlKey || e.metaKey) && !e.altKey) || (pk == DOM_PK_INSERT && e.shiftKey);
}

// A key pressed or released. Returns whether the browser's own action is held back: every
// key the program takes, so that Tab, Backspace, F1, the arrows and space reach the program,
// while Alt and Command combinations stay the browser's.
EM_BOOL key_event(int type, const EmscriptenKeyboardEvent* event, void*) {
  const EmscriptenKeyboardEvent& e = *event;
  web_key_arrived();
  const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  if (down) canvas_wake_audio();
  const int pk = static_cast<int>(emscripten_compute_dom_pk_code(e.code));
  if (pk == DOM_PK_CONTROL_RIGHT) right_held.ctrl = down;
  if (pk == DOM_PK_ALT_RIGHT) right_held.alt = down;
  if (composing(e, pk) || (down && pastes(e, pk))) return EM_FALSE;
  char32_t character = typed_character(e);
  const int own = own_of(character);
  const bool alt_graph = e.ctrlKey && e.altKey && character >= 32;  // AltGr as Windows reports it
  const bool ctrl = e.ctrlKey && !alt_graph;
  const bool alt = e.altKey && !alt_graph;
  if (ctrl) character = with_control(character);
  uint32_t state = e.shiftKey ? key_state::SHIFT : 0;
  if (ctrl) state |= key_state::LEFT_CTRL | (right_held.ctrl ? key_state::RIGHT_CTRL : 0);
  if (alt) state |= key_state::LEFT_ALT | (right_held.alt ? key_state::RIGHT_ALT : 0);
  if ((pk >> 8) == 0xE0) state |= key_state::ENHANCED;
  const int scan_code = pk & 0xFF;
  if (GfxScreen* screen = current_screen()) screen->key_state[scan_code & 127] = down;
  if (down && alt && (pk == DOM_PK_ENTER || pk == DOM_PK_NUMPAD_ENTER)) {
    if (gfx_window().active) canvas_toggle_fullscreen();
    return EM_TRUE;
  }
  const bool system = down && (alt || pk == DOM_PK_F10);
  const KeyMessageData key{system ? KeyMessage::SYSTEM_DOWN : down ? KeyMessage::DOWN : KeyMessage::UP,
                           scan_code,
                           state,
                           own,
                           character <= 255 ? static_cast<int>(character) : 0,
                           1,
                           down && e.repeat,
                           pk == DOM_PK_F10 || pk == DOM_PK_ALT_LEFT || pk == DOM_PK_ALT_RIGHT};
  const bool stop = handle_key_message(key, own_character);
  if (!stop && down && !system && character != 0) {
    handle_char_message(character < 128 ? static_cast<int>(character) : unicode_to_cp437(character), 1);
  }
  return down && (stop || !(alt || e.metaKey));
}

// Text that came without a key event, one character at a time; a line break comes as Enter,
// a deletion before the cursor as Backspace.
void text_character(int character) {
  const auto c = static_cast<char32_t>(character);
  web_key_arrived();
  handle_char_message(c < 128 ? character : unicode_to_cp437(c), 1);
}

// send is the function that takes each character, as an entry of the program's function table.
EM_JS(void, listen_text, (const char* field_selector, void* send), {
  var field = document.querySelector(UTF8ToString(field_selector));
  var push = wasmTable.get(send);
  // An LF right after a CR ends no second line, even when it comes in the next event (text
  // typed one character at a time).
  var last = 0;
  function put(code) {
    if (code !== 10 || last !== 13) push(code === 10 ? 13 : code);
    last = code;
  }
  function type(text) {
    for (var c of text) put(c.codePointAt(0));
  }
  function composing(e) {
    return e.isComposing || e.inputType === "insertCompositionText";
  }
  // What an input event of the field types; false for text still being composed.
  function take(e) {
    if (composing(e)) return false;
    if (e.inputType === "deleteContentBackward") put(8);
    else if (e.inputType === "insertLineBreak" || e.inputType === "insertParagraph") put(13);
    else if (e.inputType.startsWith("insert")) {
      type(e.data != null ? e.data : e.dataTransfer ? e.dataTransfer.getData("text/plain") : "");
    }
    return true;
  }
  // Text is taken before it reaches the field, and held back. Text inserted without that
  // chance (some tools insert it so, a line break as an event of its own) is the field's
  // value, taken once the insertion is over; a deletion made so (a phone keyboard's Backspace)
  // is its input type, since the field's value keeps no trace of it. What was held back fires
  // no input event: nothing is taken twice.
  var inserted = false;
  function take_inserted() {
    inserted = false;
    type(field.value);
    keep();
  }
  var on = {
    beforeinput: function (e) {
      if (e.cancelable && take(e)) e.preventDefault();
    },
    input: function (e) {
      if (composing(e) || inserted) return;
      if (e.inputType.startsWith("delete")) {
        take(e);
        keep();
        return;
      }
      inserted = true;
      queueMicrotask(take_inserted);
    },
    compositionend: function (e) {
      type(e.data || "");
      keep();
    },
    focus: keep,
    click: keep
  };
  // The field holds one blank, always selected: a selection has no blinking caret, which would
  // have the page painted twice a second while the program waits.
  function keep() {
    field.value = " ";
    field.select();
  }
  for (var name in on) field.addEventListener(name, on[name]);
  keep();
  Module.qzText = {field: field, on: on};
});

EM_JS(void, stop_text, (), {
  var text = Module.qzText;
  if (!text) return;
  for (var name in text.on) text.field.removeEventListener(name, text.on[name]);
  Module.qzText = null;
});

EM_BOOL tapped(int, const EmscriptenMouseEvent*, void*) {
  canvas_wake_audio();
  return EM_FALSE;
}

EM_BOOL focus_event(int type, const EmscriptenFocusEvent*, void*) {
  window_activated(type == EMSCRIPTEN_EVENT_FOCUS);
  canvas_present_soon();
  return EM_FALSE;
}

}  // namespace

void web_keys_listen() {
  right_held = RightModifiers{};
  emscripten_set_keydown_callback(kKeyField, nullptr, EM_FALSE, key_event);
  emscripten_set_keyup_callback(kKeyField, nullptr, EM_FALSE, key_event);
  emscripten_set_focus_callback(kKeyField, nullptr, EM_FALSE, focus_event);
  emscripten_set_blur_callback(kKeyField, nullptr, EM_FALSE, focus_event);
  emscripten_set_click_callback(kKeyField, nullptr, EM_FALSE, tapped);
  listen_text(kKeyField, reinterpret_cast<void*>(&text_character));
}

void web_keys_stop() { stop_text(); }
