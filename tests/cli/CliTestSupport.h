// Shared by the velcard tests: a temporary folder for images, velcard run
// in-process, and direct access to image bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace vel::cli::test {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs velcard in-process with the words after the program name.
RunResult velcard(std::initializer_list<std::string> args);
RunResult velcard(const std::vector<std::string>& args);

// What a shell command writes to its standard output and error.
std::string runShell(const std::string& command);

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
// Overwrites bytes of an existing file at a file position.
void patchBytes(const std::filesystem::path& path, long long position, const std::string& bytes);

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path file(const std::string& name) const { return dir_ / name; }
  // A new formatted image made with `velcard create`.
  std::string createImage(const std::string& model = "RX3-8", const std::string& name = "card.VEL");

  std::filesystem::path dir_;
};

}  // namespace vel::cli::test
