// A scratch folder for one test, removed afterwards. Its path is relative to the working directory and holds no
// dot, so name rules about the last dot see only the names the test builds.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include "platform/clock.h"

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = "kbtmp_" + std::to_string(platform::MonotonicMs()) + "_" + std::to_string(counter++);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
