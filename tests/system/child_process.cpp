#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/temp_folder.h"

extern char** environ;

namespace vornik::testing {
namespace {

std::atomic<int> serial{0};

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string item = *entry;
        const std::string name = item.substr(0, item.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM") {
            continue;
        }
        bool replaced = false;
        for (const std::string& mine : extra) {
            replaced = replaced || mine.substr(0, mine.find('=')) == name;
        }
        if (!replaced) {
            env.push_back(item);
        }
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// A pseudo-terminal that passes bytes as they are (no CR added to a newline):
// returns the side the program writes to, `master` gets the other; -1 on failure.
int OpenTerminal(int& master) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return -1;
    }
    const char* name = ::ptsname(master);
    const int side = name != nullptr ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    termios raw{};
    if (side >= 0 && ::tcgetattr(side, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(side, TCSANOW, &raw);
    }
    return side;
}

}  // namespace

std::string VornikExecutable() {
    const char* chosen = std::getenv("VORNIK_EXE");
    return chosen != nullptr && *chosen != '\0' ? chosen : VORNIK_EXECUTABLE;
}

ChildProcess::ChildProcess(const std::string& program, ChildOptions options,
                           const std::filesystem::path& outputFolder) {
    const std::string name = "child-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    outFile_ = outputFolder / (name + ".out");
    errFile_ = outputFolder / (name + ".err");
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), options.args.begin(), options.args.end());
    std::vector<std::string> env = ChildEnvironment(options.env);
    std::vector<char*> argvPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(env);
    const int out = ::open(outFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int pipeFds[2] = {-1, -1};
    if (options.stdoutPipe && ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
    }
    int terminalSide = -1;
    if (options.stdoutTerminal && !options.stdoutPipe) {
        terminalSide = OpenTerminal(terminal_);
    }
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        ::dup2(null, STDIN_FILENO);
        ::dup2(options.stdoutPipe  ? pipeFds[1]
               : terminalSide >= 0 ? terminalSide
                                   : out,
               STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        // The test's own signal dispositions are not the program's business.
        for (int signal = 1; signal < NSIG; ++signal) {
            ::signal(signal, SIG_DFL);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (options.beforeExec) {
            if (const int status = options.beforeExec(); status != 0) {
                ::_exit(status);
            }
        }
        ::execve(argvPointers[0], argvPointers.data(), envPointers.data());
        ::_exit(127);
    }
    ::close(err);
    ::close(null);
    if (options.stdoutPipe) {
        ::close(pipeFds[1]);
        pipeRead_ = pipeFds[0];
    }
    if (terminalSide >= 0) {
        ::close(terminalSide);
        // What the program writes is copied to the stdout file as it arrives, so a
        // full terminal never holds the program up.
        terminalCopy_ = std::thread([this, out] {
            char buffer[4096];
            while (!terminalClosing_) {
                pollfd ready{terminal_, POLLIN, 0};
                if (::poll(&ready, 1, 50) <= 0) {
                    continue;
                }
                const ssize_t got = ::read(terminal_, buffer, sizeof buffer);
                if (got <= 0 || ::write(out, buffer, static_cast<std::size_t>(got)) != got) {
                    break;  // the program and everything it started have let go of it
                }
            }
            ::close(out);
        });
    } else {
        ::close(out);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        Reap(true);
    }
    CloseStdoutPipe();
    CloseTerminal();
}

void ChildProcess::CloseTerminal() {
    terminalClosing_ = true;
    if (terminalCopy_.joinable()) {
        terminalCopy_.join();
    }
    if (terminal_ >= 0) {
        ::close(terminal_);
        terminal_ = -1;
    }
}

std::string ChildProcess::Out() const {
    return ReadFile(outFile_);
}

std::string ChildProcess::Err() const {
    return ReadFile(errFile_);
}

void ChildProcess::CloseStdoutPipe() {
    if (pipeRead_ >= 0) {
        ::close(pipeRead_);
        pipeRead_ = -1;
    }
}

bool ChildProcess::ReadPipeUntil(const std::string& text, std::chrono::milliseconds bound) {
    return ReadPipeUntil(
        [&text](const std::string& read) { return read.find(text) != std::string::npos; }, bound);
}

bool ChildProcess::ReadPipeUntil(const std::function<bool(const std::string&)>& holds,
                                 std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!holds(pipeText_)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (pipeRead_ < 0 || left.count() <= 0) {
            return false;
        }
        pollfd ready{pipeRead_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t got = ::read(pipeRead_, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        pipeText_.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds bound,
                                 std::size_t from) {
    bool ended = false;
    const bool found = WaitUntil(
        [&] {
            const std::string out = Out();
            if (out.size() > from && out.find(text, from) != std::string::npos) {
                return true;
            }
            ended = !Running();
            return ended;
        },
        bound);
    return found && !ended;
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, signal);
    }
}

bool ChildProcess::Running() {
    return pid_ > 0 && !Reap(false);
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds bound) {
    WaitUntil([this] { return !Running(); }, bound);
    return status_;
}

bool ChildProcess::Reap(bool block) {
    if (status_) {
        return true;
    }
    int status = 0;
    if (::waitpid(pid_, &status, block ? 0 : WNOHANG) == pid_) {
        status_ = status;
    }
    return status_.has_value();
}

std::string ChildProcess::Describe() const {
    return (status_ ? StatusText(*status_) : std::string("still running")) + "\n--- stdout:\n" +
           Out() + PipeText() + "\n--- stderr:\n" + Err();
}

bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (predicate()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
}

std::string StatusText(int status) {
    if (WIFEXITED(status)) {
        return "exited " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               ::strsignal(WTERMSIG(status)) + ")";
    }
    return "status " + std::to_string(status);
}

}  // namespace vornik::testing
