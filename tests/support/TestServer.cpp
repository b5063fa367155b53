#include "tests/support/TestServer.h"

#include "db/DbError.h"
#include "db/IBDatabase.h"

#include <cstdlib>
#include <fstream>
#include <map>

namespace {

// The server's settings: from the environment, else from the file the start script writes.
std::map<std::string, std::string> Settings() {
    std::map<std::string, std::string> settings;
    std::ifstream in("/tmp/inzefor-fbserver.env");
    for (std::string line; std::getline(in, line);) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) settings[line.substr(0, eq)] = line.substr(eq + 1);
    }
    for (const char* name : {"INZEFOR_FB_SERVER_DIR", "INZEFOR_FB_PASSWORD"})
        if (const char* value = std::getenv(name)) settings[name] = value;
    return settings;
}

bool Listening() {
    IBDatabase probe("Probe");
    probe.DatabaseName = "localhost:/nonexistent/probe.fdb";
    probe.Params = {"user_name=SYSDBA", "password=x", "connect_timeout=3"};
    try {
        probe.Connect();
    } catch (const DbError& e) {
        // Refused: nobody listens. Anything else came from a server.
        return std::string(e.what()).find("connection refused") == std::string::npos &&
               std::string(e.what()).find("Unable to complete network request") ==
                   std::string::npos;
    }
    return true;
}

} // namespace

std::string TestServer::Missing() {
    if (Settings()["INZEFOR_FB_SERVER_DIR"].empty())
        return "no Firebird server: run scripts/start-fbserver.sh start";
    if (!Listening()) return "no Firebird server listens on localhost:3050";
    return {};
}

std::string TestServer::Password() {
    return Settings()["INZEFOR_FB_PASSWORD"];
}

std::string TestServer::DatabaseName(const std::string& fileName) {
    return "localhost:" + Settings()["INZEFOR_FB_SERVER_DIR"] + "/" + fileName;
}
