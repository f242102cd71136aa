// quillo-bench: the engine's benchmark and debugging commands. Each command gets the
// arguments after its name and returns the process exit code.
#pragma once

int BenchPerft(int argc, char** argv);   // perft "<FEN>" <depth> [--divide]
int BenchEval(int argc, char** argv);    // eval "<FEN>" [--terms]
int BenchSearch(int argc, char** argv);  // search "<FEN>" <depth>
int BenchBench(int argc, char** argv);   // bench [depth]
int BenchStop(int argc, char** argv);    // stop [delay_ms]: worst stop latency over the bench
int BenchSan(int argc, char** argv);     // san "<FEN>" <text>: the move a SAN text denotes
int BenchEpd(int argc, char** argv);     // epd <file> <milliseconds>: test-suite runner
