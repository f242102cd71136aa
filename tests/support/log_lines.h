// Reading back what a piece of test code wrote to this process's diagnostic log.
#pragma once

#include <fstream>
#include <string>
#include <vector>

// Lines the diagnostic log gained while body ran.
template <typename Body>
std::vector<std::string> LogLinesOf(Body body) {
  std::ifstream before("Quillo.log", std::ios::ate);
  const std::streamoff start = before ? static_cast<std::streamoff>(before.tellg()) : 0;
  body();
  std::ifstream log("Quillo.log");
  log.seekg(start);
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}
