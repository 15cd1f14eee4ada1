#pragma once

namespace glintag {

// Turns SIGTERM, SIGHUP and SIGINT (a session that ends, `kill`, Ctrl+C in
// the terminal that started the window) into an ordinary close of every
// window, so the settings file is written as on any other close. Without it
// those signals end the program on the spot and the user's edits are lost.
// Call once, after the QApplication exists. Does nothing on Windows.
void closeWindowsOnTermination();

} // namespace glintag
