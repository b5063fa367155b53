#include "app/TestPause.h"

#include <csignal>
#include <cstdlib>

std::optional<TestPause> TestPause::FromEnvironment() {
    const char* value = std::getenv("INZEFOR_TEST_PAUSE");
    if (!value) return std::nullopt;
    const std::string text = value;
    const std::size_t colon = text.rfind(':');
    const int turn = colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 1);
    if (colon == 0 || turn <= 0) return std::nullopt;
    return TestPause(text.substr(0, colon), turn);
}

void TestPause::Turn(const std::string& file) {
    if (file == file_ && ++turns_ == turn_) std::raise(SIGSTOP);
}
