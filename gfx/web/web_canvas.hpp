#pragma once
// The browser side of the screen: the "Canvas" driver and what its key handling shares with it.
// Only the web_*.cpp files include this header.
#include <cstdint>

#include "gfx/driver.hpp"

// Presents the screen on the page's canvas from the browser's animation frames.
extern const GfxDriver kCanvasDriver;

// The page's elements, found by these selectors: the area the screen is centred in (and that
// goes full screen), the canvas, the text field that takes the keys, and the rows as text.
inline constexpr const char* kScreenArea = "#qzscreen";
inline constexpr const char* kCanvas = "#qzcanvas";
inline constexpr const char* kKeyField = "#qzkeys";

// Something new is to be shown: the next animation frame presents it.
void canvas_present_soon();

// Makes the browser's audio ready to sound, at a key or a tap: the browser allows it then.
void canvas_wake_audio();

// Switches the screen area between the page and the browser's full screen.
void canvas_toggle_fullscreen();

// Starts and stops taking the keyboard's and the text field's events.
void web_keys_listen();
void web_keys_stop();
