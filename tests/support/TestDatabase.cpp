#include "tests/support/TestDatabase.h"

#include "db/IBQuery.h"
#include "platform/Text.h"
#include "tests/support/TestServer.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

bool StartsWithWord(const std::string& upper, const std::string& word) {
    return upper.rfind(word, 0) == 0 &&
           (upper.size() == word.size() || static_cast<unsigned char>(upper[word.size()]) <= 32);
}

} // namespace

TestDatabase::TestDatabase(bool applySchema, Writes writes, const std::filesystem::path& folder)
    : path_(((folder.empty() ? dir_.Path() : folder) / "test.fdb").string()), db_("DB1"),
      tr_(db_, "TR1"), setup_(db_, "TRSETUP") {
    Create("masterkey", writes, applySchema);
}

TestDatabase::TestDatabase(const std::string& serverFileName)
    : TestDatabase(TestServer::DatabaseName(serverFileName), TestServer::Password(),
                   Writes::Cached) {}

TestDatabase::TestDatabase(const std::string& name, const std::string& password, Writes writes)
    : path_(name), db_("DB1"), tr_(db_, "TR1"), setup_(db_, "TRSETUP") {
    Create(password, writes, true);
}

void TestDatabase::Create(const std::string& password, Writes writes, bool applySchema) {
    db_.DatabaseName = path_;
    db_.Params = {"user_name=SYSDBA", "password=" + password,
                  "lc_ctype=WIN1250", "set_db_charset=WIN1250",
                  "page_size=8192",   writes == Writes::Forced ? "force_write=1" : "force_write=0"};
    db_.CreateDatabase();
    db_.Params = {"user_name=SYSDBA", "password=" + password, "lc_ctype=WIN1250"};
    db_.DefaultTransaction = &tr_;
    if (applySchema) Execute(SchemaScript());
}

TestDatabase::~TestDatabase() {
    try {
        if (!db_.Connected()) db_.Connect();
        db_.DropDatabase();
    } catch (const std::exception&) {
        // Another attachment still open: the folder goes anyway.
        db_.Disconnect();
    }
}

std::string TestDatabase::SchemaScript() {
    const std::string path = std::string(INZEFOR_SOURCE_DIR) + "/db/schema.sql";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> TestDatabase::SplitScript(const std::string& script) {
    std::vector<std::string> statements;
    std::string terminator = ";";
    std::string current;
    size_t i = 0;
    auto finish = [&] {
        std::string statement = text::Trim(current);
        current.clear();
        if (statement.empty()) return;
        std::string upper = text::UpperAscii(statement);
        if (StartsWithWord(upper, "SET") && StartsWithWord(text::Trim(upper.substr(3)), "TERM")) {
            std::string rest = text::Trim(text::Trim(statement.substr(3)).substr(4));
            if (rest.empty()) throw std::runtime_error("SET TERM without a terminator");
            terminator = rest;
            return;
        }
        statements.push_back(statement);
    };
    while (i < script.size()) {
        char c = script[i];
        if (c == '\'' || c == '"') {
            size_t end = script.find(c, i + 1);
            end = end == std::string::npos ? script.size() : end + 1;
            current.append(script, i, end - i);
            i = end;
        } else if (script.compare(i, 2, "/*") == 0) {
            size_t end = script.find("*/", i + 2);
            end = end == std::string::npos ? script.size() : end + 2;
            current.append(script, i, end - i);
            i = end;
        } else if (script.compare(i, 2, "--") == 0) {
            size_t end = script.find('\n', i);
            end = end == std::string::npos ? script.size() : end;
            current.append(script, i, end - i);
            i = end;
        } else if (script.compare(i, terminator.size(), terminator) == 0) {
            finish();
            i += terminator.size();
        } else {
            current += c;
            ++i;
        }
    }
    finish();
    // A leading comment alone is no statement.
    std::vector<std::string> result;
    for (std::string& s : statements) {
        std::string body = s;
        while (body.rfind("/*", 0) == 0) {
            size_t end = body.find("*/");
            body = end == std::string::npos ? std::string() : text::Trim(body.substr(end + 2));
        }
        if (!body.empty()) result.push_back(body);
    }
    return result;
}

void TestDatabase::Execute(const std::string& script) {
    if (!db_.Connected()) db_.Connect();
    try {
        for (const std::string& statement : SplitScript(script)) {
            if (text::UpperAscii(statement) == "COMMIT") {
                if (setup_.InTransaction()) setup_.Commit();
                continue;
            }
            setup_.ExecuteImmediate(statement);
            // Later statements of a schema script refer to the objects just made.
            setup_.Commit();
        }
    } catch (...) {
        if (setup_.InTransaction()) setup_.Rollback();
        throw;
    }
}

std::string TestDatabase::QueryValue(const std::string& sql) {
    if (!db_.Connected()) db_.Connect();
    IBQuery query(db_, setup_, "QueryValue");
    query.SetSQLText(sql);
    query.Open();
    std::string value = query.IsEmpty() ? std::string() : query.Fields().at(0)->AsString();
    setup_.Commit();
    return value;
}
