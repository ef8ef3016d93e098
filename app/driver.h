// The run of the program from the command line to its exit code.
#pragma once

// Parses the command line, loads or creates the document, applies the
// description file or the command-line update, saves, and returns the exit
// code that names the stage that failed (0 to 8).
int RunProgram(int argc, char** argv);
