#ifndef BRELTA_HOST_PROCESSSTART_H
#define BRELTA_HOST_PROCESSSTART_H

namespace brelta::host {

// How every program of the project starts, whatever signal state its starter left behind:
// the tool before its main (ToolStart.cpp), brelta-device (and so its screen) first thing in
// its main.
//
// - SIGXFSZ is caught by a handler that does nothing: a write past the file-size limit fails
//   with EFBIG, as a full disk fails one, instead of killing the process half-way through a
//   file. exec resets a handler to the default, so a program started from ours does not
//   inherit it.
// - SIGCHLD is back at its default, so that system() and waitpid() see a child's status.
// - No signal stays blocked.
// - SIGPIPE as `pipe` says: the tool must write its records when its standard error has no
//   reader (kFails: the write fails with EPIPE); brelta-device is a filter, and ends silently
//   by SIGPIPE when its reader goes (`| head`), as every filter does (kEnds, status 141 in a
//   shell).
enum class BrokenPipe { kFails, kEnds };
void PrepareProcess(BrokenPipe pipe);

}  // namespace brelta::host

#endif
