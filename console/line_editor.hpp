#pragma once
// The line editor of the input statement: the user types and edits one line in place on the
// screen, through the screen statements, so the same editor serves every screen.
#include <string>

// Edits a line starting at the cursor and returns it when Enter (or a line feed) ends it; the
// cursor then stands just after the line's last character. With draw_cursor the cell under the
// cursor shows the cursor mark (screens without a cursor of their own). The end of input
// also ends the line.
std::string edit_input_line(bool draw_cursor);
