#pragma once
// The command `quillon` never loads Qt: it runs the headless commands itself and hands
// everything that opens a window (no command at all, or a command whose table entry has no
// run function) to the program `quillon-gui` in its own folder, by exec, so the process, its
// arguments and its exit status stay the user's one `quillon`.
namespace quillon::cli {

inline constexpr const char* kGuiProgramName = "quillon-gui";

// Replaces this process with quillon-gui and the same arguments; returns only when that
// fails, with exit status 1 after a message on stderr.
int handOverToGui(int argc, char** argv);

}  // namespace quillon::cli
