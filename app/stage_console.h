// A stage of a split run that does one block (seeds, grow or refine) shows a
// short log of its own: the run's console, which only the finish stage shows,
// goes to a scratch file meanwhile. When the stage ends on an error, that
// console is shown after all, so that the message is seen where it belongs.
#pragma once

class StageConsole {
 public:
  StageConsole() = default;
  ~StageConsole() { restore(); }
  StageConsole(const StageConsole&) = delete;
  StageConsole& operator=(const StageConsole&) = delete;

  // Sends standard output to a scratch file until restore().
  void divert();
  // Standard output again; the scratch console is dropped.
  void restore();
};
