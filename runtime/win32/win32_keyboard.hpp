#pragma once
// The Windows keyboard's own character of a virtual key, as the key translation looks it up.

// The character printed on the key (letters in upper case); 0 for none or a dead key.
int win32_own_character(int virtual_key);
