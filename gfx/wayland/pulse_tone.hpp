#pragma once
// The beep through the desktop's sound server (PulseAudio's client library, which PipeWire
// serves too), loaded by name when first needed: without the library or a server the beep is
// silent, and nothing else changes.

// Starts the tone on a thread of its own, unless one is still sounding. client names the
// program to the server.
void pulse_tone_play(const char* client);

// Waits until a tone that is sounding has ended.
void pulse_tone_wait();
