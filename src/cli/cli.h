#pragma once
// qcard: the command-line companion that works on the contact data file.
#include <ostream>

namespace qc {

// Runs one qcard command line. Exit codes: 0 done, 1 the command failed
// (the reason is one line on `err`), 2 the command line was not understood
// (a usage line on `err`).
int RunQcard(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace qc
