#pragma once
// The running program's name: its file name without the extension. It titles the window and
// begins the messages of a program that cannot go on.
const char* program_name();
