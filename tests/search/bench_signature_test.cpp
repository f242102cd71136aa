// The bench's node total is the search's signature: any change to move generation, ordering,
// evaluation or search that alters the tree changes it. A change meant to alter the search
// updates the number here in the same commit.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int SignatureDepth = 5;
constexpr unsigned long long SignatureNodes = 574981;

// Runs the bench tool in a fresh directory (it writes Quillo.log there) and returns its output.
std::string RunBench(int depth) {
  std::string dir = (std::filesystem::temp_directory_path() / "quillo-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return "";
  const std::string command = "cd '" + dir + "' && '" QUILLO_BENCH_PATH "' bench " + std::to_string(depth);
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
  }
  std::filesystem::remove_all(dir);
  return output;
}

TEST(Bench, NodeTotalIsTheSearchSignature) {
  const std::string output = RunBench(SignatureDepth);
  const size_t last = output.rfind("bench nodes ");
  ASSERT_NE(last, std::string::npos) << output;
  unsigned long long nodes = 0;
  long long timeMs = 0, nps = 0;
  ASSERT_EQ(std::sscanf(output.c_str() + last, "bench nodes %llu time_ms %lld nps %lld", &nodes, &timeMs, &nps), 3)
      << output.substr(last);
  EXPECT_EQ(nodes, SignatureNodes);
  // Every position line reports the fixed depth, except the mates and the dead roots.
  EXPECT_NE(output.find("position 30 "), std::string::npos);
}

}  // namespace
