#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// flash-updater-cli as a child process pointed at one port, its standard output on a pipe, on a
// terminal of its own or in a file, its standard error on a pipe, its standard input the given
// text (or nothing).
// Every wait has a generous limit that only turns a hang into a failure.
class CliProcess {
public:
    enum class Stdout { Pipe, Terminal, File };

    // Journals go into `stateFolder`, kept afterwards; without one, into a folder of this
    // process's own that goes with it.
    CliProcess(std::vector<std::string> args, const std::string& ports, Stdout kind = Stdout::Pipe,
               const std::string& input = "", const std::string& stateFolder = "");
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Reads the output until it holds `text` (not for File).
    bool WaitForOutput(const std::string& text);
    void Signal(int signal);
    // Keys typed on the program's terminal (Stdout::Terminal only): Ctrl-S ("\x13") stops its
    // output as a terminal with flow control does, Ctrl-Q ("\x11") lets it go on.
    void Type(const std::string& keys);
    // Closes the reading end of a piped standard output: the program's next write meets a broken
    // pipe.
    void CloseOutput();
    // Waits for the program to end; its exit code, or -1 (a hang, or killed by a signal).
    int WaitForExit();

    // Everything written to standard output so far (the whole of it after WaitForExit).
    const std::string& Output() const { return output_; }
    // The lines as a terminal shows them: a carriage return overwrites from the line's start,
    // blanks at the end and blank lines at the end are dropped.
    std::vector<std::string> Lines() const;
    const std::string& Errors() const { return errors_; }
    // User and system CPU time of the program, once WaitForExit has reaped it.
    double CpuSeconds() const { return cpuSeconds_; }

private:
    static constexpr int kLimitMs = 300'000;
    // Reads what is there within `waitMs`; false once both streams have ended.
    bool Pump(int waitMs);

    pid_t pid_ = -1;
    int out_ = -1;  // pipe or terminal master; -1 for a file
    int err_ = -1;
    std::string filePath_, inputPath_, statePath_;
    bool ownStateFolder_ = false;
    std::string output_, errors_;
    double cpuSeconds_ = 0;
};
