// The built program, started as a user would start it: its own environment, its
// output caught in files (or stdout in a pipe the test may close), and waited on
// for what it prints, never for a fixed time.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vornik::testing {

using namespace std::chrono_literals;

// The vornik executable under test: $VORNIK_EXE, else the one built beside the tests.
std::string VornikExecutable();

struct ChildOptions {
    std::vector<std::string> args;  // without the program name
    // KEY=VALUE added to the environment; DISPLAY, WAYLAND_DISPLAY and
    // QT_QPA_PLATFORM are removed unless given here.
    std::vector<std::string> env;
    // stdout goes to a pipe whose read end the test holds.
    bool stdoutPipe = false;
    // Runs in the child before exec: system calls only (the test may have threads).
    // A non-zero result ends the child with that status instead.
    std::function<int()> beforeExec;
    // stdout is a terminal (a pseudo-terminal without line editing) whose output
    // reaches the stdout file as it comes; stdoutPipe wins over it.
    bool stdoutTerminal = false;
};

class ChildProcess {
  public:
    // `program` is the executable; its output goes to files in `outputFolder`.
    ChildProcess(const std::string& program, ChildOptions options,
                 const std::filesystem::path& outputFolder);
    ~ChildProcess();  // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    std::string Out() const;
    std::string Err() const;
    // The read end of the stdout pipe (stdoutPipe), or -1.
    int StdoutPipe() const { return pipeRead_; }
    void CloseStdoutPipe();
    // The terminal on stdout goes away (stdoutTerminal): the program's writes to
    // it fail from now on.
    void CloseTerminal();
    // Reads what arrived on the stdout pipe until it `holds` (or holds `text`),
    // up to `bound`.
    bool ReadPipeUntil(const std::function<bool(const std::string&)>& holds,
                       std::chrono::milliseconds bound);
    bool ReadPipeUntil(const std::string& text, std::chrono::milliseconds bound);
    const std::string& PipeText() const { return pipeText_; }

    // True once stdout (from `from` on) holds `text`; false when the bound passed
    // or the child ended without printing it.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds bound,
                       std::size_t from = 0);
    void Signal(int signal);
    bool Running();
    // The wait status once the child ended within `bound`.
    std::optional<int> WaitForExit(std::chrono::milliseconds bound);
    // Describes how the child ended, for failure messages.
    std::string Describe() const;

  private:
    bool Reap(bool block);

    std::filesystem::path outFile_;
    std::filesystem::path errFile_;
    pid_t pid_ = -1;
    int pipeRead_ = -1;
    std::string pipeText_;
    int terminal_ = -1;  // the pseudo-terminal's master side
    std::atomic<bool> terminalClosing_{false};
    std::thread terminalCopy_;
    std::optional<int> status_;
};

// True when `predicate` holds within `bound`, asked every 50 ms.
bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds bound);

// "exited 0", "killed by signal 13", ...
std::string StatusText(int status);

}  // namespace vornik::testing
