#pragma once
// How the stand-in server ends, for the supervision tests, chosen by its
// environment:
//   QUORVANE_STANDIN_END=exit1|segv|fatal|deaf   end with status 1; die of
//       SIGSEGV (an access violation on Windows); print "FATAL ERROR (shutting
//       down): ..." and die of SIGSEGV (Windows: open the "Fatal error -
//       Dedicated server" box and wait in it); stop answering while running
//   QUORVANE_STANDIN_END_AFTER=SECONDS   when (default 1, fractions allowed)
//   QUORVANE_STANDIN_RUNS=FILE    a counter of the runs, one more each start
//   QUORVANE_STANDIN_END_RUNS=N   the ending applies to the first N runs only,
//                                 so a test can say "crash twice, then stay up"
// The console command `quit` ends it with status 0 in every mode.
// On Windows the error mode it started with goes into standin-errormode.txt
// beside the record.
#include <string>

namespace quorvane::standin {

// Reads the modes and counts this run; call once, before serving.
void ArmEnding();
// One turn of serving, or of keeping quiet once deaf; carries out the ending when due.
void ServeWithEnding();

// The system's part.
[[noreturn]] void DieOfSegv();
// Shows the fatal-error box and never comes back (Windows); nothing elsewhere.
void ShowFatalWindow(const std::string& text);
// GetErrorMode() on Windows; -1 elsewhere.
long ErrorMode();
void PauseMs(int milliseconds);

}  // namespace quorvane::standin
