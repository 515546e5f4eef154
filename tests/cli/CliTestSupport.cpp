#include "CliTestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/Velcard.h"

namespace vel::cli::test {

RunResult velcard(std::initializer_list<std::string> args) {
  return velcard(std::vector<std::string>(args));
}

RunResult velcard(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  RunResult result;
  result.status = runVelcard(args, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::string runShell(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return output;
  std::array<char, 4096> chunk;
  while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) output += chunk.data();
  pclose(pipe);
  return output;
}

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

void patchBytes(const std::filesystem::path& path, long long position, const std::string& bytes) {
  std::fstream io(path, std::ios::binary | std::ios::in | std::ios::out);
  io.seekp(position);
  io.write(bytes.data(), static_cast<long>(bytes.size()));
  ASSERT_TRUE(io.good());
}

void CliTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velcard-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void CliTest::TearDown() {
  std::filesystem::remove_all(dir_);
}

std::string CliTest::createImage(const std::string& model, const std::string& name) {
  const std::string path = file(name).string();
  RunResult r = velcard({"create", path, model});
  EXPECT_EQ(r.status, 0) << r.err;
  return path;
}

}  // namespace vel::cli::test
