#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

// A scratch folder, removed with everything in it when the test ends.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "skarvel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

  // Writes the file, making its folders; gives its full path.
  std::string write(const std::string& name, const std::string& content) const {
    std::error_code ignored;
    std::filesystem::create_directories((path_ / name).parent_path(), ignored);
    std::ofstream out(path_ / name, std::ios::binary);
    out << content;
    return file(name);
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
  std::filesystem::path path_;
};
