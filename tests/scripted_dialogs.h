#pragma once
// Window tests answer the file dialog from a queue of paths (an empty queue
// answers "cancelled") and record message boxes instead of showing them, so
// no test ever blocks on a modal dialog. The paths the commands proposed to
// the dialog are kept in order when `proposals` is given.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "ui/main_window.h"

using Recorded_Messages = std::vector<std::pair<std::string, std::string>>;  // text, title

inline void Script_Dialogs(Main_Window& window, std::deque<std::string>& answers, Recorded_Messages& messages,
                           int* files_asked = nullptr, std::vector<std::string>* proposals = nullptr) {
  window.Set_File_Chooser([&answers, files_asked, proposals](std::string_view, Dialog_Mode, std::string_view proposed) {
    if (files_asked) ++*files_asked;
    if (proposals) proposals->emplace_back(proposed);
    std::string answer = answers.empty() ? std::string() : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  });
  window.Set_Message_Sink([&messages](std::string_view text, std::string_view title) {
    messages.emplace_back(std::string(text), std::string(title));
  });
  window.Set_Fit_Chooser([](Fit_Commands&) { return false; });  // the fit dialog: "Keep as read"
}
