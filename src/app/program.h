#pragma once

namespace lumaru {

// The program's entry routine: prepares the shared state, maps the skin engine, opens the main
// window (whose start-up reads the remote configuration) and runs the event loop while a window
// is open. Returns 0. The application object must exist.
int ProgramStart();

// Runs once when the program ends: releases what the shared state holds.
void ProgramExit();

}  // namespace lumaru
