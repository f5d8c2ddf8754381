#pragma once

#include <string>
#include <vector>

// What uiview was asked to do. Paths are as given on the command line; the modes run in the
// folder of the file they show, as the UI files name each other and their art relative to it.
struct ViewOptions {
  std::string file;
  std::vector<std::string> dialogs;  // dotted paths of dialogs to bring on screen
  std::string shot;                  // the picture --shot writes
  std::string script;                // input for --shot, in the demo's script format
  long frames = -1;                  // frames to run; -1 for the mode's own choice
  int width = 800, height = 600;     // of the screen, in pixels
};

const unsigned int FRAME_MS = 16;  // the length of a frame when the clock does not decide

// A window that shows the file and reloads it as it changes; runs until it is closed, or for
// `frames` frames when given. Returns the exit status.
int runWindow(const ViewOptions& options);
// Renders `frames` frames of the file headless, with the script's input, and writes the last one
// as a PNG picture. Returns the exit status.
int runShot(const ViewOptions& options);

// Prints to stderr what the file's last load gave: its problems, as --check does, or that it
// loaded without any.
class Viewer;
void printProblems(const Viewer& viewer);
