#pragma once
// The exit-time actions: what the program undoes or frees when it ends, by the end statement,
// by returning from main, or by exit on any thread. They run in the order of their stages, and
// within a stage the last registered first:
//   SCREEN            closes the graphics screen (window, presentation thread, display mode)
//                     while everything it uses is still there;
//   TERMINAL          gives the terminal back its modes, keypad and colours;
//   CONSOLE_HANDLERS  gives back the hang-up and termination signals, or removes the console's
//                     control routine: after the terminal, so that such a signal arriving
//                     meanwhile finds the console's handler, not an end that skips the terminal;
//   RELEASES          frees the records allocated on first use, which the stages before may use.
enum class ExitStage { SCREEN, TERMINAL, CONSOLE_HANDLERS, RELEASES };

using ExitAction = void (*)();

// Registers an action, run once at exit. Safe on any thread, also during static initialisation
// and while the actions run; more actions than the registry holds end the program.
void at_program_exit(ExitStage stage, ExitAction action);

// Runs and removes every registered action, in the order above: what the C library's exit runs
// (at_program_exit hands it over). Writes nothing itself.
void runtime_shutdown();
