// A folder tree of its own for each test, removed again afterwards.
#pragma once

#include <string>
#include <string_view>

namespace launch_test {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(std::string_view relative) const;

    void folder(std::string_view relative) const;
    // Creates the missing folders on the way; `executable` sets the execute bits (0755, else 0644).
    void file(std::string_view relative, std::string_view content, bool executable) const;

  private:
    std::string root_;
};

}  // namespace launch_test
