#pragma once

namespace velunor {

// When standard error is a console window, std::cerr writes there as console text (UTF-16), each
// message whole. The C runtime would pass a message's UTF-8 on in pieces that may cut an umlaut in
// two, and the console would show two replacement signs for it. Redirected into a file or a pipe,
// standard error keeps its UTF-8 bytes. Nothing to do on other systems.
void WriteStandardErrorAsConsoleText();

}  // namespace velunor
