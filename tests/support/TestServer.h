#pragma once
// The Firebird server that scripts/start-fbserver.sh starts on 127.0.0.1 for the tests that need
// one, reached over TCP as a site with a database server is. Without one those tests skip.
#include <string>

class TestServer {
public:
    // Empty when a server listens; otherwise why a test has to skip.
    static std::string Missing();
    static std::string Password();
    // A name for a database file in the server's folder: "localhost:<folder>/<fileName>".
    static std::string DatabaseName(const std::string& fileName);
};
