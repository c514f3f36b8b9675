#pragma once
// Runs qcard in-process with the given arguments and captures its output.
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace qc::test {

struct QcardRun {
  int code;
  std::string out, err;
};

inline QcardRun Qcard(std::vector<std::string> args) {
  args.insert(args.begin(), "qcard");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  int code = RunQcard(static_cast<int>(args.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

}  // namespace qc::test
