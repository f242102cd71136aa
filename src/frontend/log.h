// The diagnostic log "Quillo.log": one line per command word, engine event, search iteration
// and game move. Opened before main runs, emptied at each start, flushed after every line.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <sstream>

// A number to be written in lower-case hexadecimal without prefix.
struct LogHex {
  uint32_t value;
};

class DiagnosticLogStream {
 public:
  DiagnosticLogStream();
  // Writes the pieces in order, then a line feed, and flushes; whole lines never interleave.
  template <typename... Pieces>
  void Line(const Pieces&... pieces) {
    std::ostringstream text;
    (Put(text, pieces), ...);
    text << '\n';
    std::lock_guard<std::mutex> lock(mutex_);
    file_ << text.str();
    file_.flush();
  }

 private:
  template <typename T>
  static void Put(std::ostringstream& out, const T& piece) {
    out << piece;
  }
  static void Put(std::ostringstream& out, const LogHex& piece) { out << std::hex << piece.value << std::dec; }
  static void Put(std::ostringstream& out, const int8_t& piece) { out << static_cast<int>(piece); }
  static void Put(std::ostringstream& out, const uint8_t& piece) { out << static_cast<unsigned>(piece); }

  std::mutex mutex_;
  std::ofstream file_;
};

extern DiagnosticLogStream DiagnosticLog;
