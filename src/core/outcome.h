#pragma once
// What a reader, the writer or a command achieved. The core never shows
// anything itself: the window shows a shown failure's message titled
// "E.R.R.O.R"; the command line prints every failure's message.

#include <string>
#include <string_view>
#include <utility>

struct Outcome {
  bool ok = true;
  std::string message;  // empty on success
  bool shown = false;   // the window shows it; otherwise only the command line reports it
  bool cancelled = false;  // the user stopped it: nothing it did is kept
  bool out_of_memory = false;  // memory ran out: nothing it did is kept

  static Outcome Success() { return {}; }
  static Outcome Failure(std::string text) { return {false, std::move(text), true}; }
  // A failure the window passes over without a message box.
  static Outcome Silent(std::string text) { return {false, std::move(text), false}; }
  // Stopped by the user through a progress dialog.
  static Outcome Cancelled() { return {false, "Cancelled", false, true}; }
  // Memory ran out while `doing` ("reading it", "fitting the model"): the
  // step names itself where it catches the failure, once.
  static Outcome No_Memory(std::string_view doing) {
    return {false, "not enough memory while " + std::string(doing), true, false, true};
  }
};
