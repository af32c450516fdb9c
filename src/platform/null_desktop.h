// Desktop services that touch nothing: a launcher, a clipboard and a folder chooser that record what the game
// asked of them and answer as a test sets them up.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"

namespace platform {

class RecordingLauncher final : public ProcessLauncher {
 public:
  struct Call {
    std::string program;
    std::vector<std::string> arguments;
    bool waited = false;
  };
  struct Answer {
    int status = 0;
    std::string output;
  };

  bool Open(const std::string& programOrDocument, const std::vector<std::string>& arguments) override {
    calls.push_back({programOrDocument, arguments, false});
    return opens;
  }
  int64_t Start(const std::string& programOrDocument, const std::vector<std::string>& arguments) override {
    return Open(programOrDocument, arguments) ? static_cast<int64_t>(calls.size()) : 0;
  }
  ProgramOutcome Outcome(int64_t id) override {
    asked.push_back(id);
    return outcome;
  }
  void ReapFinished() override { ++reaps; }
  int Run(const std::string& program, const std::vector<std::string>& arguments, std::string& output) override {
    calls.push_back({program, arguments, true});
    const auto found = answers.find(program);
    if (found == answers.end()) {
      output.clear();
      return -1;
    }
    output = found->second.output;
    return found->second.status;
  }

  std::vector<Call> calls;
  // What each waited-for program answers; a program without an answer cannot be started.
  std::map<std::string, Answer> answers;
  // What Open answers.
  bool opens = true;
  // What every started program's outcome reads, and the ids asked about.
  ProgramOutcome outcome = ProgramOutcome::kSucceeded;
  std::vector<int64_t> asked;
  // How many times the finished programs were reaped.
  int reaps = 0;
};

class RecordingClipboard final : public Clipboard {
 public:
  bool SetText(const std::string& text) override {
    if (reachable) texts.push_back(text);
    return reachable;
  }
  std::vector<std::string> texts;
  bool reachable = true;
};

class ScriptedFolderChooser final : public FolderChooser {
 public:
  FolderChoice Choose(const std::string& title, const std::string& startFolder, std::string& chosen) override {
    asked.emplace_back(title, startFolder);
    if (answer == FolderChoice::kChosen) chosen = folder;
    return answer;
  }
  // The title and start folder of every dialog the game opened.
  std::vector<std::pair<std::string, std::string>> asked;
  FolderChoice answer = FolderChoice::kUnavailable;
  std::string folder;
};

}  // namespace platform
