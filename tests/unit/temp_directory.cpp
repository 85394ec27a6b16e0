#include "tests/unit/temp_directory.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

TempDirectory::TempDirectory() {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
    char pattern[] = "/tmp/tonvale-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        ADD_FAILURE() << "cannot make a temporary directory";
        return;
    }
    path_ = made;
    if (chdir(path_.c_str()) != 0) ADD_FAILURE() << "cannot enter " << path_;
}

TempDirectory::~TempDirectory() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::write(const std::string& name, const std::string& content) const {
    std::ofstream file(path_ + "/" + name, std::ios::binary);
    file << content;
}

void TempDirectory::remove(const std::string& name) const { std::remove((path_ + "/" + name).c_str()); }

std::string patchFile(int count) {
    std::string content;
    for (int i = 0; i < count; ++i) content += std::to_string(i) + "=Name " + std::to_string(i) + "\n";
    return content + "\n";
}
