// A temporary working directory for one test: the program reads its
// patch-name file from the current directory.
#pragma once

#include <string>

class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // Writes a file in the directory, bytes as given.
    void write(const std::string& name, const std::string& content) const;
    void remove(const std::string& name) const;

private:
    std::string previous_;
    std::string path_;
};

// A patch-name file of count entries "n=Name n" followed by an empty line.
std::string patchFile(int count);
