// Runs the real engine binary as a child process in a directory of its own, with its standard
// input taken from a string, and collects its exit status, its standard output and the lines
// of the Quillo.log it wrote.
#pragma once

#include <fcntl.h>
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
  EngineRun Run(const std::string& input, int timeoutMs = 30000) const {
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
      execl(engine, engine, static_cast<char*>(nullptr));
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
