#include "posting/LedgerObjects.h"

#include "db/DbError.h"
#include "db/IBTransaction.h"
#include "platform/Text.h"

#include <sstream>
#include <stdexcept>

namespace {

std::string WithoutComments(const std::string& script) {
    std::string kept;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script.compare(i, 2, "/*") == 0) {
            const std::size_t end = script.find("*/", i + 2);
            i = end == std::string::npos ? script.size() : end + 1;
        } else if (script.compare(i, 2, "--") == 0) {
            i = script.find('\n', i);
            if (i == std::string::npos) break;
            kept += '\n';
        } else {
            kept += script[i];
        }
    }
    return kept;
}

std::vector<std::string> Words(const std::string& statement) {
    std::string spaced = text::UpperAscii(statement);
    for (char& c : spaced)
        if (c == '(' || c == ')' || c == ',') c = ' ';
    std::istringstream in(spaced);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The items of a table's definition: its columns and constraints, split at the commas outside
// parentheses (a type's length and scale stay with it).
std::vector<std::string> Items(const std::string& statement) {
    const std::size_t open = statement.find('('), close = statement.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        throw std::logic_error("A table of the bookkeeping schema has no columns: " + statement);
    std::vector<std::string> items;
    std::string item;
    int depth = 0;
    for (char c : statement.substr(open + 1, close - open - 1)) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (c == ',' && depth == 0) {
            items.push_back(text::Trim(item));
            item.clear();
        } else {
            item += c;
        }
    }
    items.push_back(text::Trim(item));
    return items;
}

} // namespace

LedgerObjects::LedgerObjects(IBDatabase& db, IBTransaction& tr, const std::string& schema)
    : tr_(tr), query_(db, tr, "IBLedgerObjects") {
    std::istringstream statements(WithoutComments(schema));
    for (std::string statement; std::getline(statements, statement, ';');)
        if (!text::Trim(statement).empty()) objects_.push_back(Parse(text::Trim(statement)));
}

LedgerObjects::Object LedgerObjects::Parse(const std::string& statement) {
    const std::vector<std::string> words = Words(statement);
    auto after = [&](const std::string& word) -> std::string {
        for (std::size_t i = 0; i + 1 < words.size(); ++i)
            if (words[i] == word) return words[i + 1];
        return {};
    };
    Object object;
    object.Statement = statement;
    if (words.size() > 2 && words[0] == "CREATE" && words[1] == "TABLE") {
        object.Kind = "table";
        object.Name = words[2];
        for (const std::string& item : Items(statement)) {
            const std::string first = Words(item).empty() ? "" : Words(item)[0];
            if (first != "CONSTRAINT" && first != "PRIMARY" && first != "UNIQUE" &&
                first != "FOREIGN" && first != "CHECK")
                object.Columns.push_back({first, item});
        }
    } else if (!words.empty() && words[0] == "CREATE" && !after("INDEX").empty()) {
        object.Kind = "index";
        object.Name = after("INDEX");
    } else if (!words.empty() && words[0] == "CREATE" &&
               !(after("SEQUENCE") + after("GENERATOR")).empty()) {
        object.Kind = "sequence";
        object.Name = after("SEQUENCE") + after("GENERATOR");
    }
    if (object.Kind.empty() || !object.Name.starts_with("INZ_"))
        throw std::logic_error("The bookkeeping schema holds a statement that does not create a "
                               "table, index or sequence named INZ_...: " +
                               statement);
    return object;
}

void LedgerObjects::ReadExisting() {
    existing_.clear();
    query_.SetSQLText(
        "select 'column:' || trim(RDB$RELATION_NAME) || '.' || trim(RDB$FIELD_NAME) N "
        "from RDB$RELATION_FIELDS where RDB$RELATION_NAME starting with 'INZ_' "
        "union all select 'table:' || trim(RDB$RELATION_NAME) from RDB$RELATIONS "
        "where RDB$RELATION_NAME starting with 'INZ_' "
        "union all select 'index:' || trim(RDB$INDEX_NAME) from RDB$INDICES "
        "where RDB$INDEX_NAME starting with 'INZ_' "
        "union all select 'sequence:' || trim(RDB$GENERATOR_NAME) from RDB$GENERATORS "
        "where RDB$GENERATOR_NAME starting with 'INZ_'");
    query_.Open();
    for (bool more = !query_.IsEmpty(); more; more = query_.Next())
        existing_.insert(query_.FieldByName("N")->AsString());
    query_.Close();
    if (tr_.InTransaction()) tr_.Commit();
}

bool LedgerObjects::Exists(const std::string& kind, const std::string& name) const {
    return existing_.count(kind + ":" + name) > 0;
}

std::vector<std::string> LedgerObjects::Creations() const {
    std::vector<std::string> statements;
    for (const Object& object : objects_) {
        if (!Exists(object.Kind, object.Name)) {
            statements.push_back(object.Statement);
            continue;
        }
        for (const Column& column : object.Columns)
            if (!Exists("column", object.Name + "." + column.Name))
                statements.push_back("alter table " + object.Name + " add " + column.Definition);
    }
    return statements;
}

void LedgerObjects::Create(const std::string& statement) {
    try {
        tr_.ExecuteImmediate(statement);
        tr_.Commit();
    } catch (const DbError& e) {
        if (DbError::ConnectionLost(e)) throw;
        if (tr_.InTransaction()) tr_.Rollback();
        if (why_.empty()) why_ = e.what();
    }
}

void LedgerObjects::Ensure(bool create) {
    why_.clear();
    ReadExisting();
    if (!create) return;
    const std::vector<std::string> creations = Creations();
    for (const std::string& statement : creations)
        Create(statement);
    // Another importer may have created some of them at the same moment.
    if (!creations.empty()) ReadExisting();
}

bool LedgerObjects::Has(const std::string& table) const {
    for (const Object& object : objects_)
        if (object.Kind == "table" && object.Name == table) {
            if (!Exists("table", table)) return false;
            for (const Column& column : object.Columns)
                if (!Exists("column", table + "." + column.Name)) return false;
            return true;
        }
    return false;
}

std::vector<std::string> LedgerObjects::Missing() const {
    std::vector<std::string> missing;
    for (const Object& object : objects_) {
        if (!Exists(object.Kind, object.Name)) {
            missing.push_back(object.Name);
            continue;
        }
        for (const Column& column : object.Columns)
            if (!Exists("column", object.Name + "." + column.Name))
                missing.push_back(object.Name + "." + column.Name);
    }
    return missing;
}
