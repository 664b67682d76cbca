// tormik-cli: the command-line twin of the programming window, over the same core.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orven::app {

// Runs the command line (arguments after the program name). Log lines go to out, errors to err, the progress
// bar to err when err is a terminal. Returns the exit status: 0 success, 1 failed operation or no device,
// 2 usage error.
int RunTormikCli(const std::vector<std::string>& args, FILE* out, FILE* err);
// The same with the answers to --repeat's next-chip prompt read from in (the form above reads stdin).
int RunTormikCli(const std::vector<std::string>& args, FILE* in, FILE* out, FILE* err);

}  // namespace orven::app
