// A fresh folder below the system's temporary folder for one test, removed with everything in
// it at the end, even when the test left it closed to writing.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "qn7-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` to the file `name` in the folder and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};
