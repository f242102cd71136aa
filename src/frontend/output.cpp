#include "frontend/output.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {
std::mutex OutputMutex;
}  // namespace

void Reply(const char* format, ...) {
  char text[4096];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  const size_t size = static_cast<size_t>(length) < sizeof text ? static_cast<size_t>(length) : sizeof text - 1;
  std::lock_guard<std::mutex> lock(OutputMutex);
  std::fwrite(text, 1, size, stdout);
  std::fflush(stdout);
}
