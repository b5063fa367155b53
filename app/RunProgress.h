#pragma once
// Where a run stands, as its progress line and progress bar show it:
// "file 2/4 feladas01.dbf  row 1520/3000".
#include <string>

struct RunProgress {
    int File = 0; // from 1; 0 before the first file
    int Files = 0;
    std::string Name; // Windows-1250
    int Row = 0;
    int Rows = 0;

    // Empty before the first file; Windows-1250.
    std::string Text() const;
};
