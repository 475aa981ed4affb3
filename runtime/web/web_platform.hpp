#pragma once
// What the page's key events tell the web runtime.

// A key (or typed text) has arrived: a pause for keys ends once the event has been handled.
void web_key_arrived();
