// Work run in a child process that file permissions bind: as root the child
// first drops to the user "nobody", so a test of a file or folder made
// read-only checks the same thing whoever runs it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace testing_support {

// Forks, and in the child runs work and hands back what it returns; the
// child's own effects on memory stay in the child. When the test runs as
// root, the tree (a folder and all it holds) is first given to "nobody", and
// the child takes that user's identity before it runs work. A child that
// cannot drop its rights, or does not end cleanly, fails the test.
std::string run_unprivileged(const std::filesystem::path& tree,
                             const std::function<std::string()>& work);

}  // namespace testing_support
