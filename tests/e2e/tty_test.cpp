// Both programs on a pseudo-terminal, read back through a terminal's screen, and every way they
// can end there.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <tuple>
#include <utility>

#include "child_process.hpp"
#include "dialogue.hpp"
#include "tmux_terminal.hpp"

namespace {

using namespace test_support;

// The rows a terminal shows once it has received output: from its start at 80 x 24, resized to
// columns x rows once it had received resize_at bytes of it.
std::vector<std::string> terminal_rows(const std::string& output, int columns, int rows, size_t resize_at) {
  const std::string first = temporary_file(output.substr(0, resize_at));
  const std::string rest = temporary_file(output.substr(std::min(resize_at, output.size())));
  const TmuxTerminal terminal("cat " + first + "; rm " + first + "; tmux wait-for resized; cat " + rest + "; rm " +
                                  rest + "; exec sleep 600", 80, 24);
  // Once the terminal took in the file (which its command removes) and its screen settled.
  const auto settled_rows = [&](const std::string& file) {
    std::vector<std::string> shown, before;
    wait_until(5000, 20, [&] {
      before = std::exchange(shown, terminal.rows());
      return access(file.c_str(), F_OK) != 0 && !shown.empty() && shown == before;
    });
    return shown;
  };
  settled_rows(first);
  terminal.command("resize-window -x " + std::to_string(columns) + " -y " + std::to_string(rows) +
                   " \\; wait-for -S resized");
  return settled_rows(rest);
}

// A step of a terminal session: wait for text to appear in the output (empty: none), pause,
// resize the terminal (rows 0: not; a session resizes it once at most), send the program a
// signal (0: none; -1: hang the terminal up instead), then type keys.
struct TerminalStep {
  std::string wait_for, keys;
  int pause_ms = 0, signal = 0;
  unsigned short resize_rows = 0, resize_columns = 0;
};

const std::string kLeft = "\x1b[D", kRight = "\x1b[C", kUp = "\x1b[A", kDown = "\x1b[B";
const std::string kHome = "\x1b[H", kEnd = "\x1b[F", kDelete = "\x1b[3~", kBackspace = "\x7f";
const std::string kOnes(70, '1');

// A shell runs zorvy and exits with its status; its own report of the signal goes nowhere. The
// quit key (Ctrl+Backslash) ends zorvy as a line is typed.
const char kQuitsWithItsStatus[] = "exec 3>&2 2>/dev/null; ulimit -c 0; " ZORVY_PATH " 2>&3 3>&-; exit $?";
const std::vector<TerminalStep> kQuit = {{"? ", "12"}, {"", "\x1c", 50}};
const std::vector<TerminalStep> kPlemo = {{"? ", "3\r"}, {"faktorial:", " "}};

// A session, named, and what it leaves: the exit code, the terminal's screen and the output's
// escape sequences and bells.
struct TerminalSession {
  const char* name;  // the test's, after the test suite's
  std::vector<TerminalStep> steps;
  int exit_code = 0;
  std::vector<std::string> shown = {};  // the rows shown at the end from the first checked
  int first = 0, rows = 24, columns = 80, bells = 0;  // the terminal's size at the end, and its bells
  const char* switches = "+-";                        // the keypad's switches
  std::vector<std::string> command = {ZORVY_PATH};
  const char* setting = "LC_ALL=C.UTF-8";  // the setting added to the environment
  std::set<std::string> colours = {"\x1b[0;34;45m", "\x1b[0m"};  // the colour sequences
};
std::ostream& operator<<(std::ostream& out, const TerminalSession& session) { return out << session.name; }
const TerminalSession kSessions[] = {
    {"EveryEditingKey",
     {{"? ", "999"}, {"", "\x1b"},
      {"", "1234" + kLeft + kLeft + kBackspace + kHome + "5" + kEnd + "\t6" + kHome + kDelete + kEnd + kDelete +
               kRight + kOnes + "2345678" + kUp + "9" + kDown + kEnd, 250},
      {"", "\x1b["}, {"", "C\r", 60},  // a sequence split by a slow link is still one key
      {"faktorial:", "\x1b"}},
     0, dialogue_rows(" Zorvy Numbers", "134  9  6" + kOnes + "2345678", {"1", "5", "23", "719"}, "380", "6"),
     0, 24, 80, 1},
    {"ShrunkBelowTheCursor",  // ended by Ctrl+C, so that the line stays in sight
     {{"? ", "1"}, {"", "0", 100, 0, 4, 40}, {"", "\x03", 200}},
     128 + SIGINT, {"", " Zadej do jakeho cisla pocitat", "", "? 10"}, 0, 4, 40},
    {"NarrowedUnderTheLine",
     {{"? ", kOnes.substr(10)}, {"", "\x1b[Dx\r", 100, 0, 24, 40}, {"faktorial:", "y"}},
     0, dialogue_rows(" Zorvy Numbers", kOnes.substr(11) + "x1", kAllZorvy, "43828654280", "65", 40), 0, 24, 40},
    {"WidenedWithNoKeyAfter",  // ended by Ctrl+C once the cursor is after the line laid out again
     {{"? ", kOnes + kOnes}, {"", "", 100, 0, 24, 160}, {"\x1b[6;143H", "\x03"}},
     128 + SIGINT, {"? " + kOnes + kOnes, ""}, 5, 24, 160},
    {"NarrowedInTheFinalWait",
     {{"? ", "10\r"}, {"faktorial:", "", 100, 0, 24, 20}, {"", "\x03", 300}},
     128 + SIGINT, {"", " Zorvy Numbers", "", " Zadej do jakeho cis", "", "? 10", "", " 1", " 5", " 23", "", "",
                    " Celkovy pocet prove", "", " 15", "", " Nejvyssi faktorial:"}, 0, 24, 20},
    {"ResizedStoppedAndContinued",  // ended by Ctrl+C, so that the screen drawn again stays in sight
     {{"? ", "4"}, {"", "", 50, SIGTSTP, 12, 40}, {"", "", 50, SIGCONT}, {" Zorvy Numbers", "\x03", 100}},
     128 + SIGINT, {"", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat", "", "? 4", "", "", "", "", "", ""},
     0, 12, 40, 0, "+-+-"},
    {"KeyTypedWithEnterEndsTheFinalWait", {{"? ", "7\rx"}}},
    {"UTF8CharacterTypedInItsCell", {{"? ", "1\xc3\xa9" "2" + kLeft + kLeft + "3\r"}, {"faktorial:", "x"}},
     0, dialogue_rows(" Zorvy Numbers", "13\xc3\xa9" "2", {"1", "5", "23"}, "15", "4")},
    // Standard output a file: the terminal's own line editing reads the bound, and echoes it
    // and the key typed with it; the file, shown by cat -v, holds the dialogue without them.
    {.name = "OutputToAFile",
     .steps = {{"", "12\x7f" "0\rx"}},
     .shown = {"10", "x^M", " Zorvy Numbers^M", "^M", " Zadej do jakeho cisla pocitat^M", "^M", "? ^M", "^M", " 1^M",
               " 5^M", " 23^M", "^M", "^M", " Celkovy pocet provedenych vypoctu: ^M", "^M", " 15^M", "^M",
               " Nejvyssi faktorial:  4^M", ""},
     .switches = "", .command = {"sh", "-c", "F=$(mktemp); " ZORVY_PATH " > $F; cat -v $F; rm $F"}, .colours = {}},
    {"SigtermInTheFinalWait", {{"? ", "7\r"}, {"faktorial:", "", 0, SIGTERM}}},
    {"HangUpSignalWhileTyping", {{"? ", "12"}, {"", "", 50, SIGHUP}}},
    {"Abort", {{"? ", "", 100, SIGABRT}}, 128 + SIGABRT},
    {.name = "QuitUnderSh", .steps = kQuit, .exit_code = 128 + SIGQUIT, .command = {"sh", "-c", kQuitsWithItsStatus}},
    {.name = "QuitUnderBash", .steps = kQuit, .exit_code = 128 + SIGQUIT, .command = {"bash", "-c", kQuitsWithItsStatus}},
    {"TerminalClosedAsTheReportIsWritten", {{"? ", "7\r", 100}, {"", "", 0, -1}}},
    // The terminal's own colours kept; TERM and NO_COLOR honoured.
    {.name = "NoColorEmpty", .steps = kPlemo, .command = {PLEMO_PATH}, .setting = "NO_COLOR="},
    {.name = "NoColorSet", .steps = kPlemo, .command = {PLEMO_PATH}, .setting = "NO_COLOR=1", .colours = {}},
    {.name = "TermDumbWritesNoEscapeSequence", .steps = kPlemo, .switches = "", .command = {PLEMO_PATH},
     .setting = "TERM=dumb", .colours = {}},
};

// Sessions of every kind, each read back through the terminal's screen where rows are given.
// One line typed with the keys as an xterm sends them: a lone Esc after a pause clears it, Left
// and DEL (Backspace) close a gap, Home inserts at the start, Tab counts its stops from the
// line's start, Delete takes the character under the cursor and beeps once at the end, the line
// wraps at the terminal's last column, and Up and Down move by a row; the whole dialogue is
// shown and a lone Esc, with no byte after it, ends it. The terminal resized while a line is
// typed, as terminals that do not re-wrap old rows do it: shrunk below the cursor's row, the
// cursor stays on the last row; narrowed or widened under a line, the line is laid out again in
// the new width, the rows it left blank. Stopped by Ctrl+Z, the terminal gets its keypad back in
// normal mode; continued, the program draws the screen again at once, at the size the terminal
// has then, as it does at once after a resize, and takes the keypad again. Every way the program
// can end leaves the terminal in the modes it started in, the keypad's included, unless the
// terminal itself went away; a closed terminal is a hang-up, which ends the program with 0
// whatever it was doing, and nothing reaches standard error.
using TerminalSessions = testing::TestWithParam<TerminalSession>;

TEST_P(TerminalSessions, ShowTheDialogueAndRestoreTheTerminalsModes) {  // on a 24 x 80 terminal, for 20 s at most
  const TerminalSession& session = GetParam();
  std::vector<std::string> arguments = {"-u", "DISPLAY", "LC_ALL=C.UTF-8", session.setting};
  arguments.insert(arguments.end(), session.command.begin(), session.command.end());
  ChildProcess child("env", arguments, "", true);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  size_t resize_at = std::string::npos;  // the output the terminal had taken when it was resized
  size_t step = 0, seen = 0;  // seen: output already searched for the awaited text
  bool open = true;
  do {
    for (size_t found; open && step < session.steps.size() &&
         (found = child.output().find(session.steps[step].wait_for, seen)) != std::string::npos; ++step) {
      const TerminalStep& s = session.steps[step];
      seen = found + s.wait_for.size();
      usleep(static_cast<useconds_t>(s.pause_ms) * 1000);
      open = s.signal >= 0;
      if (s.resize_rows > 0) {
        while (child.read_more(0)) {}
        resize_at = child.output().size();
        const struct winsize resized {s.resize_rows, s.resize_columns, 0, 0};
        ioctl(child.terminal(), TIOCSWINSZ, &resized);  // the terminal tells the program with SIGWINCH
      }
      if (s.signal > 0) kill(child.pid(), s.signal);
      [[maybe_unused]] ssize_t written = write(child.terminal(), s.keys.data(), s.keys.size());
    }
  } while (open && child.read_more(milliseconds_until(deadline)));
  const std::string output = child.output();
  if (!open) child.hang_up();
  EXPECT_EQ((std::tuple{child.wait_exit(milliseconds_until(deadline)), child.errors()}), (std::tuple{session.exit_code, ""}));
  if (!open) return;
  // The terminal's modes are those every new pseudo-terminal starts with.
  int master = -1, slave = -1;
  struct termios now {}, fresh {};
  const bool read = openpty(&master, &slave, nullptr, nullptr, nullptr) == 0 && tcgetattr(slave, &fresh) == 0 &&
                    tcgetattr(child.terminal(), &now) == 0;
  for (const int fd : {master, slave}) close(fd);
  EXPECT_TRUE(read && now.c_iflag == fresh.c_iflag && now.c_oflag == fresh.c_oflag && now.c_cflag == fresh.c_cflag &&
              now.c_lflag == fresh.c_lflag && std::equal(now.c_cc, now.c_cc + NCCS, fresh.c_cc));
  std::string switches;           // the keypad mode switches in the order written ('+' on, '-' off)
  std::set<std::string> colours;  // the colour sequences (SGR), each once
  for (size_t at = 0; (at = output.find("\x1b[", at)) != std::string::npos; ++at) {
    const size_t end = output.find_first_not_of("0123456789;", at + 2);
    if (end != std::string::npos && output[end] == 'm') colours.insert(output.substr(at, end - at + 1));
    if (output.compare(at, 7, "\x1b[?1h\x1b=") == 0) switches += '+';
    if (output.compare(at, 7, "\x1b[?1l\x1b>") == 0) switches += '-';
  }
  EXPECT_EQ(switches, session.switches);
  EXPECT_EQ(std::count(output.begin(), output.end(), '\a'), session.bells);
  EXPECT_EQ(colours, session.colours);
  const size_t last = output.rfind('\x1b');  // the colours reset last, else the keypad, else none
  EXPECT_EQ(last == std::string::npos ? "" : output.substr(last),
            !colours.empty() ? "\x1b[0m" : *session.switches != '\0' ? "\x1b>" : "");
  if (session.shown.empty()) return;
  const std::vector<std::string> rows = terminal_rows(output, session.columns, session.rows, resize_at);
  ASSERT_EQ(rows.size(), static_cast<size_t>(session.rows));
  std::vector<std::string> shown = session.shown;  // but for trailing blanks
  for (std::string& row : shown) row.erase(row.find_last_not_of(' ') + 1);
  EXPECT_EQ(std::vector<std::string>(rows.begin() + session.first, rows.begin() + session.first + shown.size()), shown);
}
INSTANTIATE_TEST_SUITE_P(, TerminalSessions, testing::ValuesIn(kSessions), [](const auto& row) { return row.param.name; });

}  // namespace
