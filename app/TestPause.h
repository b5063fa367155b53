#pragma once
// For tests only: a point where the console runner stops itself (SIGSTOP), so that a test can
// kill or stop it at a known place, whatever the machine's speed. INZEFOR_TEST_PAUSE=NAME:N
// names the Nth turn the run takes within the file NAME (one turn per converted record or
// posted row, counted from where this run took the file up). Unset, nothing is looked at.
#include <optional>
#include <string>

class TestPause {
public:
    // Empty also when the value names no file and turn: the run then goes through.
    static std::optional<TestPause> FromEnvironment();

    // A turn within the file named: the process stops here when it is the one asked for, and
    // goes on when the test lets it.
    void Turn(const std::string& file);

private:
    TestPause(std::string file, int turn) : file_(std::move(file)), turn_(turn) {}

    std::string file_;
    int turn_;
    int turns_ = 0;
};
