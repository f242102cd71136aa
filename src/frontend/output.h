// Replies on standard output, one whole piece at a time.
#pragma once

// Writes the formatted text to standard output in one piece and flushes it, under the lock
// that every reply and thinking line takes, so that lines from the two threads never mix.
void Reply(const char* format, ...) __attribute__((format(printf, 1, 2)));
