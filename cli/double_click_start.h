#pragma once

namespace velunor {

// Whether the program runs in a console Windows made for it alone, as for a double click in
// Explorer, and closes as soon as the program ends. False in a console window the user works
// in, and on other systems.
bool HasConsoleOfItsOwn();

// For a double click without arguments: says in German how the converter is called, then keeps
// the console open until a key is pressed, so that the text can be read. Returns the exit status
// of a call without a log.
int ExplainToDoubleClick();

}  // namespace velunor
