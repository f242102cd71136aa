// Runs the real engine binary as a child process in a directory of its own, with its standard
// input taken from a string, and collects its exit status, its standard output and the lines
// of the Quillo.log it wrote.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct EngineRun {
  bool finished = false;         // false: the engine had not ended within the time limit and was killed
  int exitCode = -1;             // exit status, or 128 + signal number when it was killed by a signal
  std::string output;            // everything it wrote to standard output
  std::string errors;            // everything it wrote to standard error
  std::vector<std::string> log;  // the lines of its Quillo.log, without line feeds
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream stream(text);
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

// A fresh temporary directory, removed with everything in it at the end of the sandbox's life.
class EngineSandbox {
 public:
  EngineSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
  }
  ~EngineSandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  EngineSandbox(const EngineSandbox&) = delete;
  EngineSandbox& operator=(const EngineSandbox&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }

  // Runs the engine in the sandbox with input as its standard input; kills it after timeoutMs.
  // option, when given, is passed as the engine's one argument.
  EngineRun Run(const std::string& input, int timeoutMs = 30000, const char* option = nullptr) const {
    const std::string inPath = (dir_ / "input.bin").string();
    const std::string outPath = (dir_ / "stdout.txt").string();
    const std::string errPath = (dir_ / "stderr.txt").string();
    {
      std::ofstream in(inPath, std::ios::binary | std::ios::trunc);
      in.write(input.data(), static_cast<std::streamsize>(input.size()));
    }
    const std::string dir = dir_.string();
    const char* engine = QUILLO_ENGINE_PATH;
    pid_t child = fork();
    if (child == 0) {
      // Only async-signal-safe calls between fork and exec.
      int inFd = open(inPath.c_str(), O_RDONLY);
      int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (inFd < 0 || outFd < 0 || errFd < 0 || chdir(dir.c_str()) != 0) _exit(127);
      dup2(inFd, 0);
      dup2(outFd, 1);
      dup2(errFd, 2);
      execl(engine, engine, option, static_cast<char*>(nullptr));
      _exit(127);
    }
    EngineRun run;
    if (child < 0) return run;
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        run.output = ReadWholeFile(outPath);
        run.errors = ReadWholeFile(errPath);
        run.log = SplitLines(ReadWholeFile(dir_ / "Quillo.log"));
        return run;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.finished = true;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = ReadWholeFile(outPath);
    run.errors = ReadWholeFile(errPath);
    run.log = SplitLines(ReadWholeFile(dir_ / "Quillo.log"));
    return run;
  }

 private:
  std::filesystem::path dir_;
};

// The handshake's complete output after the word "xboard".
inline constexpr const char* HandshakeOutput = "\nfeature done=0\nfeature setboard=1\nfeature done=1\n";

// The "::cmd:: " lines of a log, in order, without the prefix.
inline std::vector<std::string> CommandWords(const std::vector<std::string>& log) {
  std::vector<std::string> words;
  const std::string prefix = "::cmd:: ";
  for (const std::string& line : log) {
    if (line.compare(0, prefix.size(), prefix) == 0) words.push_back(line.substr(prefix.size()));
  }
  return words;
}

// Index of the first log line at or after from that starts with text, or -1.
inline int FindLine(const std::vector<std::string>& log, const std::string& text, int from = 0) {
  for (int i = from; i < static_cast<int>(log.size()); ++i) {
    if (log[i].compare(0, text.size(), text) == 0) return i;
  }
  return -1;
}

// Whether text is a non-empty run of decimal digits.
inline bool IsDecimal(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The engine binary run in a sandbox with pipes on both ends, so that a test can write input
// after reading replies (answer a move, send the predicted move while the engine ponders).
class EngineSession {
 public:
  explicit EngineSession(const EngineSandbox& sandbox, const char* option = nullptr) : dir_(sandbox.Dir()) {
    // A write to an engine that has already ended must fail, not end the test program.
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) std::abort();
    const std::string dir = dir_.string();
    const std::string errPath = (dir_ / "stderr.txt").string();
    const char* engine = QUILLO_ENGINE_PATH;
    child_ = fork();
    if (child_ == 0) {
      int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (errFd < 0 || chdir(dir.c_str()) != 0) _exit(127);
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(errFd, 2);
      close(in[0]);
      close(in[1]);
      close(out[0]);
      close(out[1]);
      execl(engine, engine, option, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toEngine_ = in[1];
    fromEngine_ = out[0];
  }
  ~EngineSession() {
    if (child_ > 0 && !ended_) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    if (toEngine_ >= 0) close(toEngine_);
    if (fromEngine_ >= 0) close(fromEngine_);
  }
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  void Send(const std::string& text) {
    if (toEngine_ < 0) return;
    const ssize_t written = write(toEngine_, text.data(), text.size());
    (void)written;
  }

  // Everything the engine has written to standard output so far.
  const std::string& Output() {
    Drain(0);
    return output_;
  }

  // Waits for the next output line, after those already returned, that starts with prefix;
  // returns it without its line feed, or "" when none came within timeoutMs.
  std::string NextOutputLine(const std::string& prefix, int timeoutMs = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      size_t end;
      while ((end = output_.find('\n', consumed_)) != std::string::npos) {
        std::string line = output_.substr(consumed_, end - consumed_);
        consumed_ = end + 1;
        if (line.compare(0, prefix.size(), prefix) == 0) return line;
      }
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline) return "";
      if (!Drain(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()))) {
        return "";
      }
    }
  }

  // The lines of the engine's Quillo.log so far.
  std::vector<std::string> Log() const { return SplitLines(ReadWholeFile(dir_ / "Quillo.log")); }

  // Waits until the log has a line at or after index from that starts with text; returns its
  // index, or -1 after timeoutMs.
  int WaitForLog(const std::string& text, int from = 0, int timeoutMs = 20000) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const int found = FindLine(Log(), text, from);
      if (found >= 0 || std::chrono::steady_clock::now() > deadline) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Closes the engine's input and waits for its end; kills it after timeoutMs.
  EngineRun Finish(int timeoutMs = 20000) {
    close(toEngine_);
    toEngine_ = -1;
    EngineRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(child_, &status, WNOHANG) == 0) {
      Drain(5);
      if (std::chrono::steady_clock::now() > deadline) {
        kill(child_, SIGKILL);
        waitpid(child_, &status, 0);
        ended_ = true;
        run.output = output_;
        run.log = Log();
        return run;
      }
    }
    ended_ = true;
    while (Drain(0)) {
    }
    run.finished = true;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = output_;
    run.errors = ReadWholeFile(dir_ / "stderr.txt");
    run.log = Log();
    return run;
  }

 private:
  // Reads what the engine has written, waiting up to timeoutMs for it; false when nothing came.
  bool Drain(int timeoutMs) {
    if (fromEngine_ < 0) return false;
    pollfd fd{fromEngine_, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fromEngine_, buffer, sizeof buffer);
    if (n <= 0) {
      if (n == 0) {
        close(fromEngine_);
        fromEngine_ = -1;
      }
      return false;
    }
    output_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  std::filesystem::path dir_;
  pid_t child_ = -1;
  bool ended_ = false;
  int toEngine_ = -1;
  int fromEngine_ = -1;
  std::string output_;
  size_t consumed_ = 0;
};
