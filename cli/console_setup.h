#pragma once

#include <string>
#include <vector>

namespace velunor {

// Readies the standard streams before anything is written: on Windows they pass bytes unchanged
// (the CSV's CR LF is not doubled, a message's LF stays one byte), and a console shows the UTF-8
// of the German texts. Nothing to do on Linux.
void PrepareStandardStreams();

// The program's arguments as UTF-8, on Windows taken from the wide command line so that names
// with umlauts arrive whole.
std::vector<std::string> ArgumentsOf(int argc, char** argv);

// Whether standard error is shown on a terminal or console (the progress line is only for it).
bool StandardErrorIsTerminal();

}  // namespace velunor
