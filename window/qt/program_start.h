#pragma once

#include <memory>

#include <QApplication>

namespace velunor {

// The application object of the window program, on the platform's display.
//
// The tool reads no command line: Qt is given the program's name alone, never the arguments, so
// that its own options (-qwindowtitle, -reverse, -platform ...) have no effect. Without a display
// the program says so in one German line on standard error and ends with status 1, where Qt would
// abort with its own English advice. A write beyond the file-size limit fails like one on a full
// disk instead of ending the program by its signal.
std::unique_ptr<QApplication> StartApplication();

}  // namespace velunor
