#pragma once

namespace glintag {

// What the process tells its caller.
enum ExitCode : int {
    kExitSent = 0,
    kExitBadArguments = 1,  // also: nothing to send, an unreadable file named on the line
    kExitPortFailed = 2,    // the port (or output file) cannot be opened, or none was found
    kExitLineFailed = 3,    // the line was lost or stopped taking data
    kExitInterrupted = 130, // Ctrl+C: the upload stopped, the port closed
};

// The program run with arguments: `send`, `preview`, `ports`, `--help`,
// `--version`. It needs no display and creates no widgets; it sends through
// the window's send job, run on the process's one event loop, so both send
// the same bytes for the same setup. Returns the process's exit status.
int runCommandLine(int argc, char **argv);

} // namespace glintag
