#ifndef BRELTA_CLI_COMMANDS_H
#define BRELTA_CLI_COMMANDS_H

#include <string>
#include <vector>

#include "Arguments.h"

// What runs each command of brelta-device: one function per row of its table (VerbTable.cpp),
// called with the command line already checked against the row (its options known, its
// operands counted). Each returns the exit status or throws a CliError. The commands work
// through the device root's model in the platform, never on its files by themselves.
namespace brelta::cli {

// settings: the store through its own reader and writer, so that the CLI and the platform
// never disagree on the format.
namespace settings {
int Get(const Arguments& args);
int Set(const Arguments& args);
int Unset(const Arguments& args);
int List(const Arguments& args);
int Dump(const Arguments& args);
int Load(const Arguments& args);
int Watch(const Arguments& args);
}  // namespace settings

// usb: the USB storage devices of the emulated TV ($ROOT/usb/devices).
namespace usb {
int Attach(const Arguments& args);
int Detach(const Arguments& args);
int List(const Arguments& args);
}  // namespace usb

// toast: the notifications on screen, replayed from the notification journal, and the input
// files that act on them as a remote's keys would.
namespace toast {
int List(const Arguments& args);
int Press(const Arguments& args);
int Hide(const Arguments& args);
int Watch(const Arguments& args);
// The ids of the notifications on screen now, for the completion.
std::vector<std::string> IdsOnScreen();
}  // namespace toast

// capture: the platform's packet capture (emulated or live, as the tool would find it),
// driven by the platform's own calls. A live capture started by a run of the tool is stopped
// here, and its file copied to the USB device: the tool stops and copies only what it started
// in the same process.
namespace capture {
int Start(const Arguments& args);
int Stop(const Arguments& args);
int Status(const Arguments& args);
int Export(const Arguments& args);
}  // namespace capture

// fault: scripted results of platform functions ($ROOT/faults/), for the processes started
// after the change.
namespace fault {
int Set(const Arguments& args);
int Clear(const Arguments& args);
int List(const Arguments& args);
}  // namespace fault

// live: which platform services run against this machine's own instead of the emulated
// stand-ins ($ROOT/live), and whether the machine has what each needs.
namespace live {
int List(const Arguments& args);
int On(const Arguments& args);
int Off(const Arguments& args);
}  // namespace live

// The commands of one word.
int Root(const Arguments& args);
int Log(const Arguments& args);
int Launches(const Arguments& args);
int Reset(const Arguments& args);
int Screen(const Arguments& args);
// The candidates for the word being completed (the bash completion's helper).
int Complete(const Arguments& args);
// The manual page, made at build time.
int Manual(const Arguments& args);

}  // namespace brelta::cli

#endif
