// brelta-device's commands, each declared once: its words, options and operands, what runs it
// and what its help says. The dispatcher checks a command line against its row; the help, the
// bash completion (__complete) and the manual page (__manual) are made from the rows. A new
// command is a new row and its function in Commands.h.
#include "Commands.h"
#include "Verb.h"
#include "capture/CaptureLimits.h"

namespace brelta::cli {

namespace {
const Option kJson{"json", 0, Kind::None, "", "one JSON object per line"};
const Option kFollow{"follow", 'f', Kind::None, "", "go on printing as they are written, until ^C"};

const Operand kKey{"KEY", Kind::Key, Arity::kOne,
                   "a settings key: a relative name such as db/menu_widget/language"};
const Operand kKeys{"KEY", Kind::Key, Arity::kOneOrMore, kKey.help};
const Operand kFolder{"DIR", Kind::KeyFolder, Arity::kOptional,
                      "a folder of keys, such as db/menu; default: the whole store"};
const Operand kToastId{"ID", Kind::ToastId, Arity::kOne,
                       "the notification's id, as toast list prints it"};
const Operand kServices{"SERVICE", Kind::Service, Arity::kOneOrMore,
                        "log, toast, launch, capture, gateway, usb, or all"};
const Program& DeviceProgram() {
    static const Program program{
        "brelta-device",
        "the workbench of the emulated TV: settings, USB devices, toasts, faults, log",
        "Reads and changes the emulated TV of a device root, the directory that holds its "
        "whole state. It works through the host platform's own classes, so that it reads and "
        "writes every file of the root exactly as the emulated TV does, and it never uses up a "
        "fault script meant for the tool.",
        {{"root", 0, Kind::Directory, "DIR",
          "the device root; default: $BRELTA_DEVICE_ROOT, else $XDG_STATE_HOME/brelta-device, "
          "else ~/.local/state/brelta-device"},
         {"help", 'h', Kind::None, "", "this help; COMMAND --help shows the help of a command"}},
        {{"version", 0, Kind::None, "", "the version"}},
        "Options may stand anywhere after COMMAND; -- ends them. A word such as -12 is a value, "
        "not an option. --json prints one JSON object per line; without it, text output keeps "
        "each record on one line, with control characters and the backslash written as \\xNN.",
        {{"BRELTA_DEVICE_ROOT", "The device root, unless --root names one."},
         {"XDG_STATE_HOME",
          "Without --root and BRELTA_DEVICE_ROOT, the device root is "
          "$XDG_STATE_HOME/brelta-device, when it is an absolute path."},
         {"HOME",
          "Without either, the device root is $HOME/.local/state/brelta-device (the password "
          "database's home without HOME); where that cannot be made, /tmp/brelta-device-UID, "
          "a directory of the user's that only they may write."},
         {"BRELTA_LIVE",
          "The services that run live, overriding $ROOT/live: names separated by commas or "
          "blanks (log, toast, launch, capture, gateway, usb), or all. Read by log and capture; "
          "live list says what a program started with it would use."}},
        {{"$ROOT/settings/KEY", "One file per settings key: TYPE VALUE, such as int 1."},
         {"$ROOT/log/main, $ROOT/log/system",
          "The log buffers, one record per line: TIME PID P/TAG: MESSAGE."},
         {"$ROOT/notifications/journal",
          "Every notification posted, deleted or acted on, one JSON object per line."},
         {"$ROOT/notifications/input/ID",
          "A press or a hide waiting for the process that posted notification ID."},
         {"$ROOT/apps/launches", "Every launch request, one JSON object per line."},
         {"$ROOT/usb/devices", "The attached USB storage devices: MOUNTPATH<TAB>PRODUCT."},
         {"$ROOT/faults/FUNCTION", "The fault script of FUNCTION: its next results."},
         {"$ROOT/live", "The services that run live."},
         {"$ROOT/network/", "The emulated network: the capture's state, the default gateway."},
         {"$ROOT/opt/usr/data/network/", "The capture files, tcpdump-TIME.pcap."}},
        {{"0", "Done."},
         {"1",
          "The operation failed: a missing key, a notification no longer on screen, a file "
          "that cannot be read or written."},
         {"2",
          "The command line is wrong: an unknown command or option, a missing or malformed "
          "operand, a value that can never be stored."}},
        "brelta_test_tool(1)"};
    return program;
}

// The capture's bounds as the helper and the platform keep them.
const std::string& CaptureDetails() {
    static const std::string details =
        "A live capture (BRELTA_LIVE or $ROOT/live names capture) runs until it is stopped "
        "here, by the run of the tool that started it, or at its bounds (" +
        std::to_string(brelta::capture::kMaxBytes) +
        " bytes, or the seconds of "
        "$ROOT/network/capture_seconds: default " +
        std::to_string(brelta::capture::kDefaultSeconds) + ", at most " +
        std::to_string(brelta::capture::kMaxSeconds) +
        "). Its file is $ROOT/opt/usr/data/network/tcpdump-[time].pcap.\n\n"
        "stop and status find a running capture helper also where capture is not live.";
    return details;
}

const std::vector<Group>& DeviceGroups() {
    static const std::vector<Group> groups{
        {"settings", "the settings store",
         "Bools are written and printed as true and false (1 and 0 are taken too), doubles in "
         "their shortest form that reads back as the same number. A key that is not a setting "
         "prints as KEY (not a valid setting); watch prints KEY (deleted) when a key is "
         "removed. A dump is the text of list, one KEY TYPE VALUE per line, so that load "
         "writes back exactly what dump read.\n\n"
         "--json: {\"key\":KEY,\"type\":\"int\"|\"bool\"|\"double\"|\"string\",\"value\":VALUE}, "
         "with type and value null for a file that is not a setting; watch adds \"event\": "
         "\"changed\" or \"deleted\"."},
        {"usb", "the USB storage devices",
         "MOUNTPATH is absolute: the tool uses it as it stands, from any directory.\n\n"
         "--json: {\"mountpath\":MOUNTPATH,\"product\":PRODUCT}."},
        {"toast", "the notifications on screen",
         "list: ID pid PID: TITLE | CONTENT | [BUTTON]..., the default button as [>OK<]; a "
         "notification is on screen while the process that posted it runs, until it is "
         "pressed, hidden, timed out or deleted. press and hide wait up to 3 s for that process "
         "to take the input.\n"
         "watch: post ID pid PID: ..., event ID pid PID: WHAT (EVENT), delete_all IDS pid "
         "PID.\n\n"
         "--json: list: {\"id\":ID,\"pid\":PID,\"type\":...,\"title\":...,\"content\":...,"
         "\"image\":...,\"buttons\":[{\"button\":1,\"text\":...,\"image\":...}],"
         "\"default_button\":...,\"display_applist\":...,\"layout\":...,\"hide_timeout\":...}, "
         "the members of its latest post; watch: each journal line as written, with its "
         "\"op\"."},
        {"capture", "the packet capture", CaptureDetails().c_str()},
        {"fault", "scripted failures of platform functions",
         "RESULTs are decimal ints, one taken per call, in order; a status function returns a "
         "non-zero RESULT instead of doing its work, a function that returns a pointer returns "
         "null. A script stays until it is cleared: every process started later takes it from "
         "its first RESULT again.\n\n"
         "--json: {\"function\":FUNCTION,\"results\":[RESULT,...]}."},
        {"live", "the services that run on this machine's own",
         "The choice is the file $ROOT/live, read by each program at its start; BRELTA_LIVE in "
         "a program's environment (the same names, separated by commas or blanks) overrides "
         "it.\n\n"
         "Text output: SERVICE<TAB>live|emulated<TAB>ready|missing<TAB>what it uses or lacks.\n"
         "--json: {\"service\":SERVICE,\"live\":BOOL,\"ready\":BOOL,\"detail\":TEXT}."},
    };
    return groups;
}

const std::vector<Verb>& DeviceVerbs() {
    static const std::vector<Verb> verbs{
        {"", "root", {}, {}, Root, "print the path of the device root", ""},

        {"settings", "get", {kJson}, {kKey}, settings::Get, "print the value of KEY", ""},
        {"settings",
         "set",
         {},
         {kKey,
          {"TYPE", Kind::SettingType, Arity::kOne, "int, bool, double or string"},
          {"VALUE", Kind::SettingValue, Arity::kOne, "the value, of TYPE"}},
         settings::Set,
         "write KEY (TYPE: int, bool, double, string)",
         ""},
        {"settings",
         "unset",
         {},
         {kKeys},
         settings::Unset,
         "remove KEY (a missing key is no error)",
         ""},
        {"settings",
         "list",
         {kJson},
         {{"PREFIX", Kind::KeyPrefix, Arity::kOptional,
           "the start of the keys to list, such as db/ or db/menu"}},
         settings::List,
         "print KEY TYPE VALUE of every key (below PREFIX)",
         ""},
        {"settings",
         "dump",
         {},
         {kFolder},
         settings::Dump,
         "print the keys below DIR, relative to it",
         ""},
        {"settings",
         "load",
         {},
         {kFolder},
         settings::Load,
         "write the keys of a dump (standard input) below DIR",
         "Every line is checked before the first is written: a dump with a bad line changes "
         "nothing."},
        {"settings",
         "watch",
         {kJson},
         {kKeys},
         settings::Watch,
         "print KEY TYPE VALUE at each change, until ^C",
         ""},

        {"usb",
         "attach",
         {},
         {{"MOUNTPATH", Kind::MountPath, Arity::kOne, "the absolute path of the device's files"},
          {"PRODUCT", Kind::Text, Arity::kOptional, "its product name; default: USB Storage"}},
         usb::Attach,
         "attach a USB storage device mounted at MOUNTPATH",
         ""},
        {"usb",
         "detach",
         {},
         {{"MOUNTPATH", Kind::AttachedMount, Arity::kOne, "the mount path of an attached device"}},
         usb::Detach,
         "detach the device mounted at MOUNTPATH",
         ""},
        {"usb",
         "list",
         {kJson},
         {},
         usb::List,
         "print MOUNTPATH<TAB>PRODUCT of each, in list order",
         ""},

        {"toast", "list", {kJson}, {}, toast::List, "print the notifications on screen now", ""},
        {"toast",
         "press",
         {},
         {kToastId, {"BUTTON", Kind::Button, Arity::kOne, "1 or 2"}},
         toast::Press,
         "press button 1 or 2 of notification ID",
         ""},
        {"toast",
         "hide",
         {},
         {kToastId},
         toast::Hide,
         "hide notification ID as its user would",
         ""},
        {"toast",
         "watch",
         {{"lines", 'n', Kind::Text, "N", "first the last N lines of the journal (default 0)"},
          kJson},
         {},
         toast::Watch,
         "print each post, event and deletion as it comes",
         ""},

        {"capture", "start", {}, {}, capture::Start, "start the packet capture", ""},
        {"capture", "stop", {}, {}, capture::Stop, "stop the packet capture", ""},
        {"capture",
         "status",
         {},
         {},
         capture::Status,
         "print whether it runs",
         "It prints \"running\" (live: \"running on INTERFACE (pid PID)\") or \"stopped\"."},

        {"fault",
         "set",
         {},
         {{"FUNCTION", Kind::FaultFunction, Arity::kOne,
           "a platform function with a fault hook (fault list --known)"},
          {"RESULT", Kind::Text, Arity::kOneOrMore, "a decimal int, the result of one call"}},
         fault::Set,
         "script the results of FUNCTION's next calls in each process started from now on (0: "
         "normal work)",
         ""},
        {"fault",
         "clear",
         {},
         {{"FUNCTION", Kind::ScriptedFunction, Arity::kOptional, "a function with a script"}},
         fault::Clear,
         "remove the script of FUNCTION (or all scripts)",
         ""},
        {"fault",
         "list",
         {kJson,
          {"known", 0, Kind::None, "", "the functions that take a script, instead of the scripts"}},
         {},
         fault::List,
         "print FUNCTION: RESULT... of every script",
         ""},

        {"",
         "log",
         {kFollow,
          {"lines", 'n', Kind::Text, "N", "only the last N records (then follow, with -f)"},
          {"since", 0, Kind::Text, "TIME",
           "records from TIME on: 2026-12-05, 2026-12-05T13:46 (UTC, as the records' stamps), "
           "or an age: 90s, 10m, 2h, 1d"},
          {"priority", 'p', Kind::Priority, "PRIORITY",
           "records of PRIORITY or higher: V D I W E F, or verbose, debug, info, warning, "
           "error, fatal"},
          {"tag", 't', Kind::Text, "TAG", "records of TAG only (repeat for several tags)", true},
          kJson},
         {{"BUFFER", Kind::Buffer, Arity::kAny, "main, radio, system or apps"}},
         Log,
         "print the log records, the buffers (main and system unless named) merged in time order",
         "Text output is each record as written. Lines that are not records (torn by a full "
         "disk, written by hand) are skipped with a warning. When the log service is live (see "
         "live), the records are read back from the systemd journal, the same lines with the "
         "journal's time stamps.\n\n"
         "--json: {\"buffer\":BUFFER,\"time\":TIME,\"pid\":PID,\"priority\":\"I\",\"tag\":TAG,"
         "\"message\":MESSAGE,\"file\":FILE,\"function\":FUNCTION,\"line\":LINE,\"text\":TEXT}, "
         "the message as written (control characters as \\xNN), and the parts of the tool's "
         "\"FILE: FUNCTION(LINE) > TEXT\" (null for a message without them)."},
        {"",
         "launches",
         {kFollow, kJson},
         {},
         Launches,
         "print the launch requests sent to applications",
         "Text: #N pid PID app APP_ID operation OPERATION result RESULT KEY=VALUE..., with - for "
         "none.\n\n"
         "--json: {\"pid\":PID,\"app_id\":APP_ID,\"operation\":OPERATION,"
         "\"extra\":[[KEY,VALUE],...],\"result\":RESULT}, as journalled."},

        {"live",
         "list",
         {kJson},
         {},
         live::List,
         "print each service: live or emulated, and whether this machine has what it needs "
         "live",
         ""},
        {"live", "on", {}, {kServices}, live::On, "run these services live (all: every one)", ""},
        {"live", "off", {}, {kServices}, live::Off, "emulate them again", ""},

        {"",
         "reset",
         {{"yes", 'y', Kind::None, "", "without asking"}},
         {},
         Reset,
         "empty the device root (asks first without --yes)",
         "A directory that holds anything the emulated TV did not make is not emptied: a root "
         "set by mistake to a directory of one's own stays as it is."},
#ifdef BRELTA_SCREEN
        {"",
         "screen",
         {{"port", 0, Kind::Text, "N", "the port; default: any free one"},
          {"listen", 0, Kind::Text, "ADDRESS",
           "the address of one interface instead of 127.0.0.1"}},
         {},
         Screen,
         "serve the TV's screen and a remote as a page on 127.0.0.1 (or ADDRESS), until ^C",
         "Prints the address to open, with a one-time token, and serves the page until ^C: the "
         "TV's toasts, popups and application pages, a remote that runs the tool with one of its "
         "command ids, and the log, settings, USB devices, fault scripts and launches of the "
         "root, live."},
#endif

        {"",
         "__complete",
         {},
         {{"CWORD", Kind::Text, Arity::kOne, "the index of the word being completed"},
          {"WORD", Kind::Text, Arity::kAny, "the words of the command line"}},
         Complete,
         "print the candidates for a word of a command line, one a line, quoted for bash",
         "",
         true},
        {"",
         "__manual",
         {},
         {{"FILE", Kind::Text, Arity::kOne, "where to write it"}},
         Manual,
         "write the manual page",
         "",
         true},
    };
    return verbs;
}
}  // namespace

const Table& DeviceTable() {
    static const Table table{DeviceProgram(), DeviceGroups(), DeviceVerbs()};
    return table;
}

}  // namespace brelta::cli
